// The history database, $XDG_DATA_HOME/Skedula/verlauf.sqlite, on its writing side: opened for
// writing with its table made when there is none, Skedula's indexes built where they are missing,
// and one measurement appended per transaction, on the disk when Append returns. The history
// writer uses it on its own thread; the history benchmark times it.
#pragma once

#include "engine/WatchListener.h"
#include "storage/Sqlite.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace skedula {

// $XDG_DATA_HOME/Skedula/verlauf.sqlite, by default ~/.local/share/Skedula/verlauf.sqlite.
std::string HistoryPath();

// PRAGMA user_version of a database whose table and indexes Skedula made or completed.
inline constexpr int kHistorySchemaVersion = 1;

// The table, as listeners read it with sqlite3 and as other programs may write it.
extern const std::string_view kMeasurementsTable;

// The local day a stored time falls on, as a whole number of days (julianday): Skedula's index
// keys on it, and the reader's day ranges must say it the same way to use the index.
inline constexpr std::string_view kDayOfTime = "CAST(julianday(substr(time, 1, 10)) AS INTEGER)";

// Whether the database holds Skedula's index.
bool HasHistoryIndexes(SqliteConnection& db);

class HistoryStore {
public:
    // Opens the database, making its folder and file as needed: write-ahead log, every commit
    // synced, a second writer waited for up to busyTimeout. Without the table it makes the table
    // and the indexes at once; an existing table must have every column Skedula writes. Missing
    // indexes are left to BuildIndexes. Throws Error with the German reason.
    HistoryStore(std::string path, std::chrono::milliseconds busyTimeout);

    bool HasIndexes();
    // Builds the indexes that are missing; takes a while on a large table.
    void BuildIndexes();
    // One transaction, synced before it returns; gives the row's id. Texts go in as UTF-8
    // (cells in Windows-1252 as the window shows them); NULL where the measurement has nothing.
    long long Append(const Measurement& measurement);
    // Many measurements in one transaction: next fills in one and says whether it did, until it
    // says not. For made-up histories (the documentation's picture, the benchmark's year).
    void AppendAll(const std::function<bool(Measurement&)>& next);
    // False once the file at the path is not the one open (removed, or replaced): then the store
    // must be opened again, or it would write into a file nobody sees.
    bool StillTheFile() const;

private:
    void Insert(const Measurement& measurement);
    void MakeTable();
    void CheckColumns();

    std::string path_;
    SqliteConnection db_;
    std::optional<SqliteStatement> insert_;
    dev_t device_ = 0;
    ino_t inode_ = 0;
};

} // namespace skedula

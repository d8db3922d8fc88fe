#include "storage/HistoryStore.h"

#include "engine/Error.h"
#include "engine/Utf8.h"
#include "storage/UserFolders.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <sys/stat.h>
#include <vector>

namespace skedula {

const std::string_view kMeasurementsTable = R"(CREATE TABLE measurements (
  id INTEGER PRIMARY KEY,
  time TEXT NOT NULL,
  frequency TEXT NOT NULL,
  mode TEXT NOT NULL,
  threshold INTEGER,
  radio_frequency TEXT,
  radio_mode TEXT,
  s1 INTEGER, s2 INTEGER, s3 INTEGER,
  level1 REAL, level2 REAL, level3 REAL,
  reported INTEGER NOT NULL,
  recording TEXT
))";

namespace {

// The window's questions: the entries, an entry's measurements from a day on, its latest
// report, the counts. One index answers them all; the day is a whole number rather than the
// time text, and the reports have no index of their own, to keep the file small: a year of the
// most a list can measure holds 2.6 million rows.
const std::string kDayIndex = "measurements_entry_day";

std::string IndexSql() {
    return "CREATE INDEX IF NOT EXISTS " + kDayIndex + " ON measurements(frequency, mode, " +
           std::string(kDayOfTime) + ", reported);\n";
}

const std::array<const char*, 14> kColumns = {
    "time", "frequency", "mode",   "threshold", "radio_frequency", "radio_mode", "s1",
    "s2",   "s3",        "level1", "level2",    "level3",          "reported",   "recording"};

std::string InsertSql() {
    std::string names, marks;
    for (const char* column : kColumns) {
        names += (names.empty() ? "" : ", ") + std::string(column);
        marks += marks.empty() ? "?" : ", ?";
    }
    return "INSERT INTO measurements (" + names + ") VALUES (" + marks + ")";
}

// Undoes an open transaction when a step inside it fails, so that the connection can go on.
class Transaction {
public:
    explicit Transaction(SqliteConnection& db) : db_(db) {
        // IMMEDIATE takes the write lock now, waiting for a second writer up to the busy
        // timeout, instead of failing later halfway.
        db_.Execute("BEGIN IMMEDIATE");
    }
    ~Transaction() {
        if (open_) {
            try {
                db_.Execute("ROLLBACK");
            } catch (const Error&) {
                // SQLite has rolled back itself; the first failure is the one to tell.
            }
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    void Commit() {
        db_.Execute("COMMIT");
        open_ = false;
    }

private:
    SqliteConnection& db_;
    bool open_ = true;
};

// The path, once its folder is there.
std::string WithFolder(std::string path) {
    MakeFolders(std::filesystem::path(path).parent_path().string());
    return path;
}

std::optional<long long> Whole(const std::optional<int>& value) {
    return value ? std::optional<long long>(*value) : std::nullopt;
}

} // namespace

std::string HistoryPath() {
    return DataHome() + "/Skedula/verlauf.sqlite";
}

bool HasHistoryIndexes(SqliteConnection& db) {
    return db.Integer("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND name = '" +
                      kDayIndex + "'") == 1;
}

HistoryStore::HistoryStore(std::string path, std::chrono::milliseconds busyTimeout)
    : path_(WithFolder(std::move(path))), db_(path_, SqliteConnection::Access::ReadWriteCreate) {
    db_.SetBusyTimeout(static_cast<int>(busyTimeout.count()));
    // A database another program made in the rollback mode changes to the log for good: readers
    // then never wait for the writer, nor the writer for them.
    db_.Execute("PRAGMA journal_mode = WAL");
    db_.Execute("PRAGMA synchronous = FULL");
    if (db_.Integer("SELECT count(*) FROM sqlite_master WHERE type = 'table' AND "
                    "name = 'measurements'") == 0)
        MakeTable();
    else
        CheckColumns();
    insert_.emplace(db_.Prepare(InsertSql()));
    struct stat info {};
    if (::stat(path_.c_str(), &info) == 0) {
        device_ = info.st_dev;
        inode_ = info.st_ino;
    }
}

void HistoryStore::MakeTable() {
    Transaction transaction(db_);
    // A second Skedula may have made it since we looked.
    std::string table(kMeasurementsTable);
    table.replace(0, 12, "CREATE TABLE IF NOT EXISTS");
    db_.Execute(table);
    db_.Execute(IndexSql());
    db_.Execute("PRAGMA user_version = " + std::to_string(kHistorySchemaVersion));
    transaction.Commit();
}

void HistoryStore::CheckColumns() {
    SqliteStatement info = db_.Prepare("SELECT name FROM pragma_table_info('measurements')");
    std::vector<std::string> present;
    while (info.Step())
        present.push_back(info.Text(0));
    for (const char* column : kColumns)
        if (std::find(present.begin(), present.end(), column) == present.end())
            throw Error(std::string("Der Tabelle measurements fehlt die Spalte ") + column);
}

bool HistoryStore::HasIndexes() {
    return HasHistoryIndexes(db_);
}

void HistoryStore::BuildIndexes() {
    Transaction transaction(db_);
    db_.Execute(IndexSql());
    // Only a database without a mark of its own becomes Skedula's; a later Skedula's stays its.
    if (db_.Integer("PRAGMA user_version") == 0)
        db_.Execute("PRAGMA user_version = " + std::to_string(kHistorySchemaVersion));
    transaction.Commit();
}

long long HistoryStore::Append(const Measurement& measurement) {
    Transaction transaction(db_);
    Insert(measurement);
    const long long id = db_.LastInsertId();
    transaction.Commit();
    return id;
}

void HistoryStore::AppendAll(const std::function<bool(Measurement&)>& next) {
    Transaction transaction(db_);
    for (Measurement m; next(m); m = Measurement())
        Insert(m);
    transaction.Commit();
}

void HistoryStore::Insert(const Measurement& m) {
    SqliteStatement& insert = *insert_;
    insert.Reset();
    int column = 1;
    for (const std::string* text : {&m.time, &m.frequency, &m.mode})
        insert.Bind(column++, std::string_view(Utf8OrWindows1252(*text)));
    insert.Bind(column++, Whole(m.threshold));
    insert.Bind(column++, std::string_view(Utf8OrWindows1252(m.radioFrequency)));
    insert.Bind(column++, std::string_view(Utf8OrWindows1252(m.radioMode)));
    for (const std::optional<Sample>& sample : m.samples)
        insert.Bind(column++, sample ? std::optional<long long>(sample->sUnit) : std::nullopt);
    for (const std::optional<Sample>& sample : m.samples)
        insert.Bind(column++, sample ? sample->levelDb : std::nullopt);
    insert.Bind(column++, std::optional<long long>(m.reported ? 1 : 0));
    insert.Bind(column++, m.reported ? m.recording : std::nullopt);
    insert.Step();
    insert.Reset();
}

bool HistoryStore::StillTheFile() const {
    struct stat info {};
    return ::stat(path_.c_str(), &info) == 0 && info.st_dev == device_ && info.st_ino == inode_;
}

} // namespace skedula

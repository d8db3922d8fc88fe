// A thin hold on SQLite for the history database: a connection and its prepared statements that
// close themselves, and SQLite's failures turned into Error with the German message. Used by the
// history's store (writing) and reader; nothing else in the program speaks SQL.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace skedula {

class SqliteStatement;

class SqliteConnection {
public:
    enum class Access {
        ReadOnly,
        ReadWriteCreate, // the file is made when it is not there
    };

    // Throws Error with the German reason (without the path).
    SqliteConnection(const std::string& path, Access access);
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    // Runs one or more statements that give no rows we want.
    void Execute(std::string_view sql);
    SqliteStatement Prepare(std::string_view sql);
    // The first column of the first row of a query that gives one integer (a pragma, a count).
    long long Integer(std::string_view sql);
    void SetBusyTimeout(int milliseconds);
    // The id of the row this connection inserted last.
    long long LastInsertId() const;

    // Throws Error with the German message for SQLite's result code.
    [[noreturn]] void Fail(int code) const;

private:
    std::string path_;
    sqlite3* db_ = nullptr;
};

class SqliteStatement {
public:
    SqliteStatement(SqliteConnection& connection, sqlite3_stmt* statement)
        : connection_(&connection), statement_(statement) {}
    ~SqliteStatement();
    SqliteStatement(SqliteStatement&& other) noexcept;
    SqliteStatement& operator=(SqliteStatement&&) = delete;
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Parameters count from 1; nothing binds NULL.
    void Bind(int index, std::string_view text);
    void Bind(int index, const std::optional<std::string>& text);
    void Bind(int index, std::optional<long long> value);
    void Bind(int index, std::optional<double> value);

    // True while it gives a row; false once done. Throws Error.
    bool Step();
    // Ready to run again, with the same bindings.
    void Reset();

    // Columns count from 0.
    bool IsNull(int column) const;
    std::string Text(int column) const; // empty for NULL
    // The text without a copy, valid until the next Step.
    std::string_view TextView(int column) const;
    std::optional<std::string> OptionalText(int column) const;
    std::optional<long long> Integer(int column) const;
    std::optional<double> Real(int column) const;

private:
    SqliteConnection* connection_;
    sqlite3_stmt* statement_;
};

// The German message for a result code of SQLite. errnum: the system's errno behind a failed
// file operation, or 0; detail: SQLite's own text, told where no German one fits.
std::string SqliteMessage(int code, int errnum, const std::string& path, const std::string& detail);

} // namespace skedula

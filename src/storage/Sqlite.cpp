#include "storage/Sqlite.h"

#include "engine/Error.h"
#include "storage/FileError.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <sqlite3.h>
#include <unistd.h>
#include <utility>

namespace skedula {

namespace {

// SQLite's errno is that of its last failed call, which may concern one of its side files (the
// log, the shared index): a database that exists is looked at directly.
std::string CannotOpen(int errnum, const std::string& path) {
    if (::access(path.c_str(), F_OK) == 0) {
        std::string folder = std::filesystem::path(path).parent_path().string();
        if (::access(path.c_str(), W_OK) != 0 ||
            ::access(folder.empty() ? "." : folder.c_str(), W_OK) != 0)
            return FileErrorMessage(errno, false);
        if (errnum == ENOENT)
            errnum = 0;
    }
    if (errnum != 0)
        return FileErrorMessage(errnum, errnum == ENOENT && FolderMissing(path));
    return "Die Datenbank kann nicht geöffnet werden";
}

} // namespace

std::string SqliteMessage(int code, int errnum, const std::string& path,
                          const std::string& detail) {
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "Die Datenbank ist von einem anderen Programm gesperrt";
    case SQLITE_CORRUPT:
        return "Die Datenbank ist beschädigt";
    case SQLITE_NOTADB:
        return "Die Datei ist keine SQLite-Datenbank";
    case SQLITE_FULL:
        return FileErrorMessage(ENOSPC, false);
    case SQLITE_NOMEM:
        return "Nicht genügend Arbeitsspeicher";
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return FileErrorMessage(errnum != 0 ? errnum : EACCES, false);
    case SQLITE_CANTOPEN:
        return CannotOpen(errnum, path);
    case SQLITE_IOERR:
        // The system's reason where there is one; SQLite's own codes say less.
        return errnum != 0 ? FileErrorMessage(errnum, false) : "E/A-Fehler";
    default:
        return "Datenbankfehler: " + detail;
    }
}

SqliteConnection::SqliteConnection(const std::string& path, Access access) : path_(path) {
    const int flags = access == Access::ReadOnly ? SQLITE_OPEN_READONLY
                                                 : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
    // Each connection is used by one thread at a time: no mutex of SQLite's is needed.
    const int code = sqlite3_open_v2(path.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (code != SQLITE_OK) {
        const int errnum = db_ != nullptr ? sqlite3_system_errno(db_) : 0;
        const std::string detail = db_ != nullptr ? sqlite3_errmsg(db_) : sqlite3_errstr(code);
        sqlite3_close(db_);
        db_ = nullptr;
        throw Error(SqliteMessage(code, errnum, path, detail));
    }
    sqlite3_extended_result_codes(db_, 1);
}

SqliteConnection::~SqliteConnection() {
    // Every statement is finalised by now: it cannot outlive the connection it was made on.
    sqlite3_close(db_);
}

void SqliteConnection::Fail(int code) const {
    throw Error(SqliteMessage(code, sqlite3_system_errno(db_), path_, sqlite3_errmsg(db_)));
}

void SqliteConnection::Execute(std::string_view sql) {
    const std::string text(sql);
    const int code = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, nullptr);
    if (code != SQLITE_OK)
        Fail(code);
}

SqliteStatement SqliteConnection::Prepare(std::string_view sql) {
    sqlite3_stmt* statement = nullptr;
    const int code =
        sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement, nullptr);
    if (code != SQLITE_OK)
        Fail(code);
    return SqliteStatement(*this, statement);
}

long long SqliteConnection::Integer(std::string_view sql) {
    SqliteStatement statement = Prepare(sql);
    return statement.Step() ? statement.Integer(0).value_or(0) : 0;
}

long long SqliteConnection::LastInsertId() const {
    return sqlite3_last_insert_rowid(db_);
}

void SqliteConnection::SetBusyTimeout(int milliseconds) {
    sqlite3_busy_timeout(db_, milliseconds);
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(statement_);
}

SqliteStatement::SqliteStatement(SqliteStatement&& other) noexcept
    : connection_(other.connection_), statement_(std::exchange(other.statement_, nullptr)) {}

void SqliteStatement::Bind(int index, std::string_view text) {
    const int code = sqlite3_bind_text(statement_, index, text.data(),
                                       static_cast<int>(text.size()), SQLITE_TRANSIENT);
    if (code != SQLITE_OK)
        connection_->Fail(code);
}

void SqliteStatement::Bind(int index, const std::optional<std::string>& text) {
    if (text)
        Bind(index, std::string_view(*text));
    else if (const int code = sqlite3_bind_null(statement_, index); code != SQLITE_OK)
        connection_->Fail(code);
}

void SqliteStatement::Bind(int index, std::optional<long long> value) {
    const int code = value ? sqlite3_bind_int64(statement_, index, *value)
                           : sqlite3_bind_null(statement_, index);
    if (code != SQLITE_OK)
        connection_->Fail(code);
}

void SqliteStatement::Bind(int index, std::optional<double> value) {
    const int code = value ? sqlite3_bind_double(statement_, index, *value)
                           : sqlite3_bind_null(statement_, index);
    if (code != SQLITE_OK)
        connection_->Fail(code);
}

bool SqliteStatement::Step() {
    const int code = sqlite3_step(statement_);
    if (code == SQLITE_ROW)
        return true;
    if (code == SQLITE_DONE)
        return false;
    // A failed step leaves the statement to be reset before it can run again.
    sqlite3_reset(statement_);
    connection_->Fail(code);
}

void SqliteStatement::Reset() {
    sqlite3_reset(statement_);
}

bool SqliteStatement::IsNull(int column) const {
    return sqlite3_column_type(statement_, column) == SQLITE_NULL;
}

std::string SqliteStatement::Text(int column) const {
    return std::string(TextView(column));
}

std::string_view SqliteStatement::TextView(int column) const {
    const auto* text = sqlite3_column_text(statement_, column);
    if (text == nullptr)
        return {};
    return {reinterpret_cast<const char*>(text),
            static_cast<std::size_t>(sqlite3_column_bytes(statement_, column))};
}

std::optional<std::string> SqliteStatement::OptionalText(int column) const {
    if (IsNull(column))
        return std::nullopt;
    return Text(column);
}

std::optional<long long> SqliteStatement::Integer(int column) const {
    if (IsNull(column))
        return std::nullopt;
    return sqlite3_column_int64(statement_, column);
}

std::optional<double> SqliteStatement::Real(int column) const {
    if (IsNull(column))
        return std::nullopt;
    return sqlite3_column_double(statement_, column);
}

} // namespace skedula

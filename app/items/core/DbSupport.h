#pragma once
// Internal helpers of the database layer: errors from SQLite, binding and reading values.

#include "ItemDatabase.h"
#include "JetSql.h"

#include <QVariant>

#include <sqlite3.h>

namespace gw::dbsupport {

DbError makeError(int number, const QString& source, const QString& description,
                  DbErrorKind kind = DbErrorKind::Other);
[[noreturn]] void fail(int number, const QString& source, const QString& description,
                       DbErrorKind kind = DbErrorKind::Other);
// The error of the last SQLite call on `db` (or of `rc` when db is null).
DbError sqliteError(sqlite3* db, int rc, const QString& source);
[[noreturn]] void failSqlite(sqlite3* db, int rc, const QString& source);

// Owns a prepared statement.
class Statement {
public:
    Statement(sqlite3* db, const QString& sql, const QString& source);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return stmt_; }
    void bind(int index, const QVariant& storageValue); // 1-based
    bool step();                                         // true while a row is ready
    QVariant column(int index) const;                    // 0-based, as stored

private:
    sqlite3* db_;
    sqlite3_stmt* stmt_ = nullptr;
    QString source_;
};

void bindValue(sqlite3* db, sqlite3_stmt* stmt, int index, const QVariant& storageValue,
               const QString& source);
QVariant columnValue(sqlite3_stmt* stmt, int index);

// Quotes an identifier for SQL after checking it is a plain name.
QString quoteName(const QString& name);
bool isPlainName(const QString& name);

// The values of a translated statement, each converted for the column it meets.
QVariantList bindableParams(Database& db, const SqlText& text);

} // namespace gw::dbsupport

#pragma once
// The item database: a SQLite file reached through a small record-set layer that offers the
// operations the program needs of its database engine (open shared or exclusive, close all,
// compact, column list and append, update statements, record sets).
//
// Statement texts may use the engine dialect the program's fixed texts are written in
// (Yes/No, IsNull(), LIKE with * and ?, [Column], double-quoted strings); the layer
// translates them. Every literal in such a text, and every value passed separately, is bound,
// never pasted into SQL.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <exception>
#include <memory>
#include <string>
#include <vector>

struct sqlite3;

namespace gw {

enum class DbErrorKind { None, FileNotFound, DiskOrNetwork, Other };

struct DbError {
    int number = 0;
    QString source;
    QString description;
    DbErrorKind kind = DbErrorKind::None;
};

class DbException : public std::exception {
public:
    explicit DbException(DbError error);
    const DbError& error() const { return error_; }
    const char* what() const noexcept override { return what_.c_str(); }

private:
    DbError error_;
    std::string what_;
};

// Engine error numbers, as the standard error box shows them.
namespace dberr {
inline constexpr int NoCurrentRecord = 3021;
inline constexpr int FileNotFound = 3024;
inline constexpr int DiskOrNetwork = 3043;
inline constexpr int AlreadyOpenExclusive = 3045;
inline constexpr int RecordDeleted = 3167;
inline constexpr int FileInUse = 3356;
inline constexpr int UnrecognizedFormat = 3343;
inline constexpr int ItemNotFound = 3265;
inline constexpr int FileExists = 3204;
inline constexpr int Syntax = 3075;
inline constexpr int General = 3000;
inline constexpr int NotOpen = 3420;
} // namespace dberr

enum class OpenMode { Shared, Exclusive };

// How a column's values are held and converted.
enum class ColumnType { Key, Text, Memo, Money, Date, YesNo, Number };

struct ColumnInfo {
    QString name;
    ColumnType type = ColumnType::Text;
    QString declaredType;
};

// Declared SQL type names that carry the column types above.
QString declaredTypeName(ColumnType type);
ColumnType columnTypeOf(const QString& declaredType, bool primaryKey);

// Converts a value for storage in a column of the given type: money text or Money to
// ten-thousandths, date text or QDateTime to the stored form, yes/no words and numbers to
// 1/0. Null and empty text stay null. Throws DbException when the value cannot be held.
QVariant toStorage(ColumnType type, const QVariant& value);
// A stored value as the program sees it: Money, QDateTime, bool, qint64 or QString.
QVariant fromStorage(ColumnType type, const QVariant& stored);

class RecordSet;
class Criteria;

class Database {
public:
    // Opens an existing database file read-write. Shared opens coexist; an exclusive open
    // fails while any other open exists and keeps every later open out, in this process and
    // in others. nullptr on failure, with `error` filled when given.
    static std::unique_ptr<Database> open(const QString& path, OpenMode mode, DbError* error);

    // Closes every database this process has open (the objects stay, closed).
    static void closeAll();
    // Number of open databases (all files).
    static int openCount();

    // Writes a compacted copy of a closed database file into a new file. Fails when the
    // source is open in this process, is missing, or the target exists.
    static bool compact(const QString& source, const QString& target, DbError* error);

    // Creates a new, empty database file (fails if it exists) and opens it exclusively.
    static std::unique_ptr<Database> create(const QString& path, DbError* error);

    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    bool isOpen() const;
    void close();
    const QString& path() const { return path_; }
    OpenMode mode() const { return mode_; }

    // Column names of a table, in table order. Throws DbException.
    QStringList columnNames(const QString& table);
    std::vector<ColumnInfo> columns(const QString& table);
    bool hasTable(const QString& table);

    // Appends a column of type YesNo or Text with a default-value expression (empty: none).
    void appendColumn(const QString& table, const QString& name, ColumnType type,
                      const QString& defaultExpression);

    // Runs a statement that returns no rows; returns the number of rows changed.
    // `params` bind to "?" in order after the text's own literals are bound in place.
    // A value bound against a column ("Col = ?", "Col LIKE ?") is converted for that column.
    int execute(const QString& statement, const QVariantList& params = {});

    // Groups statements so that they are written together (and much faster); a rollback
    // drops them. Throws DbException.
    void beginTrans();
    void commitTrans();
    void rollback();

    // Column types of a table, looked up once (cleared when this connection changes a table).
    const QHash<QString, ColumnType>& columnTypes(const QString& table);

    // A record set on a query "SELECT cols FROM table [WHERE ...] [ORDER BY ...]".
    std::unique_ptr<RecordSet> openRecordSet(const QString& query, const QVariantList& params = {});

    sqlite3* handle();

private:
    Database() = default;
    friend class RecordSet;
    struct Lock;

    QString path_;
    OpenMode mode_ = OpenMode::Shared;
    sqlite3* db_ = nullptr;
    int lockFd_ = -1;
    QHash<QString, QHash<QString, ColumnType>> typeCache_; // lower-case table -> lower-case column
};

} // namespace gw

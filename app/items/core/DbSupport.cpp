#include "DbSupport.h"

#include <QFileInfo>

namespace gw {

DbException::DbException(DbError error) : error_(std::move(error))
{
    what_ = QStringLiteral("Error %1 (%2): %3")
                .arg(error_.number)
                .arg(error_.source, error_.description)
                .toStdString();
}

namespace dbsupport {

DbError makeError(int number, const QString& source, const QString& description, DbErrorKind kind)
{
    DbError e;
    e.number = number;
    e.source = source;
    e.description = description;
    e.kind = kind;
    return e;
}

void fail(int number, const QString& source, const QString& description, DbErrorKind kind)
{
    throw DbException(makeError(number, source, description, kind));
}

DbError sqliteError(sqlite3* db, int rc, const QString& source)
{
    const int primary = rc & 0xff;
    const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db))
                               : QString::fromUtf8(sqlite3_errstr(rc));
    switch (primary) {
    case SQLITE_IOERR:
    case SQLITE_FULL:
    case SQLITE_PROTOCOL:
        return makeError(dberr::DiskOrNetwork, source, QStringLiteral("Disk or network error. ") + message,
                         DbErrorKind::DiskOrNetwork);
    case SQLITE_NOTADB:
    case SQLITE_CORRUPT:
        return makeError(dberr::UnrecognizedFormat, source,
                         QStringLiteral("Unrecognized database format. ") + message);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return makeError(dberr::FileInUse, source, QStringLiteral("The file is in use. ") + message);
    case SQLITE_CONSTRAINT:
    case SQLITE_MISMATCH:
    case SQLITE_TOOBIG:
        return makeError(3163, source, message);
    default:
        return makeError(dberr::General, source, message);
    }
}

void failSqlite(sqlite3* db, int rc, const QString& source)
{
    throw DbException(sqliteError(db, rc, source));
}

Statement::Statement(sqlite3* db, const QString& sql, const QString& source)
    : db_(db), source_(source)
{
    const QByteArray text = sql.toUtf8();
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db, text.constData(), int(text.size()), &stmt_, &tail);
    if (rc != SQLITE_OK)
        failSqlite(db, rc, source);
    if (tail && QByteArray(tail).trimmed().size() > 0) {
        sqlite3_finalize(stmt_);
        stmt_ = nullptr;
        fail(dberr::Syntax, source, QStringLiteral("Characters found after end of SQL statement."));
    }
}

Statement::~Statement() { sqlite3_finalize(stmt_); }

void Statement::bind(int index, const QVariant& v) { bindValue(db_, stmt_, index, v, source_); }

bool Statement::step()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    failSqlite(db_, rc, source_);
}

QVariant Statement::column(int index) const { return columnValue(stmt_, index); }

void bindValue(sqlite3* db, sqlite3_stmt* stmt, int index, const QVariant& v, const QString& source)
{
    int rc = SQLITE_OK;
    if (!v.isValid() || v.isNull()) {
        rc = sqlite3_bind_null(stmt, index);
    } else {
        switch (v.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Long:
            rc = sqlite3_bind_int64(stmt, index, v.toLongLong());
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(stmt, index, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            rc = sqlite3_bind_blob64(stmt, index, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray t = v.toString().toUtf8();
            rc = sqlite3_bind_text64(stmt, index, t.constData(), sqlite3_uint64(t.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        failSqlite(db, rc, source);
}

QVariant columnValue(sqlite3_stmt* stmt, int index)
{
    switch (sqlite3_column_type(stmt, index)) {
    case SQLITE_INTEGER:
        return QVariant(qint64(sqlite3_column_int64(stmt, index)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(stmt, index));
    case SQLITE_TEXT: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt, index));
        return QVariant(QString::fromUtf8(p, sqlite3_column_bytes(stmt, index)));
    }
    case SQLITE_BLOB: {
        const auto* p = static_cast<const char*>(sqlite3_column_blob(stmt, index));
        return QVariant(QByteArray(p, sqlite3_column_bytes(stmt, index)));
    }
    default:
        return QVariant();
    }
}

bool isPlainName(const QString& name)
{
    if (name.isEmpty() || name.size() > 64)
        return false;
    for (int i = 0; i < name.size(); ++i) {
        const ushort c = name[i].unicode();
        const bool alpha = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
        const bool digit = c >= '0' && c <= '9';
        if (!(alpha || (digit && i > 0)))
            return false;
    }
    return true;
}

QString quoteName(const QString& name)
{
    if (!isPlainName(name))
        fail(dberr::ItemNotFound, QStringLiteral("DAO.Database"),
             QStringLiteral("Item not found in this collection."));
    return QLatin1Char('"') + name + QLatin1Char('"');
}

} // namespace dbsupport
} // namespace gw

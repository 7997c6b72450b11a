#include "ItemDatabase.h"

#include "DateValue.h"
#include "DbSupport.h"
#include "JetSql.h"
#include "Money.h"
#include "RecordSet.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace gw {

using namespace dbsupport;

namespace {

const QString SrcWorkspace = QStringLiteral("DAO.Workspace");
const QString SrcDatabase = QStringLiteral("DAO.Database");
const QString SrcEngine = QStringLiteral("DAO.DBEngine");

std::vector<Database*>& registry()
{
    static std::vector<Database*> open;
    return open;
}

QString canonical(const QString& path)
{
    const QString c = QFileInfo(path).canonicalFilePath();
    return c.isEmpty() ? QFileInfo(path).absoluteFilePath() : c;
}

bool openInThisProcess(const QString& path)
{
    const QString c = canonical(path);
    return std::any_of(registry().begin(), registry().end(),
                       [&](Database* d) { return d->isOpen() && canonical(d->path()) == c; });
}

void setError(DbError* out, const DbError& e)
{
    if (out)
        *out = e;
}

} // namespace

// ---- opening and closing

std::unique_ptr<Database> Database::open(const QString& path, OpenMode mode, DbError* error)
{
    setError(error, DbError());
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists() || info.isDir()) {
        setError(error, makeError(dberr::FileNotFound, SrcWorkspace,
                                  QStringLiteral("Couldn't find file '%1'.").arg(path),
                                  DbErrorKind::FileNotFound));
        return nullptr;
    }
    const QByteArray native = QFile::encodeName(path);
    const int fd = ::open(native.constData(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        const bool io = err == EIO || err == ENXIO || err == ENODEV || err == ESTALE;
        setError(error, makeError(io ? dberr::DiskOrNetwork : 3051, SrcWorkspace,
                                  QStringLiteral("Couldn't open file '%1': %2")
                                      .arg(path, QString::fromLocal8Bit(strerror(err))),
                                  io ? DbErrorKind::DiskOrNetwork : DbErrorKind::Other));
        return nullptr;
    }
    // A lock on the file itself keeps exclusive and shared opens apart, also between
    // processes and between connections of this process (each has its own descriptor).
    const int how = (mode == OpenMode::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
    if (::flock(fd, how) != 0) {
        ::close(fd);
        setError(error, makeError(dberr::AlreadyOpenExclusive, SrcWorkspace,
                                  mode == OpenMode::Exclusive
                                      ? QStringLiteral("Couldn't use '%1'; file already in use.").arg(path)
                                      : QStringLiteral("Couldn't use '%1'; file already opened exclusively.")
                                            .arg(path)));
        return nullptr;
    }
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(native.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                             nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "PRAGMA schema_version", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        setError(error, sqliteError(db, rc, SrcWorkspace));
        sqlite3_close_v2(db);
        ::close(fd);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 2000);
    std::unique_ptr<Database> out(new Database());
    out->path_ = path;
    out->mode_ = mode;
    out->db_ = db;
    out->lockFd_ = fd;
    registry().push_back(out.get());
    return out;
}

std::unique_ptr<Database> Database::create(const QString& path, DbError* error)
{
    setError(error, DbError());
    if (QFileInfo::exists(path)) {
        setError(error, makeError(dberr::FileExists, SrcEngine,
                                  QStringLiteral("Database already exists.")));
        return nullptr;
    }
    sqlite3* db = nullptr;
    const QByteArray native = QFile::encodeName(path);
    int rc = sqlite3_open_v2(native.constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "PRAGMA user_version = 1", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        setError(error, sqliteError(db, rc, SrcEngine));
        sqlite3_close_v2(db);
        return nullptr;
    }
    sqlite3_close_v2(db);
    return open(path, OpenMode::Exclusive, error);
}

Database::~Database()
{
    close();
    auto& r = registry();
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
}

bool Database::isOpen() const { return db_ != nullptr; }

void Database::close()
{
    if (db_) {
        // Record sets may still hold statements; the connection closes when they finish.
        sqlite3_close_v2(db_);
        db_ = nullptr;
    }
    if (lockFd_ >= 0) {
        ::close(lockFd_);
        lockFd_ = -1;
    }
}

void Database::closeAll()
{
    for (Database* d : registry())
        d->close();
}

int Database::openCount()
{
    return int(std::count_if(registry().begin(), registry().end(),
                             [](Database* d) { return d->isOpen(); }));
}

bool Database::compact(const QString& source, const QString& target, DbError* error)
{
    setError(error, DbError());
    if (!QFileInfo::exists(source)) {
        setError(error, makeError(dberr::FileNotFound, SrcEngine,
                                  QStringLiteral("Couldn't find file '%1'.").arg(source),
                                  DbErrorKind::FileNotFound));
        return false;
    }
    if (QFileInfo::exists(target)) {
        setError(error, makeError(dberr::FileExists, SrcEngine, QStringLiteral("Database already exists.")));
        return false;
    }
    if (openInThisProcess(source)) {
        setError(error, makeError(dberr::FileInUse, SrcEngine,
                                  QStringLiteral("Couldn't use '%1'; file already in use.").arg(source)));
        return false;
    }
    DbError openError;
    auto db = open(source, OpenMode::Exclusive, &openError);
    if (!db) {
        setError(error, openError);
        return false;
    }
    try {
        Statement st(db->handle(), QStringLiteral("VACUUM INTO ?"), SrcEngine);
        st.bind(1, target);
        st.step();
    } catch (const DbException& e) {
        setError(error, e.error());
        return false;
    }
    return true;
}

sqlite3* Database::handle()
{
    if (!db_)
        fail(dberr::NotOpen, SrcDatabase, QStringLiteral("Object invalid or no longer set."));
    return db_;
}

// ---- schema

std::vector<ColumnInfo> Database::columns(const QString& table)
{
    Statement st(handle(), QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?)"), SrcDatabase);
    st.bind(1, table);
    std::vector<ColumnInfo> out;
    while (st.step()) {
        ColumnInfo c;
        c.name = st.column(0).toString();
        c.declaredType = st.column(1).toString();
        c.type = columnTypeOf(c.declaredType, st.column(2).toLongLong() > 0);
        out.push_back(c);
    }
    if (out.empty())
        fail(3078, SrcDatabase,
             QStringLiteral("The database engine cannot find the input table or query '%1'.").arg(table));
    return out;
}

QStringList Database::columnNames(const QString& table)
{
    QStringList names;
    for (const ColumnInfo& c : columns(table))
        names << c.name;
    return names;
}

bool Database::hasTable(const QString& table)
{
    Statement st(handle(),
                 QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"),
                 SrcDatabase);
    st.bind(1, table);
    return st.step();
}

void Database::appendColumn(const QString& table, const QString& name, ColumnType type,
                            const QString& defaultExpression)
{
    if (type != ColumnType::YesNo && type != ColumnType::Text)
        fail(3259, SrcDatabase, QStringLiteral("Invalid field data type."));
    if (columnNames(table).contains(name, Qt::CaseInsensitive))
        fail(3191, SrcDatabase, QStringLiteral("Can't define field more than once."));
    QString sql = QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3")
                      .arg(quoteName(table), quoteName(name), declaredTypeName(type));
    const QString expr = defaultExpression.trimmed();
    if (!expr.isEmpty()) {
        // A default is part of the table's definition and cannot be bound: it is validated
        // and written as a literal of the column's type.
        QString value = expr;
        const QChar q = expr.front();
        if (expr.size() >= 2 && (q == QLatin1Char('"') || q == QLatin1Char('\'')) && expr.back() == q)
            value = expr.mid(1, expr.size() - 2).replace(QString(2, q), QString(q));
        const QVariant stored = toStorage(type, value);
        if (type == ColumnType::YesNo)
            sql += QStringLiteral(" DEFAULT ") + QString::number(stored.toLongLong());
        else
            sql += QStringLiteral(" DEFAULT '") + stored.toString().replace(QLatin1Char('\''), QStringLiteral("''"))
                   + QLatin1Char('\'');
    }
    typeCache_.clear();
    Statement st(handle(), sql, SrcDatabase);
    st.step();
}

// ---- statements

namespace {

QString targetTable(const QString& sql)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*(?:UPDATE|DELETE\\s+FROM|INSERT\\s+INTO|SELECT\\s.*?\\sFROM)\\s+\"?(\\w+)\"?"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    return re.match(sql).captured(1);
}

} // namespace

QVariantList dbsupport::bindableParams(Database& db, const SqlText& text)
{
    QVariantList out;
    const QString table = targetTable(text.sql);
    QHash<QString, ColumnType> types;
    if (!table.isEmpty())
        types = db.columnTypes(table);
    for (int i = 0; i < text.params.size(); ++i) {
        const QString col = i < text.paramColumns.size() ? text.paramColumns[i].toLower() : QString();
        const auto it = types.constFind(col);
        if (it != types.constEnd())
            out << toStorage(*it, text.params[i]);
        else if (text.params[i].typeId() == qMetaTypeId<Money>())
            out << QVariant(qint64(text.params[i].value<Money>().units()));
        else if (text.params[i].typeId() == QMetaType::QDateTime)
            out << toStorageDate(text.params[i].toDateTime());
        else
            out << text.params[i];
    }
    return out;
}

const QHash<QString, ColumnType>& Database::columnTypes(const QString& table)
{
    const QString key = table.toLower();
    auto it = typeCache_.find(key);
    if (it == typeCache_.end()) {
        static const QHash<QString, ColumnType> none;
        if (!hasTable(table))
            return none;
        QHash<QString, ColumnType> types;
        for (const ColumnInfo& c : columns(table))
            types.insert(c.name.toLower(), c.type);
        it = typeCache_.insert(key, types);
    }
    return *it;
}

void Database::beginTrans() { Statement(handle(), QStringLiteral("BEGIN"), SrcDatabase).step(); }
void Database::commitTrans() { Statement(handle(), QStringLiteral("COMMIT"), SrcDatabase).step(); }
void Database::rollback() { Statement(handle(), QStringLiteral("ROLLBACK"), SrcDatabase).step(); }

int Database::execute(const QString& statement, const QVariantList& params)
{
    static const QRegularExpression ddl(QStringLiteral("^\\s*(ALTER|CREATE|DROP)\\b"),
                                        QRegularExpression::CaseInsensitiveOption);
    if (ddl.match(statement).hasMatch())
        typeCache_.clear();
    const SqlText text = translateJet(statement, params);
    const QVariantList values = bindableParams(*this, text);
    Statement st(handle(), text.sql, SrcDatabase);
    for (int i = 0; i < values.size(); ++i)
        st.bind(i + 1, values[i]);
    while (st.step()) {
    }
    return sqlite3_changes(db_);
}

std::unique_ptr<RecordSet> Database::openRecordSet(const QString& query, const QVariantList& params)
{
    const SqlText text = translateJet(query, params);
    static const QRegularExpression re(
        QStringLiteral("^\\s*SELECT\\s+(.+?)\\s+FROM\\s+(\"?\\w+\"?)(?:\\s+WHERE\\s+(.+?))?"
                       "(?:\\s+ORDER\\s+BY\\s+(.+?))?\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(text.sql);
    if (!m.hasMatch())
        fail(dberr::Syntax, QStringLiteral("DAO.Recordset"),
             QStringLiteral("Syntax error in query expression '%1'.").arg(query));
    QString table = m.captured(2);
    table.remove(QLatin1Char('"'));
    std::unique_ptr<RecordSet> rs(new RecordSet(*this, table, m.captured(1), m.captured(3),
                                                m.captured(4), bindableParams(*this, text)));
    rs->requery();
    return rs;
}

} // namespace gw

#include "RecordSet.h"

#include "DbSupport.h"
#include "Money.h"

#include <QRegularExpression>

#include <algorithm>

namespace gw {

using namespace dbsupport;

namespace {
const QString Src = QStringLiteral("DAO.Recordset");

[[noreturn]] void noCurrent()
{
    fail(dberr::NoCurrentRecord, Src, QStringLiteral("No current record."));
}
} // namespace

RecordSet::RecordSet(Database& db, QString table, QString columns, QString where, QString order,
                     QVariantList params)
    : db_(db), table_(std::move(table)), columns_(std::move(columns)), where_(std::move(where)),
      order_(std::move(order)), whereParams_(std::move(params))
{
    QString keyColumn;
    for (const ColumnInfo& c : db_.columns(table_)) {
        tableColumns_ << c.name;
        tableTypes_.insert(c.name.toLower(), c.type);
        if (c.type == ColumnType::Key)
            keyColumn = c.name;
    }
    const QString fetchSql = QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                 .arg(columns_, quoteName(table_));
    const QByteArray text = fetchSql.toUtf8();
    const int rc = sqlite3_prepare_v3(db_.handle(), text.constData(), int(text.size()),
                                      SQLITE_PREPARE_PERSISTENT, &fetch_, nullptr);
    if (rc != SQLITE_OK)
        failSqlite(db_.handle(), rc, Src);
    const int count = sqlite3_column_count(fetch_);
    for (int i = 0; i < count; ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(fetch_, i));
        names_ << name;
        types_.push_back(tableTypes_.value(name.toLower(), ColumnType::Number));
    }
    // A text index kept beside the table under the name <table>Search speeds up finds.
    const QString indexName = table_ + QStringLiteral("Search");
    if (db_.hasTable(indexName)) {
        SearchIndex index;
        index.table = indexName;
        for (const ColumnInfo& c : db_.columns(indexName))
            index.columns << c.name;
        index_ = index;
    }
    QString sortKey = order_.trimmed();
    sortKey.remove(QLatin1Char('"'));
    sortKey.remove(QRegularExpression(QStringLiteral("\\s+ASC$"), QRegularExpression::CaseInsensitiveOption));
    if (sortKey.contains(QLatin1Char('.')))
        sortKey = sortKey.section(QLatin1Char('.'), -1);
    sortedByKey_ = !keyColumn.isEmpty()
                   && (sortKey.compare(keyColumn, Qt::CaseInsensitive) == 0
                       || sortKey.compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0);
}

RecordSet::~RecordSet() { sqlite3_finalize(fetch_); }

void RecordSet::checkOpen() const
{
    if (!db_.isOpen())
        fail(dberr::NotOpen, Src, QStringLiteral("Object invalid or no longer set."));
}

void RecordSet::requery()
{
    checkOpen();
    QString sql = QStringLiteral("SELECT rowid FROM %1").arg(quoteName(table_));
    if (!where_.trimmed().isEmpty())
        sql += QStringLiteral(" WHERE ") + where_;
    if (!order_.trimmed().isEmpty())
        sql += QStringLiteral(" ORDER BY ") + order_;
    Statement st(db_.handle(), sql, Src);
    for (int i = 0; i < whereParams_.size(); ++i)
        st.bind(i + 1, whereParams_[i]);
    std::vector<Bookmark> keys;
    keys.reserve(keys_.size());
    while (st.step())
        keys.push_back(sqlite3_column_int64(st.get(), 0));
    keys_.swap(keys);
    pos_ = keys_.empty() ? -1 : 0;
    deleted_ = false;
    adding_ = false;
    edits_.clear();
    noMatch_ = false;
    cachedKey_ = -1;
}

void RecordSet::moveFirst()
{
    checkOpen();
    if (keys_.empty())
        noCurrent();
    pos_ = 0;
    deleted_ = adding_ = false;
    edits_.clear();
}

void RecordSet::moveLast()
{
    checkOpen();
    if (keys_.empty())
        noCurrent();
    pos_ = int(keys_.size()) - 1;
    deleted_ = adding_ = false;
    edits_.clear();
}

void RecordSet::moveNext()
{
    checkOpen();
    if (deleted_) {
        // the record after the deleted one now sits at its position
        deleted_ = false;
    } else {
        if (eof())
            noCurrent();
        ++pos_;
    }
    adding_ = false;
    edits_.clear();
}

void RecordSet::movePrevious()
{
    checkOpen();
    if (!deleted_ && bof())
        noCurrent();
    deleted_ = false;
    --pos_;
    if (pos_ < -1)
        pos_ = -1;
    adding_ = false;
    edits_.clear();
}

void RecordSet::moveTo(int absolutePosition)
{
    checkOpen();
    if (absolutePosition < 0 || absolutePosition >= int(keys_.size()))
        fail(3001, Src, QStringLiteral("Invalid argument."));
    pos_ = absolutePosition;
    deleted_ = adding_ = false;
    edits_.clear();
}

RecordSet::Bookmark RecordSet::bookmark() const
{
    if (!hasCurrent())
        noCurrent();
    return keys_[size_t(pos_)];
}

int RecordSet::indexOfKey(Bookmark key) const
{
    if (sortedByKey_) {
        const auto it = std::lower_bound(keys_.begin(), keys_.end(), key);
        return it != keys_.end() && *it == key ? int(it - keys_.begin()) : -1;
    }
    const auto it = std::find(keys_.begin(), keys_.end(), key);
    return it != keys_.end() ? int(it - keys_.begin()) : -1;
}

void RecordSet::setBookmark(Bookmark b)
{
    checkOpen();
    const int i = indexOfKey(b);
    if (i < 0)
        fail(3159, Src, QStringLiteral("Not a valid bookmark."));
    pos_ = i;
    deleted_ = adding_ = false;
    edits_.clear();
}

int RecordSet::columnIndex(const QString& column) const
{
    for (int i = 0; i < names_.size(); ++i)
        if (names_[i].compare(column, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

bool RecordSet::hasColumn(const QString& column) const { return columnIndex(column) >= 0; }

ColumnType RecordSet::columnType(const QString& column) const
{
    const int i = columnIndex(column);
    if (i < 0)
        fail(dberr::ItemNotFound, Src, QStringLiteral("Item not found in this collection."));
    return types_[size_t(i)];
}

void RecordSet::loadCurrent() const
{
    const Bookmark key = keys_[size_t(pos_)];
    if (cachedKey_ == key)
        return;
    sqlite3_reset(fetch_);
    sqlite3_bind_int64(fetch_, 1, key);
    const int rc = sqlite3_step(fetch_);
    if (rc != SQLITE_ROW) {
        sqlite3_reset(fetch_);
        if (rc == SQLITE_DONE)
            fail(dberr::RecordDeleted, Src, QStringLiteral("Record is deleted."));
        failSqlite(const_cast<Database&>(db_).handle(), rc, Src);
    }
    cachedRow_.clear();
    for (int i = 0; i < names_.size(); ++i)
        cachedRow_ << fromStorage(types_[size_t(i)], columnValue(fetch_, i));
    sqlite3_reset(fetch_);
    cachedKey_ = key;
}

QVariant RecordSet::value(const QString& column) const
{
    checkOpen();
    const int i = columnIndex(column);
    if (i < 0)
        fail(dberr::ItemNotFound, Src, QStringLiteral("Item not found in this collection."));
    const auto edit = edits_.constFind(i);
    if (edit != edits_.constEnd())
        return *edit;
    if (adding_)
        return QVariant();
    if (deleted_)
        fail(dberr::RecordDeleted, Src, QStringLiteral("Record is deleted."));
    if (!hasCurrent())
        noCurrent();
    loadCurrent();
    return cachedRow_[i];
}

void RecordSet::setValue(const QString& column, const QVariant& value)
{
    checkOpen();
    if (!adding_ && !hasCurrent())
        noCurrent();
    const int i = columnIndex(column);
    if (i < 0)
        fail(dberr::ItemNotFound, Src, QStringLiteral("Item not found in this collection."));
    const ColumnType type = types_[size_t(i)];
    if (type == ColumnType::Key)
        fail(3113, Src, QStringLiteral("Cannot update '%1'; field not updatable.").arg(names_[i]));
    edits_.insert(i, fromStorage(type, toStorage(type, value)));
}

void RecordSet::addNew()
{
    checkOpen();
    edits_.clear();
    adding_ = true;
}

void RecordSet::cancelUpdate()
{
    edits_.clear();
    adding_ = false;
}

void RecordSet::update()
{
    checkOpen();
    if (!adding_ && edits_.empty())
        return;
    sqlite3* h = db_.handle();
    QStringList cols;
    QVariantList values;
    for (auto it = edits_.constBegin(); it != edits_.constEnd(); ++it) {
        cols << quoteName(names_[it.key()]);
        values << toStorage(types_[size_t(it.key())], it.value());
    }
    if (adding_) {
        QString sql = cols.isEmpty()
                          ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteName(table_))
                          : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(quoteName(table_), cols.join(QStringLiteral(", ")),
                                     QStringList(QList<QString>(cols.size(), QStringLiteral("?")))
                                         .join(QStringLiteral(", ")));
        Statement st(h, sql, Src);
        for (int i = 0; i < values.size(); ++i)
            st.bind(i + 1, values[i]);
        st.step();
        const Bookmark id = sqlite3_last_insert_rowid(h);
        if (sortedByKey_ && !keys_.empty() && id < keys_.back())
            sortedByKey_ = false;
        keys_.push_back(id);
    } else {
        if (!hasCurrent())
            noCurrent();
        QStringList sets;
        for (const QString& c : cols)
            sets << c + QStringLiteral(" = ?");
        Statement st(h, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                            .arg(quoteName(table_), sets.join(QStringLiteral(", "))),
                     Src);
        int k = 1;
        for (const QVariant& v : values)
            st.bind(k++, v);
        st.bind(k, QVariant(qint64(keys_[size_t(pos_)])));
        st.step();
        cachedKey_ = -1;
    }
    adding_ = false;
    edits_.clear();
}

void RecordSet::deleteCurrent()
{
    checkOpen();
    if (!hasCurrent())
        noCurrent();
    Statement st(db_.handle(), QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoteName(table_)), Src);
    st.bind(1, QVariant(qint64(keys_[size_t(pos_)])));
    st.step();
    keys_.erase(keys_.begin() + pos_);
    deleted_ = true;
    edits_.clear();
    cachedKey_ = -1;
}

// ---- find

std::vector<RecordSet::Bookmark> RecordSet::matchingKeys(const Criteria& criteria, Bookmark from,
                                                         bool forward, bool limitOne) const
{
    SqlText crit = criteria.toSql(tableColumns_, index_ ? &*index_ : nullptr);
    QVariantList values;
    for (int i = 0; i < crit.params.size(); ++i) {
        const QString col = i < crit.paramColumns.size() ? crit.paramColumns[i].toLower() : QString();
        const auto t = tableTypes_.constFind(col);
        values << (t != tableTypes_.constEnd() ? toStorage(*t, crit.params[i]) : crit.params[i]);
    }
    QString sql = QStringLiteral("SELECT rowid FROM %1 WHERE (%2)").arg(quoteName(table_), crit.sql);
    if (limitOne) {
        sql += forward ? QStringLiteral(" AND rowid >= ? ORDER BY rowid LIMIT 32")
                       : QStringLiteral(" AND rowid <= ? ORDER BY rowid DESC LIMIT 32");
        values << QVariant(qint64(from));
    }
    Statement st(const_cast<Database&>(db_).handle(), sql, Src);
    for (int i = 0; i < values.size(); ++i)
        st.bind(i + 1, values[i]);
    std::vector<Bookmark> out;
    while (st.step())
        out.push_back(sqlite3_column_int64(st.get(), 0));
    return out;
}

bool RecordSet::findFrom(const Criteria& criteria, int start, bool forward)
{
    checkOpen();
    noMatch_ = true;
    const int n = int(keys_.size());
    if (n == 0 || start < 0 || start >= n)
        return false;
    if (criteria.isEmpty()) {
        noMatch_ = false;
        pos_ = start;
        deleted_ = adding_ = false;
        edits_.clear();
        return true;
    }
    int found = -1;
    if (sortedByKey_) {
        // Walk the table by key from the start, a batch at a time; records that are not
        // part of this set are skipped.
        Bookmark from = keys_[size_t(start)];
        for (;;) {
            const std::vector<Bookmark> batch = matchingKeys(criteria, from, forward, true);
            for (Bookmark k : batch) {
                const int i = indexOfKey(k);
                if (i >= 0 && (forward ? i >= start : i <= start)) {
                    found = i;
                    break;
                }
            }
            if (found >= 0 || batch.size() < 32)
                break;
            from = forward ? batch.back() + 1 : batch.back() - 1;
        }
    } else {
        const std::vector<Bookmark> all = matchingKeys(criteria, 0, forward, false);
        std::vector<Bookmark> sorted(all);
        std::sort(sorted.begin(), sorted.end());
        for (int i = start; forward ? i < n : i >= 0; i += forward ? 1 : -1) {
            if (std::binary_search(sorted.begin(), sorted.end(), keys_[size_t(i)])) {
                found = i;
                break;
            }
        }
    }
    if (found < 0)
        return false;
    noMatch_ = false;
    pos_ = found;
    deleted_ = adding_ = false;
    edits_.clear();
    return true;
}

bool RecordSet::findFirst(const Criteria& criteria) { return findFrom(criteria, 0, true); }

bool RecordSet::findNext(const Criteria& criteria)
{
    const int start = deleted_ ? pos_ : pos_ + 1;
    if (start >= int(keys_.size())) {
        noMatch_ = true;
        return false;
    }
    return findFrom(criteria, std::max(start, 0), true);
}

bool RecordSet::findPrevious(const Criteria& criteria)
{
    const int start = pos_ - 1;
    if (start < 0) {
        noMatch_ = true;
        return false;
    }
    return findFrom(criteria, std::min(start, int(keys_.size()) - 1), false);
}

} // namespace gw

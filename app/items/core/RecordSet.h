#pragma once
// A record set on a query over one table, ordered and filtered as the query says. It keeps
// the ordered list of keys and fetches a row by key when it becomes current, so opening,
// counting and moving stay fast on large tables.
//
// Positions count from 0. Before the first record the set is at BOF, after the last at EOF;
// an empty set is at both. Moves that need a current record throw DbException
// (dberr::NoCurrentRecord), as do reads of a deleted current record.

#include "ItemDatabase.h"
#include "JetSql.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <cstdint>
#include <optional>
#include <vector>

struct sqlite3_stmt;

namespace gw {

class RecordSet {
public:
    using Bookmark = std::int64_t;

    ~RecordSet();
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

    // Re-runs the query; the first record (if any) becomes current.
    void requery();

    bool isEmpty() const { return keys_.empty(); }
    bool bof() const { return pos_ < 0 || keys_.empty(); }
    bool eof() const { return pos_ >= int(keys_.size()) || keys_.empty(); }
    bool hasCurrent() const { return !bof() && !eof() && !deleted_; }

    void moveFirst();
    void moveLast();
    void moveNext();     // past the last record gives EOF
    void movePrevious(); // before the first gives BOF
    void moveTo(int absolutePosition);

    int recordCount() const { return int(keys_.size()); }
    // -1 when there is no current record.
    int absolutePosition() const { return hasCurrent() ? pos_ : -1; }

    Bookmark bookmark() const;
    void setBookmark(Bookmark b);

    QStringList columnNames() const { return names_; }
    bool hasColumn(const QString& column) const;
    ColumnType columnType(const QString& column) const;

    // Forgets the fetched copy of the current record, so that changes made by statements show.
    void refreshCurrent() { cachedKey_ = -1; }

    // The current record's value (see fromStorage), including unsaved edits.
    QVariant value(const QString& column) const;
    // Edits the current record (or the new one after addNew); written by update().
    void setValue(const QString& column, const QVariant& value);
    bool editPending() const { return adding_ || !edits_.empty(); }

    void addNew();        // starts a new record; update() inserts it and appends it at the end
    void update();        // saves the pending edits or the new record
    void cancelUpdate();
    void deleteCurrent(); // the deleted record stays current until the next move

    // Find the first / next / previous record from the current one that matches.
    // On no match the position does not change and noMatch() is true.
    bool findFirst(const Criteria& criteria);
    bool findNext(const Criteria& criteria);
    bool findPrevious(const Criteria& criteria);
    bool noMatch() const { return noMatch_; }

private:
    friend class Database;
    RecordSet(Database& db, QString table, QString columns, QString where, QString order,
              QVariantList params);

    void checkOpen() const;
    void loadCurrent() const;
    int indexOfKey(Bookmark key) const;
    int columnIndex(const QString& column) const;
    std::vector<Bookmark> matchingKeys(const Criteria& criteria, Bookmark after, bool forward,
                                       bool limitOne) const;
    bool findFrom(const Criteria& criteria, int start, bool forward);

    Database& db_;
    QString table_, columns_, where_, order_;
    QVariantList whereParams_;
    QStringList whereParamColumns_;
    QStringList names_;
    std::vector<ColumnType> types_;
    QStringList tableColumns_;
    QHash<QString, ColumnType> tableTypes_;
    std::optional<SearchIndex> index_;
    std::vector<Bookmark> keys_;
    bool sortedByKey_ = false;
    int pos_ = -1;
    bool deleted_ = false;
    bool adding_ = false;
    bool noMatch_ = false;
    QHash<int, QVariant> edits_; // column index -> program value
    mutable Bookmark cachedKey_ = -1;
    mutable QVariantList cachedRow_;
    sqlite3_stmt* fetch_ = nullptr;
};

} // namespace gw

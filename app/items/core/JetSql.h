#pragma once
// Translation of the engine dialect used by the program's fixed statement texts into SQLite,
// and structured search criteria. Literals never reach SQL text: each becomes a bound value.

#include <QString>
#include <QVariant>
#include <QVariantList>

#include <memory>
#include <vector>

namespace gw {

struct SqlText {
    QString sql;
    QVariantList params;
    // For each "?" in `sql`, the column it is compared with or assigned to (empty if none).
    QStringList paramColumns;
};

// Translates: 'text' and "text" literals -> bound values; Yes/No/True/False -> 1/0;
// IsNull(x) -> (x IS NULL); [Name] -> "Name"; LIKE patterns with * ? # -> LIKE with % _
// and an escape character, so a literal % or _ matches itself. Existing "?" markers keep
// their places; `extra` values fill them in order. Throws DbException on malformed text
// (an unterminated literal or bracket, unbalanced IsNull parentheses).
SqlText translateJet(const QString& statement, const QVariantList& extra = {});

// A LIKE pattern with * (any run), ? (one character) and # (one digit) as SQLite GLOB-free
// LIKE text with '\' as escape. Digits for # are approximated by _ .
QString jetPatternToLike(const QString& pattern);

// A trigram text index beside a table (rowids shared with it) and the columns it covers.
struct SearchIndex {
    QString table;
    QStringList columns;
};

// Search criteria built from parts, each comparing a column with a bound value.
class Criteria {
public:
    Criteria() = default;
    static Criteria equals(const QString& column, const QVariant& value);
    // `pattern` uses * and ? as wildcards; every other character, % and _ included, is literal.
    static Criteria like(const QString& column, const QString& pattern);
    static Criteria isNull(const QString& column);
    // A fixed criteria text of the program in the engine dialect.
    static Criteria text(const QString& jetText);

    Criteria operator&&(const Criteria& other) const;
    Criteria operator||(const Criteria& other) const;

    bool isEmpty() const { return !node_; }

    // SQL for a WHERE clause with its values; column names are checked against `columns`
    // (case-insensitive) and quoted. Throws DbException for an unknown column. With an index,
    // LIKE tests that it can answer are looked up there instead of scanning the table.
    SqlText toSql(const QStringList& columns, const SearchIndex* index = nullptr) const;

private:
    struct Node;
    std::shared_ptr<const Node> node_;
};

} // namespace gw

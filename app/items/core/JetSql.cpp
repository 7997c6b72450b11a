#include "JetSql.h"

#include "DbSupport.h"
#include "ItemDatabase.h"

#include <functional>
#include <vector>

namespace gw {

using dbsupport::fail;

namespace {

const QString Src = QStringLiteral("DAO.Database");

bool isWordStart(QChar c) { return c.isLetter() || c == QLatin1Char('_'); }
bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

struct Token {
    enum Kind { Name, Operator, Other } kind;
    QString text;
};

class Translator {
public:
    Translator(const QString& in, const QVariantList& extra) : in_(in), extra_(extra) {}

    SqlText run()
    {
        const int n = int(in_.size());
        int i = 0;
        while (i < n) {
            const QChar c = in_[i];
            if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
                i = literal(i, c);
            } else if (c == QLatin1Char('[')) {
                const int end = int(in_.indexOf(QLatin1Char(']'), i + 1));
                if (end < 0)
                    fail(dberr::Syntax, Src, QStringLiteral("Missing ] in statement."));
                const QString name = in_.mid(i + 1, end - i - 1);
                out_ += QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\""))
                        + QLatin1Char('"');
                push(Token::Name, name);
                i = end + 1;
            } else if (c == QLatin1Char('?')) {
                if (next_ >= extra_.size())
                    fail(3061, Src, QStringLiteral("Too few parameters."));
                placeholder(extra_[next_++]);
                ++i;
            } else if (isWordStart(c)) {
                int j = i;
                while (j < n && isWordChar(in_[j]))
                    ++j;
                word(in_.mid(i, j - i), i > 0 && in_[i - 1] == QLatin1Char('.'), j);
                i = skipAfterWord_ >= 0 ? skipAfterWord_ : j;
                skipAfterWord_ = -1;
            } else if (c == QLatin1Char('(')) {
                parens_.push_back(false);
                out_ += c;
                push(Token::Other, QStringLiteral("("));
                ++i;
            } else if (c == QLatin1Char(')')) {
                const bool isNull = !parens_.empty() && parens_.back();
                if (!parens_.empty())
                    parens_.pop_back();
                out_ += isNull ? QStringLiteral(") IS NULL)") : QStringLiteral(")");
                push(Token::Other, QStringLiteral(")"));
                ++i;
            } else if (c == QLatin1Char('=') || c == QLatin1Char('<') || c == QLatin1Char('>')) {
                int j = i;
                while (j < n && (in_[j] == QLatin1Char('=') || in_[j] == QLatin1Char('<')
                                 || in_[j] == QLatin1Char('>')))
                    ++j;
                out_ += in_.mid(i, j - i);
                push(Token::Operator, in_.mid(i, j - i));
                i = j;
            } else if (c == QLatin1Char('&')) {
                out_ += QStringLiteral("||");
                push(Token::Other, QStringLiteral("&"));
                ++i;
            } else if (c.isSpace()) {
                out_ += c;
                ++i;
            } else {
                out_ += c;
                if (c != QLatin1Char('.'))
                    push(Token::Other, QString(c));
                ++i;
            }
        }
        if (next_ != extra_.size())
            fail(3061, Src, QStringLiteral("Too many parameters."));
        SqlText t;
        t.sql = out_;
        t.params = params_;
        t.paramColumns = paramColumns_;
        return t;
    }

private:
    int literal(int start, QChar quote)
    {
        const int n = int(in_.size());
        QString value;
        int i = start + 1;
        for (;;) {
            if (i >= n)
                fail(dberr::Syntax, Src, QStringLiteral("Unterminated text in statement."));
            if (in_[i] == quote) {
                if (i + 1 < n && in_[i + 1] == quote) {
                    value += quote;
                    i += 2;
                    continue;
                }
                break;
            }
            value += in_[i++];
        }
        placeholder(value);
        return i + 1;
    }

    void placeholder(const QVariant& value)
    {
        const bool like = !tokens_.empty() && tokens_.back().kind == Token::Operator
                          && tokens_.back().text == QLatin1String("LIKE");
        QString column;
        if (!like && tokens_.size() >= 2 && tokens_.back().kind == Token::Operator
            && tokens_[tokens_.size() - 2].kind == Token::Name)
            column = tokens_[tokens_.size() - 2].text;
        if (like) {
            params_ << jetPatternToLike(value.toString());
            out_ += QStringLiteral("? ESCAPE '\\'");
        } else {
            params_ << value;
            out_ += QLatin1Char('?');
        }
        paramColumns_ << column;
        push(Token::Other, QStringLiteral("?"));
    }

    void word(const QString& w, bool qualified, int end)
    {
        const QString lower = w.toLower();
        if (!qualified && (lower == QLatin1String("yes") || lower == QLatin1String("true"))) {
            out_ += QLatin1Char('1');
            push(Token::Other, QStringLiteral("1"));
            return;
        }
        if (!qualified && (lower == QLatin1String("no") || lower == QLatin1String("false"))) {
            out_ += QLatin1Char('0');
            push(Token::Other, QStringLiteral("0"));
            return;
        }
        if (!qualified && lower == QLatin1String("isnull")) {
            int j = end;
            while (j < in_.size() && in_[j].isSpace())
                ++j;
            if (j < in_.size() && in_[j] == QLatin1Char('(')) {
                out_ += QStringLiteral("((");
                parens_.push_back(true);
                push(Token::Other, QStringLiteral("("));
                skipAfterWord_ = j + 1;
                return;
            }
        }
        out_ += w;
        if (lower == QLatin1String("like")) {
            push(Token::Operator, QStringLiteral("LIKE"));
            return;
        }
        static const QStringList keywords = {
            QStringLiteral("and"), QStringLiteral("or"), QStringLiteral("not"), QStringLiteral("where"),
            QStringLiteral("set"), QStringLiteral("select"), QStringLiteral("from"), QStringLiteral("order"),
            QStringLiteral("by"), QStringLiteral("update"), QStringLiteral("is"), QStringLiteral("null")};
        push(keywords.contains(lower) ? Token::Other : Token::Name, w);
    }

    void push(Token::Kind kind, const QString& text)
    {
        tokens_.push_back({kind, text});
        if (tokens_.size() > 4)
            tokens_.erase(tokens_.begin());
    }

    const QString& in_;
    const QVariantList& extra_;
    int next_ = 0;
    int skipAfterWord_ = -1;
    QString out_;
    QVariantList params_;
    QStringList paramColumns_;
    std::vector<bool> parens_;
    std::vector<Token> tokens_;
};

} // namespace

SqlText translateJet(const QString& statement, const QVariantList& extra)
{
    return Translator(statement, extra).run();
}

QString jetPatternToLike(const QString& pattern)
{
    QString out;
    const int n = int(pattern.size());
    for (int i = 0; i < n; ++i) {
        const QChar c = pattern[i];
        if (c == QLatin1Char('*')) {
            out += QLatin1Char('%');
        } else if (c == QLatin1Char('?') || c == QLatin1Char('#')) {
            out += QLatin1Char('_');
        } else if (c == QLatin1Char('%') || c == QLatin1Char('_') || c == QLatin1Char('\\')) {
            out += QLatin1Char('\\');
            out += c;
        } else if (c == QLatin1Char('[') && i + 2 < n && pattern[i + 2] == QLatin1Char(']')) {
            // [*] and the like: one literal character
            const QChar lit = pattern[i + 1];
            if (lit == QLatin1Char('%') || lit == QLatin1Char('_') || lit == QLatin1Char('\\'))
                out += QLatin1Char('\\');
            out += lit;
            i += 2;
        } else {
            out += c;
        }
    }
    return out;
}

// ---- criteria

struct Criteria::Node {
    enum Kind { Equals, Like, IsNull, Text, And, Or } kind;
    QString column;
    QVariant value;
    std::shared_ptr<const Node> left, right;
};

Criteria Criteria::equals(const QString& column, const QVariant& value)
{
    Criteria c;
    c.node_ = std::make_shared<const Node>(Node{Node::Equals, column, value, nullptr, nullptr});
    return c;
}

Criteria Criteria::like(const QString& column, const QString& pattern)
{
    Criteria c;
    c.node_ = std::make_shared<const Node>(Node{Node::Like, column, pattern, nullptr, nullptr});
    return c;
}

Criteria Criteria::isNull(const QString& column)
{
    Criteria c;
    c.node_ = std::make_shared<const Node>(Node{Node::IsNull, column, QVariant(), nullptr, nullptr});
    return c;
}

Criteria Criteria::text(const QString& jetText)
{
    Criteria c;
    if (!jetText.trimmed().isEmpty())
        c.node_ = std::make_shared<const Node>(Node{Node::Text, QString(), jetText, nullptr, nullptr});
    return c;
}

Criteria Criteria::operator&&(const Criteria& other) const
{
    if (!node_)
        return other;
    if (!other.node_)
        return *this;
    Criteria c;
    c.node_ = std::make_shared<const Node>(Node{Node::And, QString(), QVariant(), node_, other.node_});
    return c;
}

Criteria Criteria::operator||(const Criteria& other) const
{
    if (!node_)
        return other;
    if (!other.node_)
        return *this;
    Criteria c;
    c.node_ = std::make_shared<const Node>(Node{Node::Or, QString(), QVariant(), node_, other.node_});
    return c;
}

namespace {

QString resolveColumn(const QString& name, const QStringList& columns)
{
    for (const QString& c : columns)
        if (c.compare(name, Qt::CaseInsensitive) == 0)
            return c;
    fail(dberr::ItemNotFound, Src, QStringLiteral("Item not found in this collection: '%1'.").arg(name));
}

} // namespace

namespace {

// The index answers a LIKE when the pattern needs no escapes and holds three literal
// characters in a row (its smallest unit); anything shorter would scan it whole.
bool indexCanAnswer(const QString& likePattern)
{
    if (likePattern.contains(QLatin1Char('\\')))
        return false;
    int run = 0;
    for (const QChar c : likePattern) {
        run = (c == QLatin1Char('%') || c == QLatin1Char('_')) ? 0 : run + 1;
        if (run >= 3)
            return true;
    }
    return false;
}

} // namespace

SqlText Criteria::toSql(const QStringList& columns, const SearchIndex* index) const
{
    SqlText out;
    if (!node_)
        return out;
    std::function<void(const Node&)> walk = [&](const Node& n) {
        switch (n.kind) {
        case Node::Equals:
            out.sql += dbsupport::quoteName(resolveColumn(n.column, columns)) + QStringLiteral(" = ?");
            out.params << n.value;
            out.paramColumns << resolveColumn(n.column, columns);
            break;
        case Node::Like: {
            const QString column = resolveColumn(n.column, columns);
            const QString pattern = jetPatternToLike(n.value.toString());
            if (index && index->columns.contains(column, Qt::CaseInsensitive) && indexCanAnswer(pattern))
                out.sql += QStringLiteral("rowid IN (SELECT rowid FROM %1 WHERE %2 LIKE ?)")
                               .arg(dbsupport::quoteName(index->table), dbsupport::quoteName(column));
            else
                out.sql += dbsupport::quoteName(column) + QStringLiteral(" LIKE ? ESCAPE '\\'");
            out.params << pattern;
            out.paramColumns << QString();
            break;
        }
        case Node::IsNull:
            out.sql += QLatin1Char('(') + dbsupport::quoteName(resolveColumn(n.column, columns))
                       + QStringLiteral(" IS NULL)");
            break;
        case Node::Text: {
            const SqlText t = translateJet(n.value.toString());
            out.sql += QLatin1Char('(') + t.sql + QLatin1Char(')');
            out.params << t.params;
            out.paramColumns << t.paramColumns;
            break;
        }
        case Node::And:
        case Node::Or:
            out.sql += QLatin1Char('(');
            walk(*n.left);
            out.sql += n.kind == Node::And ? QStringLiteral(" AND ") : QStringLiteral(" OR ");
            walk(*n.right);
            out.sql += QLatin1Char(')');
            break;
        }
    };
    walk(*node_);
    return out;
}

} // namespace gw

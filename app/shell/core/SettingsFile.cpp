#include "SettingsFile.h"

#include <QStringList>

namespace gw {

QString foldSettingName(const QString& name)
{
    return name.toCaseFolded();
}

namespace {
QString sectionId(const QString& app, const QString& section)
{
    return foldSettingName(app) + QChar('\\') + foldSettingName(section);
}

int hexValue(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// Whether the last character is escaped (preceded by an odd number of backslashes).
bool endsEscaped(const QString& line)
{
    qsizetype n = 0;
    for (qsizetype i = line.size() - 2; i >= 0 && line[i] == QChar('\\'); --i)
        ++n;
    return n % 2 == 1;
}

// Index of the first '=' that is not escaped, or -1.
qsizetype unescapedEquals(const QString& line)
{
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line[i] == QChar('\\'))
            ++i;
        else if (line[i] == QChar('='))
            return i;
    }
    return -1;
}
// Names also escape the '|' that separates application key and section in a header.
QString escapeName(const QString& name)
{
    QString out = escapeSettingText(name);
    out.replace(QChar('|'), QStringLiteral("\\|"));
    return out;
}
} // namespace

const SettingsEntry* SettingsTree::find(const QString& app, const QString& section, const QString& key) const
{
    const auto s = sections.find(sectionId(app, section));
    if (s == sections.end())
        return nullptr;
    const auto e = s->second.entries.find(foldSettingName(key));
    return e == s->second.entries.end() ? nullptr : &e->second;
}

void SettingsTree::set(const QString& app, const QString& section, const QString& key, const QString& value)
{
    SettingsSection& s = sections[sectionId(app, section)];
    if (s.name.isEmpty()) {
        s.app = app;
        s.name = section;
    }
    SettingsEntry& e = s.entries[foldSettingName(key)];
    if (e.name.isEmpty())
        e.name = key;
    e.value = value;
}

QString escapeSettingText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        case '=': out += QStringLiteral("\\="); break;
        case '[': out += QStringLiteral("\\["); break;
        case ']': out += QStringLiteral("\\]"); break;
        case ';': out += QStringLiteral("\\;"); break;
        default:
            if (c.unicode() < 0x20 || c.unicode() == 0x7f)
                out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QChar('0'));
            else
                out += c;
        }
    }
    return out;
}

QString unescapeSettingText(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != QChar('\\') || i + 1 >= text.size()) {
            out += c;
            continue;
        }
        const QChar n = text[++i];
        switch (n.unicode()) {
        case 'n': out += QChar('\n'); break;
        case 'r': out += QChar('\r'); break;
        case 't': out += QChar('\t'); break;
        case 'x':
            if (i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
                out += QChar(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
                i += 2;
            } else {
                out += n;
            }
            break;
        default: out += n; // "\\", "\=", "\[", "\]", "\;", "\|" and anything unknown
        }
    }
    return out;
}

SettingsTree parseSettingsText(const QByteArray& bytes)
{
    SettingsTree tree;
    QString app, section;
    bool inSection = false;
    const QStringList lines = QString::fromUtf8(bytes).split(QChar('\n'));
    for (QString line : lines) {
        if (line.endsWith(QChar('\r')))
            line.chop(1);
        if (line.isEmpty() || line.startsWith(QChar(';')))
            continue;
        if (line.startsWith(QChar('['))) {
            inSection = false;
            if (!line.endsWith(QChar(']')) || endsEscaped(line))
                continue;
            const QString inner = line.mid(1, line.size() - 2);
            // The first unescaped '|' separates application key and section.
            qsizetype cut = -1;
            for (qsizetype i = 0; i < inner.size(); ++i) {
                if (inner[i] == QChar('\\'))
                    ++i;
                else if (inner[i] == QChar('|')) {
                    cut = i;
                    break;
                }
            }
            if (cut <= 0 || cut + 1 >= inner.size())
                continue;
            app = unescapeSettingText(inner.left(cut));
            section = unescapeSettingText(inner.mid(cut + 1));
            inSection = true;
            continue;
        }
        if (!inSection)
            continue;
        const qsizetype eq = unescapedEquals(line);
        if (eq <= 0)
            continue;
        tree.set(app, section, unescapeSettingText(line.left(eq)), unescapeSettingText(line.mid(eq + 1)));
    }
    return tree;
}

QByteArray formatSettingsText(const SettingsTree& tree)
{
    QString out;
    for (const auto& [id, s] : tree.sections) {
        if (s.entries.empty())
            continue;
        out += QChar('[') + escapeName(s.app) + QChar('|') + escapeName(s.name)
            + QStringLiteral("]\n");
        for (const auto& [folded, e] : s.entries)
            out += escapeName(e.name) + QChar('=') + escapeSettingText(e.value) + QChar('\n');
        out += QChar('\n');
    }
    return out.toUtf8();
}

} // namespace gw

#include "Helpers.h"

#include "Prompt.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringDecoder>
#include <QTime>

#include <chrono>
#include <thread>

namespace gw {

void OpenInBrowser(const QString& target)
{
    prompt().openInBrowser(target);
}

namespace {
qsizetype lastSeparator(const QString& path)
{
    return std::max(path.lastIndexOf(QChar('\\')), path.lastIndexOf(QChar('/')));
}
} // namespace

QString FileNameOfPath(const QString& path)
{
    return path.mid(lastSeparator(path) + 1);
}

QString FolderOfPath(const QString& path)
{
    return path.left(lastSeparator(path) + 1);
}

QString ReplaceFirst(const QString& text, const QString& search, const QString& replacement)
{
    const qsizetype at = text.indexOf(search);
    if (at < 0)
        return text;
    return text.left(at) + replacement + text.mid(at + search.size());
}

QString ReplaceAll(const QString& text, const QString& search, const QString& replacement)
{
    if (search.isEmpty())
        return text;
    QString out;
    qsizetype from = 0;
    for (qsizetype at = text.indexOf(search, from); at >= 0; at = text.indexOf(search, from)) {
        out += QStringView(text).mid(from, at - from);
        out += replacement;
        from = at + search.size();
    }
    out += QStringView(text).mid(from);
    return out;
}

QString ReplaceChar(const QString& text, QChar c, const QString& replacement)
{
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        if (ch == c)
            out += replacement;
        else
            out += ch;
    }
    return out;
}

QString HtmlColor(quint32 value)
{
    const QString hex = QStringLiteral("%1").arg(value & 0xFFFFFFu, 6, 16, QChar('0')).toUpper();
    return hex.mid(4, 2) + hex.mid(2, 2) + hex.mid(0, 2);
}

QString ReadTextFile(const QString& path)
{
    if (path.isEmpty())
        return QString();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError)
        return QString();
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError())
        text = QString::fromLatin1(bytes);

    static const QString crlf = QStringLiteral("\r\n");
    QString out;
    out.reserve(text.size() + text.size() / 16 + 2);
    qsizetype pos = 0;
    while (pos < text.size()) {
        // One line: up to CR (which may be followed by LF) or the end of the file.
        qsizetype end = text.indexOf(QChar('\r'), pos);
        qsizetype next;
        if (end < 0) {
            end = text.size();
            next = end;
        } else {
            next = end + 1;
            if (next < text.size() && text[next] == QChar('\n'))
                ++next;
        }
        const QStringView line = QStringView(text).mid(pos, end - pos);
        for (const QStringView piece : line.split(QChar('\n'))) {
            out += piece;
            out += crlf;
        }
        pos = next;
    }
    return out;
}

double SecondsSinceMidnight()
{
    return QTime::currentTime().msecsSinceStartOfDay() / 1000.0;
}

void Pause(double seconds, const std::function<double()>& secondsSinceMidnight,
           const std::function<void()>& processEvents)
{
    double start = secondsSinceMidnight();
    for (;;) {
        const double now = secondsSinceMidnight();
        if (now < start)
            start -= 86400.0; // the clock passed midnight
        if (now - start >= seconds)
            return;
        processEvents();
    }
}

void Pause(double seconds)
{
    Pause(seconds, SecondsSinceMidnight, [] {
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    });
}

} // namespace gw

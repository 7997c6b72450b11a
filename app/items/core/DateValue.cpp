#include "DateValue.h"

#include <QRegularExpression>

namespace gw {

QDate zeroDate() { return QDate(1899, 12, 30); }

QString toStorageDate(const QDateTime& value)
{
    return value.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
}

std::optional<QDateTime> fromStorageDate(const QString& text)
{
    QDateTime dt = QDateTime::fromString(text, QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
    if (!dt.isValid())
        return std::nullopt;
    return dt;
}

QString dateText(const QDateTime& value)
{
    const QDate d = value.date();
    const QTime t = value.time();
    const QString date = QStringLiteral("%1/%2/%3").arg(d.month()).arg(d.day()).arg(d.year());
    const bool midnight = t.hour() == 0 && t.minute() == 0 && t.second() == 0;
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    const QString time = QStringLiteral("%1:%2:%3 %4")
                             .arg(hour12)
                             .arg(t.minute(), 2, 10, QLatin1Char('0'))
                             .arg(t.second(), 2, 10, QLatin1Char('0'))
                             .arg(t.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
    if (d == zeroDate())
        return time;
    return midnight ? date : date + QLatin1Char(' ') + time;
}

namespace {

std::optional<QTime> parseTime(const QString& text)
{
    static const QRegularExpression re(
        QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2}))?\\s*([AaPp][Mm])?$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    int h = m.captured(1).toInt();
    const int mi = m.captured(2).toInt();
    const int s = m.captured(3).isEmpty() ? 0 : m.captured(3).toInt();
    const QString ap = m.captured(4).toUpper();
    if (!ap.isEmpty()) {
        if (h < 1 || h > 12)
            return std::nullopt;
        h = h % 12 + (ap == QLatin1String("PM") ? 12 : 0);
    }
    QTime t(h, mi, s);
    if (!t.isValid())
        return std::nullopt;
    return t;
}

} // namespace

std::optional<QDateTime> parseDateText(const QString& raw)
{
    const QString text = raw.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    if (auto iso = fromStorageDate(text))
        return iso;
    static const QRegularExpression re(
        QStringLiteral("^(?:(\\d{1,2})/(\\d{1,2})/(\\d{2}|\\d{4})|(\\d{4})-(\\d{2})-(\\d{2}))"
                       "(?:[ T]+(.+))?$"));
    const auto m = re.match(text);
    if (!m.hasMatch()) {
        if (auto t = parseTime(text))
            return QDateTime(zeroDate(), *t);
        return std::nullopt;
    }
    QDate d;
    if (!m.captured(1).isEmpty()) {
        int y = m.captured(3).toInt();
        if (m.captured(3).size() == 2)
            y += y < 30 ? 2000 : 1900; // two-digit years as the system reads them
        d = QDate(y, m.captured(1).toInt(), m.captured(2).toInt());
    } else {
        d = QDate(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    }
    if (!d.isValid())
        return std::nullopt;
    QTime t(0, 0, 0);
    if (!m.captured(7).isEmpty()) {
        auto pt = parseTime(m.captured(7).trimmed());
        if (!pt)
            return std::nullopt;
        t = *pt;
    }
    return QDateTime(d, t);
}

} // namespace gw

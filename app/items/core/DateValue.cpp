#include "DateValue.h"

#include "core/DateText.h"

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
    if (value.date() != zeroDate())
        return toGeneralDate(value);
    const QTime t = value.time();
    const int hour12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    return QStringLiteral("%1:%2:%3 %4")
        .arg(hour12)
        .arg(t.minute(), 2, 10, QLatin1Char('0'))
        .arg(t.second(), 2, 10, QLatin1Char('0'))
        .arg(t.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

std::optional<QDateTime> parseDateText(const QString& raw)
{
    if (auto general = parseGeneralDate(raw))
        return general;
    // A time of day alone, as item pages give it for withdrawn items.
    static const QRegularExpression re(
        QStringLiteral("^(\\d{1,2}):(\\d{2})(?::(\\d{2}))?\\s*([AaPp][Mm])?$"));
    const auto m = re.match(raw.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    int h = m.captured(1).toInt();
    const QString ap = m.captured(4).toUpper();
    if (!ap.isEmpty()) {
        if (h < 1 || h > 12)
            return std::nullopt;
        h = h % 12 + (ap == QLatin1String("PM") ? 12 : 0);
    }
    const QTime t(h, m.captured(2).toInt(), m.captured(3).isEmpty() ? 0 : m.captured(3).toInt());
    if (!t.isValid())
        return std::nullopt;
    return QDateTime(zeroDate(), t);
}

} // namespace gw

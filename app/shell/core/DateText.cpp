#include "DateText.h"

#include <QRegularExpression>

namespace gw {

QString toGeneralDate(const QDate& day)
{
    return QStringLiteral("%1/%2/%3").arg(day.month()).arg(day.day()).arg(day.year(), 4, 10, QChar('0'));
}

QString toGeneralDate(const QDateTime& when)
{
    const QTime t = when.time();
    QString text = toGeneralDate(when.date());
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0)
        return text;
    const int h12 = t.hour() % 12 == 0 ? 12 : t.hour() % 12;
    return text
        + QStringLiteral(" %1:%2:%3 %4")
              .arg(h12)
              .arg(t.minute(), 2, 10, QChar('0'))
              .arg(t.second(), 2, 10, QChar('0'))
              .arg(t.hour() < 12 ? QStringLiteral("AM") : QStringLiteral("PM"));
}

namespace {

std::optional<QTime> parseTime(const QString& hh, const QString& mm, const QString& ss, const QString& ampm)
{
    int h = hh.toInt();
    const int m = mm.toInt();
    const int s = ss.isEmpty() ? 0 : ss.toInt();
    if (!ampm.isEmpty()) {
        if (h < 1 || h > 12)
            return std::nullopt;
        const bool pm = ampm.compare(QStringLiteral("PM"), Qt::CaseInsensitive) == 0;
        h = (h % 12) + (pm ? 12 : 0);
    }
    const QTime t(h, m, s);
    if (!t.isValid())
        return std::nullopt;
    return t;
}

} // namespace

std::optional<QDateTime> parseGeneralDate(const QString& text)
{
    static const QRegularExpression general(QStringLiteral(
        R"(^(\d{1,2})/(\d{1,2})/(\d{4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?(?:\s*([AaPp][Mm]))?)?$)"));
    static const QRegularExpression iso(QStringLiteral(
        R"(^(\d{4})-(\d{2})-(\d{2})(?:[T ](\d{2}):(\d{2})(?::(\d{2}))?)?$)"));
    const QString t = text.trimmed();
    int y = 0, mo = 0, d = 0;
    QString hh, mm, ss, ampm;
    if (const auto g = general.match(t); g.hasMatch()) {
        mo = g.captured(1).toInt();
        d = g.captured(2).toInt();
        y = g.captured(3).toInt();
        hh = g.captured(4);
        mm = g.captured(5);
        ss = g.captured(6);
        ampm = g.captured(7);
    } else if (const auto i = iso.match(t); i.hasMatch()) {
        y = i.captured(1).toInt();
        mo = i.captured(2).toInt();
        d = i.captured(3).toInt();
        hh = i.captured(4);
        mm = i.captured(5);
        ss = i.captured(6);
    } else {
        return std::nullopt;
    }
    const QDate day(y, mo, d);
    if (!day.isValid())
        return std::nullopt;
    QTime time(0, 0);
    if (!hh.isEmpty()) {
        const auto parsed = parseTime(hh, mm, ss, ampm);
        if (!parsed)
            return std::nullopt;
        time = *parsed;
    }
    return QDateTime(day, time);
}

} // namespace gw

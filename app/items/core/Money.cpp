#include "Money.h"

#include <limits>

namespace gw {

namespace {
constexpr std::int64_t MaxUnits = std::numeric_limits<std::int64_t>::max() / 10 - 10;
}

std::optional<Money> Money::parse(const QString& raw)
{
    const QString text = raw.trimmed();
    int i = 0;
    const int n = text.size();
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('-') || text[i] == QLatin1Char('+'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }
    if (i < n && text[i] == QLatin1Char('$'))
        ++i;

    std::int64_t whole = 0;
    int intDigits = 0;
    for (; i < n; ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char(',') && intDigits > 0)
            continue;
        if (!c.isDigit() || c.unicode() > '9')
            break;
        whole = whole * 10 + (c.unicode() - '0');
        if (whole > MaxUnits / Scale)
            return std::nullopt;
        ++intDigits;
    }
    std::int64_t frac = 0;
    int fracDigits = 0;
    bool roundUp = false;
    if (i < n && text[i] == QLatin1Char('.')) {
        for (++i; i < n; ++i) {
            const QChar c = text[i];
            if (!c.isDigit() || c.unicode() > '9')
                break;
            if (fracDigits < 4)
                frac = frac * 10 + (c.unicode() - '0');
            else if (fracDigits == 4)
                roundUp = c.unicode() >= '5';
            ++fracDigits;
        }
    }
    if (i != n || (intDigits == 0 && fracDigits == 0))
        return std::nullopt;
    for (int k = fracDigits; k < 4; ++k)
        frac *= 10;
    std::int64_t units = whole * Scale + frac + (roundUp ? 1 : 0);
    return Money(negative ? -units : units);
}

QString Money::toFixed(int decimals) const
{
    if (decimals < 0)
        decimals = 0;
    if (decimals > 4)
        decimals = 4;
    std::int64_t divisor = 1;
    for (int k = decimals; k < 4; ++k)
        divisor *= 10;
    const bool negative = units_ < 0;
    std::uint64_t mag = negative ? std::uint64_t(0) - std::uint64_t(units_) : std::uint64_t(units_);
    mag = (mag + std::uint64_t(divisor) / 2) / std::uint64_t(divisor);
    std::uint64_t pow = 1;
    for (int k = 0; k < decimals; ++k)
        pow *= 10;
    QString out = QString::number(mag / pow);
    if (decimals > 0)
        out += QLatin1Char('.') + QString::number(mag % pow).rightJustified(decimals, QLatin1Char('0'));
    if (negative && mag != 0)
        out.prepend(QLatin1Char('-'));
    return out;
}

QString Money::toString() const
{
    QString out = toFixed(4);
    if (out.contains(QLatin1Char('.'))) {
        while (out.endsWith(QLatin1Char('0')))
            out.chop(1);
        if (out.endsWith(QLatin1Char('.')))
            out.chop(1);
    }
    return out;
}

} // namespace gw

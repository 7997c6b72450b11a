#pragma once
// An exact money amount in ten-thousandths of the currency unit. Amounts are stored and
// added as whole numbers, so sums such as 0.10 + 0.20 come out exactly 0.30.

#include <QMetaType>
#include <QString>

#include <cstdint>
#include <optional>

namespace gw {

class Money {
public:
    static constexpr std::int64_t Scale = 10000;

    constexpr Money() = default;
    static constexpr Money fromUnits(std::int64_t tenThousandths) { return Money(tenThousandths); }

    // Decimal text: optional sign, optional "$", digits with optional "," grouping, at most
    // one decimal point. Digits beyond the fourth decimal are rounded half away from zero.
    // An empty or malformed text gives nullopt, as does an amount beyond the range.
    static std::optional<Money> parse(const QString& text);

    constexpr std::int64_t units() const { return units_; }

    // Shortest exact form: "12.5", "0", "-3.0001".
    QString toString() const;
    // Rounded to `decimals` places (half away from zero), always with that many decimals:
    // toFixed(2) of 0.5 gives "0.50".
    QString toFixed(int decimals) const;

    friend constexpr Money operator+(Money a, Money b) { return Money(a.units_ + b.units_); }
    friend constexpr Money operator-(Money a, Money b) { return Money(a.units_ - b.units_); }
    friend constexpr bool operator==(Money a, Money b) { return a.units_ == b.units_; }
    friend constexpr bool operator!=(Money a, Money b) { return a.units_ != b.units_; }
    friend constexpr bool operator<(Money a, Money b) { return a.units_ < b.units_; }

private:
    constexpr explicit Money(std::int64_t u) : units_(u) {}
    std::int64_t units_ = 0;
};

} // namespace gw

Q_DECLARE_METATYPE(gw::Money)

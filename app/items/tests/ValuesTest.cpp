// Money and date values: exact decimals and the two text forms of dates.

#include "DateValue.h"
#include "ItemDatabase.h"
#include "Money.h"

#include <gtest/gtest.h>

using gw::Money;

TEST(Money, ParsesAndPrints)
{
    struct Case {
        const char* text;
        bool ok;
        const char* shortest;
        const char* twoDecimals;
    };
    const Case cases[] = {
        {"0", true, "0", "0.00"},
        {"12.5", true, "12.5", "12.50"},
        {".75", true, "0.75", "0.75"},
        {"1,234.56", true, "1234.56", "1234.56"},
        {"$3", true, "3", "3.00"},
        {"-2.005", true, "-2.005", "-2.01"},
        {"0.00005", true, "0.0001", "0.00"},
        {"  7.10 ", true, "7.1", "7.10"},
        {"", false, "", ""},
        {".", false, "", ""},
        {"1.2.3", false, "", ""},
        {"12a", false, "", ""},
        {"99999999999999999999", false, "", ""},
    };
    for (const Case& c : cases) {
        const auto m = Money::parse(QString::fromLatin1(c.text));
        ASSERT_EQ(m.has_value(), c.ok) << c.text;
        if (!c.ok)
            continue;
        EXPECT_EQ(m->toString(), QString::fromLatin1(c.shortest)) << c.text;
        EXPECT_EQ(m->toFixed(2), QString::fromLatin1(c.twoDecimals)) << c.text;
    }
}

TEST(Money, SumsAreExact)
{
    Money sum;
    for (int i = 0; i < 10; ++i)
        sum = sum + *Money::parse(QStringLiteral("0.10"));
    EXPECT_EQ(sum.toFixed(2), QStringLiteral("1.00"));
    EXPECT_EQ(*Money::parse(QStringLiteral("0.10")) + *Money::parse(QStringLiteral("0.20")),
              *Money::parse(QStringLiteral("0.30")));
}

TEST(DateValue, GeneralTextRoundTrip)
{
    struct Case {
        QDateTime value;
        const char* text;
    };
    const Case cases[] = {
        {QDateTime(QDate(2000, 5, 1), QTime(0, 0)), "5/1/2000"},
        {QDateTime(QDate(2000, 5, 13), QTime(15, 4, 5)), "5/13/2000 3:04:05 PM"},
        {QDateTime(QDate(2001, 12, 31), QTime(0, 0, 1)), "12/31/2001 12:00:01 AM"},
        {QDateTime(gw::zeroDate(), QTime(12, 0)), "12:00:00 PM"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gw::dateText(c.value), QString::fromLatin1(c.text));
        const auto back = gw::parseDateText(QString::fromLatin1(c.text));
        ASSERT_TRUE(back.has_value()) << c.text;
        EXPECT_EQ(*back, c.value) << c.text;
        EXPECT_EQ(gw::fromStorageDate(gw::toStorageDate(c.value)), c.value);
    }
}

TEST(DateValue, ParsesOtherFormsAndRefusesNonsense)
{
    EXPECT_EQ(gw::parseDateText(QStringLiteral("12:00")), QDateTime(gw::zeroDate(), QTime(12, 0)));
    EXPECT_EQ(gw::parseDateText(QStringLiteral("5/6/2000 14:30")), QDateTime(QDate(2000, 5, 6), QTime(14, 30)));
    EXPECT_EQ(gw::parseDateText(QStringLiteral("2000-05-06T01:02:03")),
              QDateTime(QDate(2000, 5, 6), QTime(1, 2, 3)));
    for (const char* bad : {"", "2/30/2000", "13/1/2000", "tomorrow", "5/1/2000 25:00", "13:00 PM"})
        EXPECT_FALSE(gw::parseDateText(QString::fromLatin1(bad)).has_value()) << bad;
}

TEST(StorageConversion, ColumnTypes)
{
    using gw::ColumnType;
    EXPECT_EQ(gw::toStorage(ColumnType::Money, QStringLiteral("12.34")), QVariant(qint64(123400)));
    EXPECT_EQ(gw::toStorage(ColumnType::YesNo, QStringLiteral("Yes")), QVariant(qint64(1)));
    EXPECT_EQ(gw::toStorage(ColumnType::YesNo, QStringLiteral("-1")), QVariant(qint64(1)));
    EXPECT_EQ(gw::toStorage(ColumnType::YesNo, QStringLiteral("False")), QVariant(qint64(0)));
    EXPECT_EQ(gw::toStorage(ColumnType::Date, QStringLiteral("5/1/2000")), QVariant(QStringLiteral("2000-05-01T00:00:00")));
    EXPECT_TRUE(gw::toStorage(ColumnType::Text, QString()).isNull());
    EXPECT_THROW(gw::toStorage(ColumnType::Money, QStringLiteral("abc")), gw::DbException);
    EXPECT_THROW(gw::toStorage(ColumnType::Date, QStringLiteral("not a date")), gw::DbException);
    EXPECT_THROW(gw::toStorage(ColumnType::YesNo, QStringLiteral("maybe")), gw::DbException);
    // Values written by other means are still read as amounts.
    EXPECT_EQ(gw::fromStorage(ColumnType::Money, QVariant(12.5)).value<Money>(), *Money::parse(QStringLiteral("12.5")));
    EXPECT_EQ(gw::fromStorage(ColumnType::Money, QVariant(QStringLiteral("0.1"))).value<Money>(),
              *Money::parse(QStringLiteral("0.1")));
}

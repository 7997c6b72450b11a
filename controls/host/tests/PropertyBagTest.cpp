#include "PropertyBag.h"

#include <QColor>
#include <QDataStream>
#include <QImage>
#include <QSize>

#include <gtest/gtest.h>

using gw::PropertyBag;
using gw::PropertyExchange;
using LoadResult = gw::PropertyBag::LoadResult;

namespace {

// A control's saved state in miniature, with one value of every kind the controls save.
struct Sample {
    qint16 border = 0;
    bool flag = true;
    QColor colour = QColor(0, 0, 0);
    QString text = QStringLiteral("F1");
    QSize extent = QSize(100, 50);
    float number = 0.0f;
    QImage picture;

    void exchange(PropertyExchange& px)
    {
        px.exchange(QStringLiteral("BorderType"), border, qint16(0));
        px.exchange(QStringLiteral("Flag"), flag, true);
        px.exchange(QStringLiteral("Colour"), colour, QColor(0, 0, 0));
        px.exchange(QStringLiteral("Text"), text, QStringLiteral("F1"));
        px.exchange(QStringLiteral("Extent"), extent, QSize(100, 50));
        px.exchange(QStringLiteral("Number"), number, 0.0f);
        px.exchange(QStringLiteral("Picture"), picture, QImage());
    }
};

Sample changedSample()
{
    Sample s;
    s.border = 3;
    s.flag = false;
    s.colour = QColor(12, 34, 56);
    s.text = QStringLiteral("Copy");
    s.extent = QSize(640, 480);
    s.number = 2.5f;
    s.picture = QImage(3, 2, QImage::Format_RGB32);
    s.picture.fill(QColor(200, 10, 10));
    return s;
}

QByteArray savedBytes(Sample s, int major = 1, int minor = 0)
{
    PropertyBag bag(major, minor);
    PropertyExchange px = PropertyExchange::saving(bag);
    s.exchange(px);
    return bag.toBytes();
}

Sample loadedFrom(const QByteArray& bytes, LoadResult* result)
{
    const PropertyBag bag = PropertyBag::fromBytes(bytes, 1, 0, result);
    Sample s = changedSample(); // loading must overwrite every field
    PropertyExchange px = PropertyExchange::loading(bag);
    s.exchange(px);
    return s;
}

void expectDefaults(const Sample& s)
{
    const Sample d;
    EXPECT_EQ(s.border, d.border);
    EXPECT_EQ(s.flag, d.flag);
    EXPECT_EQ(s.colour, d.colour);
    EXPECT_EQ(s.text, d.text);
    EXPECT_EQ(s.extent, d.extent);
    EXPECT_EQ(s.number, d.number);
    EXPECT_TRUE(s.picture.isNull());
}

TEST(PropertyBagTest, RoundTripKeepsValuesAndOrder)
{
    const QByteArray bytes = savedBytes(changedSample());
    LoadResult r = LoadResult::Damaged;
    const PropertyBag bag = PropertyBag::fromBytes(bytes, 1, 0, &r);
    EXPECT_EQ(r, LoadResult::Ok);
    EXPECT_EQ(bag.names(), (QStringList{"BorderType", "Flag", "Colour", "Text", "Extent",
                                        "Number", "Picture"}));
    const Sample s = loadedFrom(bytes, &r);
    const Sample want = changedSample();
    EXPECT_EQ(s.border, want.border);
    EXPECT_EQ(s.flag, want.flag);
    EXPECT_EQ(s.colour, want.colour);
    EXPECT_EQ(s.text, want.text);
    EXPECT_EQ(s.extent, want.extent);
    EXPECT_EQ(s.number, want.number);
    EXPECT_EQ(s.picture.size(), QSize(3, 2));
    EXPECT_EQ(s.picture.pixelColor(2, 1), QColor(200, 10, 10));
}

TEST(PropertyBagTest, OtherVersionsAndEmptyBytesGiveDefaults)
{
    struct Case {
        int major, minor;
        LoadResult want;
    };
    const Case cases[] = {{2, 0, LoadResult::OtherVersion},
                          {0, 9, LoadResult::OtherVersion},
                          {1, 1, LoadResult::OtherVersion},
                          {1, 0, LoadResult::Ok}};
    for (const Case& c : cases) {
        LoadResult r = LoadResult::Damaged;
        const Sample s = loadedFrom(savedBytes(changedSample(), c.major, c.minor), &r);
        EXPECT_EQ(r, c.want) << c.major << "." << c.minor;
        if (c.want != LoadResult::Ok)
            expectDefaults(s);
    }
    LoadResult r = LoadResult::Ok;
    expectDefaults(loadedFrom(QByteArray(), &r));
    EXPECT_EQ(r, LoadResult::Empty);
}

TEST(PropertyBagTest, EveryTruncationAndEveryFlippedByteIsRefused)
{
    const QByteArray good = savedBytes(changedSample());
    for (int len = 1; len < good.size(); ++len) {
        LoadResult r = LoadResult::Ok;
        const Sample s = loadedFrom(good.left(len), &r);
        ASSERT_EQ(r, LoadResult::Damaged) << "length " << len;
        expectDefaults(s);
    }
    for (int i = 0; i < good.size(); ++i) {
        QByteArray bad = good;
        bad[i] = char(bad[i] ^ 0x5A);
        LoadResult r = LoadResult::Ok;
        const Sample s = loadedFrom(bad, &r);
        // Bytes 4..7 are the version: those read as another version, the rest as damage.
        const LoadResult want = (i >= 4 && i < 8) ? LoadResult::OtherVersion
                                                  : LoadResult::Damaged;
        ASSERT_EQ(r, want) << "byte " << i;
        expectDefaults(s);
    }
    LoadResult r = LoadResult::Ok;
    loadedFrom(good + QByteArray("x"), &r);
    EXPECT_EQ(r, LoadResult::Damaged);
}

TEST(PropertyBagTest, WrongTypeOrMissingNameReadsDefault)
{
    PropertyBag bag;
    bag.setValue(QStringLiteral("BorderType"), QVariant::fromValue(int(2))); // not 16-bit
    bag.setValue(QStringLiteral("Text"), QVariant::fromValue(QStringLiteral("kept")));
    bag.setValue(QStringLiteral("Flag"), QVariant::fromValue(QStringLiteral("False")));
    Sample s = changedSample();
    PropertyExchange px = PropertyExchange::loading(bag);
    s.exchange(px);
    EXPECT_EQ(s.border, 0);
    EXPECT_EQ(s.text, QStringLiteral("kept"));
    EXPECT_TRUE(s.flag);
    EXPECT_EQ(s.extent, QSize(100, 50));
}

TEST(PropertyBagTest, SetValueReplacesInPlace)
{
    PropertyBag bag;
    bag.setValue(QStringLiteral("a"), 1);
    bag.setValue(QStringLiteral("b"), 2);
    bag.setValue(QStringLiteral("a"), 3);
    EXPECT_EQ(bag.names(), (QStringList{"a", "b"}));
    EXPECT_EQ(bag.value(QStringLiteral("a")).toInt(), 3);
    EXPECT_FALSE(bag.contains(QStringLiteral("c")));
    EXPECT_FALSE(bag.value(QStringLiteral("c")).isValid());
}

} // namespace

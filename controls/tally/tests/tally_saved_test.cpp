// Saved properties: order, version, round trip, defaults and what loading resets.
#include "PropertyBag.h"
#include "TallyFixture.h"

#include <gtest/gtest.h>

using namespace tallytest;

namespace {

TEST_F(Fixture, SavedOrderAndVersion)
{
    gw::PropertyBag bag(1, 0);
    w.setModified(true);
    w.saveProperties(bag);
    EXPECT_FALSE(w.isModified());
    const QStringList expected = {"BackColor",        "Font",          "BorderStyle",   "DisplayFont",
                                  "ButtonColor",      "FunctionColor", "NumberColor",   "OperandColor",
                                  "ClearColor",       "BorderColor",   "DisplayBackColor", "DisplayTextColor",
                                  "CalcXSize",        "CalcYSize",     "BorderType",    "FunctionKeys",
                                  "DrawFocus",        "FncKeyText1",   "FncKeyText2"};
    EXPECT_EQ(bag.names(), expected);
    const QByteArray bytes = w.savedState();
    gw::PropertyBag::LoadResult result{};
    gw::PropertyBag::fromBytes(bytes, 1, 0, &result);
    EXPECT_EQ(result, gw::PropertyBag::LoadResult::Ok);
}

void setEverything(CcvTallyCtrl &c)
{
    c.setDisplayBackColor(QColor(1, 2, 3));
    c.setDisplayTextColor(QColor(4, 5, 6));
    c.setBorderType(3);
    c.setBorderColor(QColor(7, 8, 9));
    c.setButtonColor(QColor(10, 11, 12));
    c.setNumberColor(QColor(13, 14, 15));
    c.setFunctionColor(QColor(16, 17, 18));
    c.setOperandColor(QColor(19, 20, 21));
    c.setClearColor(QColor(22, 23, 24));
    c.setCalcXSize(-7);
    c.setCalcYSize(9);
    c.setDisplayFont(QFont(QStringLiteral("DejaVu Serif"), 17));
    c.setDrawFocus(true);
    c.setFunctionKeys(2);
    c.setFncKeyText1(QStringLiteral("Copy"));
    c.setFncKeyText2(QStringLiteral("Off"));
    c.setBackColor(QColor(25, 26, 27));
    c.setStockFont(QFont(QStringLiteral("DejaVu Sans Mono"), 8));
    c.setBorderStyle(1);
}

const char *const kSaved[] = {"DisplayBackColor", "DisplayTextColor", "BorderType", "BorderColor", "ButtonColor",
                              "NumberColor",      "FunctionColor",    "OperandColor", "ClearColor", "CalcXSize",
                              "CalcYSize",        "DisplayFont",      "DrawFocus",   "FunctionKeys", "FncKeyText1",
                              "FncKeyText2",      "BackColor",        "Font",        "BorderStyle"};

TEST_F(Fixture, SaveLoadRoundTripAndLoadClearsCalculator)
{
    setEverything(w);
    const QByteArray bytes = w.savedState();

    CcvTallyCtrl other(&host());
    other.resize(200, 180);
    click(other, 15);
    click(other, 23);
    click(other, 16);
    press(other, keyCentre(other, 7));
    other.setModified(true);
    other.loadSavedState(bytes);
    for (const char *name : kSaved)
        EXPECT_EQ(other.property(name), w.property(name)) << name;
    EXPECT_EQ(shown(other), "0");
    EXPECT_EQ(other.engine().pending(), tally::Op::Equal);
    EXPECT_EQ(other.pressedKey(), tally::kNoKey);
    EXPECT_FALSE(other.isModified());
    release(other, keyCentre(other, 7));
    EXPECT_EQ(shown(other), "0");
}

TEST_F(Fixture, ResetAndDamagedBagsGiveDefaults)
{
    CcvTallyCtrl fresh(&host());
    const QByteArray damaged[] = {QByteArray(), QByteArray("not a bag at all"), w.savedState().left(20)};
    for (const QByteArray &bytes : damaged) {
        setEverything(w);
        click(w, 15);
        w.loadSavedState(bytes);
        for (const char *name : kSaved)
            EXPECT_EQ(w.property(name), fresh.property(name)) << name;
        EXPECT_EQ(shown(w), "0");
    }
    setEverything(w);
    w.resetProperties();
    for (const char *name : kSaved)
        EXPECT_EQ(w.property(name), fresh.property(name)) << name;

    // A bag of another version is not read.
    setEverything(w);
    gw::PropertyBag v2(2, 0);
    v2.setValue(QStringLiteral("ButtonColor"), QColor(1, 1, 1));
    w.loadSavedState(v2.toBytes());
    EXPECT_EQ(w.ButtonColor(), QColor(192, 192, 192));
}

TEST_F(Fixture, LoadRefusesOutOfRangeValues)
{
    gw::PropertyBag bag(1, 0);
    bag.setValue(QStringLiteral("BorderType"), QVariant::fromValue<short>(9));
    bag.setValue(QStringLiteral("FunctionKeys"), QVariant::fromValue<short>(-1));
    bag.setValue(QStringLiteral("BorderStyle"), QVariant::fromValue<short>(5));
    bag.setValue(QStringLiteral("CalcXSize"), QVariant::fromValue<short>(12));
    w.loadProperties(bag);
    EXPECT_EQ(w.BorderType(), 2);
    EXPECT_EQ(w.FunctionKeys(), 0);
    EXPECT_EQ(w.BorderStyle(), 0);
    EXPECT_EQ(w.CalcXSize(), 12);
}

} // namespace

#include "CcvTallyCtrl.h"
#include "TallyFixture.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

using namespace tallytest;

namespace {

// ---- properties ----

TEST_F(Fixture, Defaults)
{
    struct Case {
        const char *name;
        QVariant value;
    } cases[] = {
        {"DisplayBackColor", QColor(255, 255, 255)}, {"DisplayTextColor", QColor(0, 0, 0)},
        {"BorderType", QVariant::fromValue<short>(2)}, {"BorderColor", QColor(0, 0, 0)},
        {"ButtonColor", QColor(192, 192, 192)},     {"NumberColor", QColor(0, 0, 255)},
        {"FunctionColor", QColor(0, 0, 128)},       {"OperandColor", QColor(255, 0, 0)},
        {"ClearColor", QColor(128, 0, 0)},          {"CalcXSize", QVariant::fromValue<short>(0)},
        {"CalcYSize", QVariant::fromValue<short>(0)}, {"DisplayFont", host().font()},
        {"DrawFocus", false},                       {"Value", 0.0f},
        {"FunctionKeys", QVariant::fromValue<short>(0)}, {"FncKeyText1", QStringLiteral("F1")},
        {"FncKeyText2", QStringLiteral("F2")},      {"TextValue", QStringLiteral("0")},
        {"CalcValue", 0.0f},                        {"BorderStyle", QVariant::fromValue<short>(0)},
        {"Font", host().font()},
    };
    for (const Case &c : cases)
        EXPECT_EQ(w.property(c.name), c.value) << c.name;
    EXPECT_FALSE(w.isModified());
}

TEST_F(Fixture, PropertiesInDispatchOrder)
{
    const char *order[] = {"DisplayBackColor", "DisplayTextColor", "BorderType", "BorderColor", "ButtonColor",
                           "NumberColor", "FunctionColor", "OperandColor", "ClearColor", "CalcXSize",
                           "CalcYSize", "DisplayFont", "DrawFocus", "Value", "FunctionKeys", "FncKeyText1",
                           "FncKeyText2", "TextValue", "CalcValue", "BackColor", "Font", "BorderStyle", "hWnd"};
    const QMetaObject *mo = w.metaObject();
    ASSERT_EQ(mo->propertyCount() - mo->propertyOffset(), int(std::size(order)));
    for (int i = 0; i < int(std::size(order)); ++i)
        EXPECT_STREQ(mo->property(mo->propertyOffset() + i).name(), order[i]) << i;
}

TEST_F(Fixture, OutOfRangeEnumsAreIgnored)
{
    struct Case {
        const char *name;
        short value;
        short expected;
    } cases[] = {
        {"BorderType", 0, 0},   {"BorderType", 4, 0},   {"BorderType", -1, 0}, {"BorderType", 3, 3},
        {"FunctionKeys", 2, 2}, {"FunctionKeys", 3, 2}, {"FunctionKeys", -2, 2}, {"FunctionKeys", 1, 1},
        {"BorderStyle", 1, 1},  {"BorderStyle", 2, 1},  {"BorderStyle", 0, 0},
    };
    for (const Case &c : cases) {
        w.setModified(false);
        w.setProperty(c.name, QVariant::fromValue<short>(c.value));
        EXPECT_EQ(w.property(c.name).value<short>(), c.expected) << c.name << " = " << c.value;
        EXPECT_EQ(w.isModified(), c.value == c.expected) << c.name << " = " << c.value;
    }
}

TEST_F(Fixture, EverySetterMarksModified)
{
    const std::pair<const char *, QVariant> sets[] = {
        {"DisplayBackColor", QColor(1, 2, 3)}, {"DisplayTextColor", QColor(1, 2, 3)},
        {"BorderColor", QColor(1, 2, 3)},      {"ButtonColor", QColor(1, 2, 3)},
        {"NumberColor", QColor(1, 2, 3)},      {"FunctionColor", QColor(1, 2, 3)},
        {"OperandColor", QColor(1, 2, 3)},     {"ClearColor", QColor(1, 2, 3)},
        {"CalcXSize", QVariant::fromValue<short>(4)}, {"CalcYSize", QVariant::fromValue<short>(-4)},
        {"DisplayFont", QFont(QStringLiteral("DejaVu Serif"), 20)}, {"DrawFocus", true},
        {"Value", 2.5f},                       {"FncKeyText1", QStringLiteral("Copy")},
        {"FncKeyText2", QStringLiteral("Off")}, {"TextValue", QStringLiteral("42")},
        {"CalcValue", 1.5f},                   {"BackColor", QColor(9, 9, 9)},
        {"Font", QFont(QStringLiteral("DejaVu Sans Mono"), 9)},
    };
    for (const auto &[name, value] : sets) {
        w.setModified(false);
        ASSERT_TRUE(w.setProperty(name, value)) << name;
        EXPECT_TRUE(w.isModified()) << name;
        EXPECT_EQ(w.property(name), value) << name;
    }
}

TEST_F(Fixture, ValueAndTextValue)
{
    w.setProperty("Value", -3.5f);
    EXPECT_EQ(w.TextValue(), QStringLiteral("3.5"));
    EXPECT_EQ(shown(w), "-3.5");
    EXPECT_FLOAT_EQ(w.CalcValue(), -3.5f);

    w.setCalcValue(0.25f);
    EXPECT_FLOAT_EQ(w.Value(), 0.25f);
    EXPECT_EQ(w.TextValue(), QStringLiteral("0.25"));

    // Setting the value leaves the entry state: typing continues the number.
    click(w, 15);  // 1
    w.setValue(2.0f);
    click(w, 17);  // 3
    EXPECT_EQ(shown(w), "23");

    w.setValue(1e20f);
    EXPECT_EQ(shown(w), "Error");
    w.Clear();

    w.setTextValue(QStringLiteral("12.5"));
    EXPECT_FLOAT_EQ(w.Value(), 12.5f);
    w.setTextValue(QString(40, QLatin1Char('7')));
    EXPECT_EQ(w.TextValue(), QString(23, QLatin1Char('7')));
    w.setTextValue(QString(20, QChar(0x00e9)));  // two bytes each
    EXPECT_EQ(w.TextValue(), QString(11, QChar(0x00e9)));
}

TEST_F(Fixture, NegativeResult)
{
    click(w, 17);  // 3
    click(w, 18);  // -
    click(w, 12);  // 6
    click(w, 24);  // =
    EXPECT_FLOAT_EQ(w.Value(), -3.0f);
    EXPECT_EQ(w.TextValue(), QStringLiteral("3"));
}

TEST_F(Fixture, ClearAndEqualMethods)
{
    click(w, 15);
    click(w, 16);
    click(w, 23);
    click(w, 17);
    w.Equal();
    EXPECT_EQ(shown(w), "15");
    press(w, keyCentre(w, 5));
    w.Clear();
    EXPECT_EQ(shown(w), "0");
    EXPECT_EQ(w.pressedKey(), tally::kNoKey);
    EXPECT_EQ(w.engine().pending(), tally::Op::Equal);
    release(w, keyCentre(w, 5));  // the key was let go by Clear: no digit
    EXPECT_EQ(shown(w), "0");
}

// ---- mouse ----

TEST_F(Fixture, MousePressShowsKeyAndReleaseRuns)
{
    press(w, keyCentre(w, 5));
    EXPECT_EQ(w.pressedKey(), 5);
    EXPECT_EQ(shown(w), "0");
    release(w, keyCentre(w, 5));
    EXPECT_EQ(w.pressedKey(), tally::kNoKey);
    EXPECT_EQ(shown(w), "7");
}

TEST_F(Fixture, MouseMovingOffAndBack)
{
    const QPoint eight = keyCentre(w, 6);
    const QPoint nine = keyCentre(w, 7);
    press(w, eight);
    move(w, nine);
    EXPECT_EQ(w.pressedKey(), tally::kNoKey);
    move(w, QPoint(500, 500));  // outside the control, still captured
    EXPECT_EQ(w.pressedKey(), tally::kNoKey);
    move(w, eight);
    EXPECT_EQ(w.pressedKey(), 6);
    release(w, nine);  // elsewhere: only released
    EXPECT_EQ(w.pressedKey(), tally::kNoKey);
    EXPECT_EQ(shown(w), "0");

    press(w, eight);
    move(w, nine);
    move(w, eight);
    release(w, eight);
    EXPECT_EQ(shown(w), "8");
}

TEST_F(Fixture, OtherButtonsAndGapsDoNothing)
{
    mouse(w, QEvent::MouseButtonPress, keyCentre(w, 5), Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(w.pressedKey(), tally::kNoKey);
    mouse(w, QEvent::MouseButtonRelease, keyCentre(w, 5), Qt::RightButton, Qt::NoButton);
    const QPoint gap(keyCentre(w, 5).x(), 60);  // between rows 0 and 1
    press(w, gap);
    release(w, gap);
    EXPECT_EQ(shown(w), "0");
}

TEST_F(Fixture, DoubleClickRunsTwice)
{
    QSignalSpy dbl(&w, &CcvTallyCtrl::DblClick);
    const QPoint one = keyCentre(w, 15);
    press(w, one);
    release(w, one);
    mouse(w, QEvent::MouseButtonDblClick, one);
    release(w, one);
    EXPECT_EQ(shown(w), "11");
    EXPECT_EQ(dbl.count(), 1);
}

TEST_F(Fixture, FunctionKeysRaiseEvents)
{
    QSignalSpy f1(&w, &CcvTallyCtrl::Function1);
    QSignalSpy f2(&w, &CcvTallyCtrl::Function2);
    struct Case {
        short keys;
        int key;
        int f1, f2;
    } cases[] = {{2, 3, 1, 0}, {2, 4, 0, 1}, {1, 3, 1, 0}, {1, 4, 0, 0}, {0, 3, 0, 0}};
    for (const Case &c : cases) {
        f1.clear();
        f2.clear();
        w.setFunctionKeys(2);
        const QPoint at = keyCentre(w, c.key);
        w.setFunctionKeys(c.keys);
        click(w, 15);
        press(w, at);
        release(w, at);
        EXPECT_EQ(f1.count(), c.f1) << c.keys << " keys, key " << c.key;
        EXPECT_EQ(f2.count(), c.f2) << c.keys << " keys, key " << c.key;
        EXPECT_EQ(shown(w), "1");
        w.Clear();
    }
}

TEST(FunctionKeyEvents, HostMayDestroyTheControlInTheHandler)
{
    auto *calc = new CcvTallyCtrl(&host());
    calc->resize(200, 180);
    calc->setFunctionKeys(2);
    QPointer<CcvTallyCtrl> watch(calc);
    QObject::connect(calc, &CcvTallyCtrl::Function2, calc, [calc] { delete calc; });
    click(*calc, 4);
    EXPECT_TRUE(watch.isNull());
}

TEST(ShownControl, WorksThroughTheWindowSystemPath)
{
    // Through the platform's event path: capture on press, focus, key events.
    CcvTallyCtrl calc;
    calc.resize(200, 180);
    calc.show();
    calc.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&calc));
    calc.setFocus();
    QTest::mouseClick(&calc, Qt::LeftButton, Qt::NoModifier, keyCentre(calc, 5));
    QTest::keyClick(&calc, Qt::Key_Plus, Qt::ShiftModifier);
    QTest::keyClick(&calc, Qt::Key_2);
    QTest::mousePress(&calc, Qt::LeftButton, Qt::NoModifier, keyCentre(calc, 24));
    EXPECT_EQ(calc.pressedKey(), 24);
    QTest::mouseMove(&calc, keyCentre(calc, 23));
    EXPECT_EQ(calc.pressedKey(), tally::kNoKey);
    QTest::mouseRelease(&calc, Qt::LeftButton, Qt::NoModifier, keyCentre(calc, 23));
    EXPECT_EQ(shown(calc), "2");
    QTest::keyClick(&calc, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(shown(calc), "9");
}

TEST_F(Fixture, StockMouseEvents)
{
    QSignalSpy down(&w, &CcvTallyCtrl::MouseDown);
    QSignalSpy up(&w, &CcvTallyCtrl::MouseUp);
    QSignalSpy moved(&w, &CcvTallyCtrl::MouseMove);
    QSignalSpy clicked(&w, &CcvTallyCtrl::Click);
    press(w, QPoint(30, 70));
    move(w, QPoint(31, 71));
    release(w, QPoint(32, 72));
    ASSERT_EQ(down.count(), 1);
    EXPECT_EQ(down.at(0), (QList<QVariant>{1, 0, 30, 70}));
    ASSERT_EQ(up.count(), 1);
    EXPECT_EQ(up.at(0), (QList<QVariant>{1, 0, 32, 72}));
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(2).toInt(), 31);
    EXPECT_EQ(clicked.count(), 1);
}

// ---- keyboard ----

TEST_F(Fixture, KeyDownPressesKeyUpRuns)
{
    keyDown(w, Qt::Key_7);
    EXPECT_EQ(w.pressedKey(), 5);
    EXPECT_EQ(shown(w), "0");
    keyUp(w, Qt::Key_7);
    EXPECT_EQ(w.pressedKey(), tally::kNoKey);
    EXPECT_EQ(shown(w), "7");
}

TEST_F(Fixture, KeyboardSequences)
{
    struct Case {
        std::vector<std::pair<int, Qt::KeyboardModifiers>> keys;
        const char *shown;
    };
    const auto none = Qt::KeyboardModifiers(Qt::NoModifier);
    const auto shift = Qt::KeyboardModifiers(Qt::ShiftModifier);
    const auto pad = Qt::KeyboardModifiers(Qt::KeypadModifier);
    const Case cases[] = {
        {{{Qt::Key_1, none}, {Qt::Key_2, none}, {Qt::Key_Plus, shift}, {Qt::Key_3, none}, {Qt::Key_Return, none}},
         "15"},
        {{{Qt::Key_6, pad}, {Qt::Key_Asterisk, pad}, {Qt::Key_7, pad}, {Qt::Key_Enter, pad}}, "42"},
        {{{Qt::Key_9, none}, {Qt::Key_Slash, none}, {Qt::Key_4, none}, {Qt::Key_Equal, none}}, "2.25"},
        {{{Qt::Key_5, none}, {Qt::Key_Minus, none}, {Qt::Key_8, none}, {Qt::Key_Return, none}}, "-3"},
        {{{Qt::Key_1, none}, {Qt::Key_Period, none}, {Qt::Key_5, none}, {Qt::Key_Backspace, none}}, "1."},
        {{{Qt::Key_4, none}, {Qt::Key_C, none}}, "0"},
        {{{Qt::Key_4, none}, {Qt::Key_C, shift}, {Qt::Key_5, shift}}, "4"},
        {{{Qt::Key_4, none}, {Qt::Key_Percent, shift}, {Qt::Key_A, none}, {Qt::Key_Comma, none}}, "4"},
        {{{Qt::Key_2, none}, {Qt::Key_Return, shift}}, "2"},
    };
    for (const Case &c : cases) {
        w.Clear();
        for (const auto &[key, mods] : c.keys)
            type(w, key, mods);
        EXPECT_EQ(shown(w), c.shown) << c.shown;
    }
}

TEST_F(Fixture, EnterKeyPendsItsOwnOperator)
{
    struct Case {
        int key;
        tally::Op pending;
    } cases[] = {{Qt::Key_Return, tally::Op::Enter}, {Qt::Key_Enter, tally::Op::Enter}, {Qt::Key_Equal, tally::Op::Equal}};
    for (const Case &c : cases) {
        w.Clear();
        type(w, Qt::Key_2);
        type(w, Qt::Key_Asterisk, Qt::KeypadModifier);
        type(w, Qt::Key_4);
        keyDown(w, c.key);
        EXPECT_EQ(w.pressedKey(), 24);
        keyUp(w, c.key);
        EXPECT_EQ(shown(w), "8");
        EXPECT_EQ(w.engine().pending(), c.pending);
    }
}

TEST_F(Fixture, FunctionKeyCaptionsAreCutToNine)
{
    w.setFncKeyText1(QStringLiteral("Calculate!"));
    w.setFncKeyText2(QStringLiteral("Off"));
    EXPECT_EQ(w.FncKeyText1(), QStringLiteral("Calculate!"));
    EXPECT_EQ(w.keyCaption(3), QStringLiteral("Calculate"));
    EXPECT_EQ(w.keyCaption(4), QStringLiteral("Off"));
    EXPECT_EQ(w.keyCaption(9), QStringLiteral("sqrt"));
}

TEST_F(Fixture, UnmappedKeysGoToTheHost)
{
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        bool accepted;
    } cases[] = {{Qt::Key_Escape, Qt::NoModifier, false}, {Qt::Key_A, Qt::AltModifier, false},
                 {Qt::Key_5, Qt::ShiftModifier, false}, {Qt::Key_5, Qt::NoModifier, true},
                 {Qt::Key_Return, Qt::NoModifier, true}};
    for (const Case &c : cases) {
        QKeyEvent e(QEvent::KeyPress, c.key, c.mods);
        QApplication::sendEvent(&w, &e);
        EXPECT_EQ(e.isAccepted(), c.accepted) << std::hex << c.key;
        keyUp(w, c.key, c.mods);
    }
}

TEST_F(Fixture, AutoRepeatRunsOnce)
{
    keyDown(w, Qt::Key_5);
    for (int i = 0; i < 3; ++i) {
        keyUp(w, Qt::Key_5, Qt::NoModifier, true);
        keyDown(w, Qt::Key_5, Qt::NoModifier, QString(), true);
    }
    keyUp(w, Qt::Key_5);
    EXPECT_EQ(shown(w), "5");
}

TEST_F(Fixture, ShiftLetGoFirstStillRunsTheHeldKey)
{
    type(w, Qt::Key_6);
    keyDown(w, Qt::Key_Asterisk, Qt::ShiftModifier, QStringLiteral("*"), false, 17);
    keyUp(w, Qt::Key_8, Qt::NoModifier, false, 17);
    EXPECT_EQ(w.engine().pending(), tally::Op::Multiply);
    EXPECT_EQ(w.pressedKey(), tally::kNoKey);
}

TEST_F(Fixture, StockKeyEvents)
{
    QSignalSpy down(&w, &CcvTallyCtrl::KeyDown);
    QSignalSpy pressed(&w, &CcvTallyCtrl::KeyPress);
    QSignalSpy up(&w, &CcvTallyCtrl::KeyUp);
    keyDown(w, Qt::Key_A, Qt::ShiftModifier, QStringLiteral("A"));
    keyUp(w, Qt::Key_A, Qt::ShiftModifier);
    ASSERT_EQ(down.count(), 1);
    EXPECT_EQ(down.at(0), (QList<QVariant>{int(Qt::Key_A), 1}));
    ASSERT_EQ(pressed.count(), 1);
    EXPECT_EQ(pressed.at(0).at(0).toInt(), int('A'));
    ASSERT_EQ(up.count(), 1);
}

} // namespace

// Creates the control the way a host does: by class identifier through the
// factory, then only properties, slots and signals by name.
#include "ControlFactory.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMetaProperty>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using gw::ControlFactory;

namespace {

const char *const kClassId = "cvTally.cvTallyCtrl.1";

struct FactoryTest : ::testing::Test {
    void SetUp() override
    {
        qputenv("GW_CONTROL_PATH", QByteArray(TALLY_LIBRARY_DIR));
        ControlFactory::rescan();
    }
    void TearDown() override
    {
        qunsetenv("GW_CONTROL_PATH");
        ControlFactory::rescan();
    }
};

void clickAt(QWidget *w, QPoint p)
{
    QMouseEvent down(QEvent::MouseButtonPress, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::LeftButton,
                   Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &up);
}

void typeKey(QWidget *w, int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QKeyEvent down(QEvent::KeyPress, key, mods);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, mods);
    QApplication::sendEvent(w, &up);
}

TEST_F(FactoryTest, LibraryOffersTheClass)
{
    EXPECT_TRUE(ControlFactory::classIds().contains(QString::fromLatin1(kClassId)));
    EXPECT_TRUE(ControlFactory::libraryFor(QString::fromLatin1(kClassId)).endsWith(QStringLiteral("libcvtally.so")));
}

TEST_F(FactoryTest, HostCreatesSetsPropertiesAndHearsFunctionKeys)
{
    QWidget window;
    QString error;
    QWidget *calc = ControlFactory::create(QString::fromLatin1(kClassId), &window, &error);
    ASSERT_NE(calc, nullptr) << error.toStdString();
    EXPECT_STREQ(calc->metaObject()->className(), "CcvTallyCtrl");
    EXPECT_EQ(calc->parentWidget(), &window);
    calc->resize(200, 180);

    ASSERT_TRUE(calc->setProperty("FunctionKeys", QVariant::fromValue<short>(2)));
    ASSERT_TRUE(calc->setProperty("FncKeyText1", QStringLiteral("Copy")));
    ASSERT_TRUE(calc->setProperty("FncKeyText2", QStringLiteral("Off")));
    QSignalSpy copy(calc, SIGNAL(Function1()));
    QSignalSpy off(calc, SIGNAL(Function2()));
    ASSERT_TRUE(copy.isValid());
    ASSERT_TRUE(off.isValid());

    // Keys of a 200 x 180 control: function key 1 at x 120..146, key 2 at 153..179, row 36..56.
    clickAt(calc, QPoint(133, 46));
    EXPECT_EQ(copy.count(), 1);
    EXPECT_EQ(off.count(), 0);
    clickAt(calc, QPoint(166, 46));
    EXPECT_EQ(off.count(), 1);

    for (int key : {Qt::Key_1, Qt::Key_2, Qt::Key_Plus, Qt::Key_3})
        typeKey(calc, key);
    ASSERT_TRUE(QMetaObject::invokeMethod(calc, "Equal"));
    EXPECT_EQ(calc->property("TextValue").toString(), QStringLiteral("15"));
    EXPECT_FLOAT_EQ(calc->property("Value").toFloat(), 15.0f);
    ASSERT_TRUE(QMetaObject::invokeMethod(calc, "Clear"));
    EXPECT_EQ(calc->property("TextValue").toString(), QStringLiteral("0"));
}

TEST_F(FactoryTest, InterfaceNamesAndOrder)
{
    std::unique_ptr<QWidget> calc(ControlFactory::create(QString::fromLatin1(kClassId), nullptr));
    ASSERT_NE(calc, nullptr);
    const QMetaObject *mo = calc->metaObject();
    QStringList props;
    for (int i = mo->propertyOffset(); i < mo->propertyCount(); ++i)
        props << QString::fromLatin1(mo->property(i).name());
    EXPECT_EQ(props.mid(0, 19),
              (QStringList{"DisplayBackColor", "DisplayTextColor", "BorderType", "BorderColor", "ButtonColor",
                           "NumberColor", "FunctionColor", "OperandColor", "ClearColor", "CalcXSize", "CalcYSize",
                           "DisplayFont", "DrawFocus", "Value", "FunctionKeys", "FncKeyText1", "FncKeyText2",
                           "TextValue", "CalcValue"}));
    for (const char *sig : {"Function1()", "Function2()", "Click()", "DblClick()", "KeyDown(int,int)",
                            "KeyPress(int)", "KeyUp(int,int)", "MouseDown(int,int,int,int)",
                            "MouseMove(int,int,int,int)", "MouseUp(int,int,int,int)"})
        EXPECT_GE(mo->indexOfSignal(sig), 0) << sig;
    for (const char *slot : {"Clear()", "Equal()", "AboutBox()"})
        EXPECT_GE(mo->indexOfSlot(slot), 0) << slot;
}

} // namespace

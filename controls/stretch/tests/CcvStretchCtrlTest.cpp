#include "CcvStretchCtrl.h"
#include "PropertyBag.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMetaProperty>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace gw::stretch;

namespace {

// Lets the offscreen platform deliver the paints and moves that are due.
void settle()
{
    for (int i = 0; i < 5; ++i) {
        QApplication::processEvents();
        QApplication::sendPostedEvents();
    }
}

TEST(CcvStretchCtrlTest, PropertiesInDispatchOrderWithDefaults)
{
    CcvStretchCtrl c;
    const QMetaObject* mo = c.metaObject();
    const QStringList order = {"BorderType", "BorderColor", "ChildAlign", "SpaceLeft",
                               "SpaceRight", "SpaceTop", "SpaceBottom", "ChildSpacing",
                               "ControlAlign", "SizeHeight", "SizeWidth", "AdjustFont",
                               "FormHandle", "AutoConfig", "SplitBottom", "SplitLeft",
                               "SplitRight", "SplitTop", "BackImage", "CheckOffset",
                               "BackColor", "hWnd"};
    QStringList got;
    for (int i = mo->propertyOffset(); i < mo->propertyCount(); ++i)
        got.append(QString::fromLatin1(mo->property(i).name()));
    EXPECT_EQ(got, order);

    const struct {
        const char* name;
        QVariant value;
    } defaults[] = {{"BorderType", short(0)},  {"BorderColor", QColor(0, 0, 0)},
                    {"ChildAlign", short(0)},  {"SpaceLeft", short(10)},
                    {"SpaceRight", short(10)}, {"SpaceTop", short(10)},
                    {"SpaceBottom", short(10)}, {"ChildSpacing", short(10)},
                    {"ControlAlign", short(0)}, {"SizeHeight", short(50)},
                    {"SizeWidth", short(50)},  {"AdjustFont", false},
                    {"AutoConfig", short(0)},  {"SplitBottom", short(0)},
                    {"SplitLeft", short(0)},   {"SplitRight", short(0)},
                    {"SplitTop", short(0)},    {"CheckOffset", true}};
    for (const auto& d : defaults)
        EXPECT_EQ(c.property(d.name), d.value) << d.name;
    EXPECT_TRUE(c.BackImage().isNull());
    EXPECT_EQ(c.hWnd(), CcvStretchCtrl::handleOf(&c));
}

TEST(CcvStretchCtrlTest, SettersKeepRangesAndMarkModified)
{
    struct Case {
        const char* name;
        int value;
        int readBack;
        bool modified;
    };
    const Case cases[] = {
        {"BorderType", 3, 3, true},    {"BorderType", 4, 0, false},
        {"BorderType", -1, 0, false},  {"ChildAlign", 4, 4, true},
        {"ChildAlign", 7, 0, false},   {"ChildAlign", -1, 0, false},
        {"ControlAlign", 5, 5, true},  {"ControlAlign", 6, 0, false},
        {"AutoConfig", 3, 3, true},    {"AutoConfig", 4, 0, false},
        {"SizeHeight", 3, 5, true},    {"SizeHeight", 5, 5, true},
        {"SizeHeight", 6, 6, true},    {"SizeWidth", -20, 5, true},
        {"SizeWidth", 90, 90, true},   {"SpaceLeft", 3, 3, true},
        {"SpaceRight", 4, 4, true},    {"SpaceTop", 5, 5, true},
        {"SpaceBottom", 6, 6, true},   {"ChildSpacing", 0, 0, true},
        {"SplitLeft", 2, 2, true},     {"SplitTop", 2, 2, true},
        {"SplitRight", 2, 2, true},    {"SplitBottom", 2, 2, true},
    };
    for (const Case& c : cases) {
        CcvStretchCtrl ctrl;
        EXPECT_TRUE(ctrl.setProperty(c.name, QVariant::fromValue(short(c.value)))) << c.name;
        EXPECT_EQ(ctrl.property(c.name).toInt(), c.readBack) << c.name << "=" << c.value;
        EXPECT_EQ(ctrl.isModified(), c.modified) << c.name << "=" << c.value;
    }
}

TEST(CcvStretchCtrlTest, LayoutPendingOnlyForLayoutProperties)
{
    struct Case {
        const char* name;
        QVariant value;
        bool pending;
    };
    const Case cases[] = {{"BorderType", short(2), true},    {"ChildAlign", short(1), true},
                          {"SpaceLeft", short(1), true},     {"ChildSpacing", short(1), true},
                          {"BorderColor", QColor(Qt::red), false},
                          {"SizeHeight", short(20), false},  {"AdjustFont", true, false},
                          {"CheckOffset", false, false},     {"AutoConfig", short(1), false}};
    for (const Case& c : cases) {
        QWidget parent;
        parent.resize(200, 100);
        auto* ctrl = new CcvStretchCtrl(&parent);
        parent.show();
        settle();
        ASSERT_FALSE(ctrl->isLayoutPending()) << c.name;
        ctrl->setModified(false);
        ctrl->setProperty(c.name, c.value);
        EXPECT_EQ(ctrl->isLayoutPending(), c.pending) << c.name;
        EXPECT_TRUE(ctrl->isModified()) << c.name;
    }
}

TEST(CcvStretchCtrlTest, FormHandleDoesNotMarkModified)
{
    QWidget form;
    CcvStretchCtrl ctrl;
    ctrl.setFormHandle(CcvStretchCtrl::handleOf(&form));
    EXPECT_FALSE(ctrl.isModified());
    EXPECT_EQ(ctrl.subclassedWindow(), &form);
    ctrl.setFormHandle(0);
    EXPECT_EQ(ctrl.subclassedWindow(), nullptr);
    ctrl.setFormHandle(12345); // names no window
    EXPECT_EQ(ctrl.subclassedWindow(), nullptr);
    EXPECT_EQ(ctrl.FormHandle(), 12345);
}

TEST(CcvStretchCtrlTest, AddControlRefusesNonWindowsAndDuplicates)
{
    QWidget parent;
    auto* ctrl = new CcvStretchCtrl(&parent);
    auto* child = new QLabel(QStringLiteral("x"), ctrl);
    QObject notAWidget;
    QSignalSpy errors(ctrl, &CcvStretchCtrl::CtrlError);

    EXPECT_EQ(ctrl->AddControl(child), 1);
    struct Case {
        qintptr handle;
        short error;
    };
    const Case cases[] = {{0, ErrorNotAWindow},
                          {reinterpret_cast<qintptr>(&notAWidget), ErrorNotAWindow},
                          {424242, ErrorNotAWindow},
                          {CcvStretchCtrl::handleOf(child), ErrorAlreadyListed}};
    for (const Case& c : cases) {
        errors.clear();
        EXPECT_EQ(ctrl->AddControl(c.handle), 0);
        ASSERT_EQ(errors.size(), 1);
        EXPECT_EQ(errors[0][0].value<short>(), c.error);
        EXPECT_EQ(errors[0][1].value<short>(), 1); // the current number of entries
    }
    EXPECT_EQ(ctrl->childList().size(), 1);
}

TEST(CcvStretchCtrlTest, AddItemDuplicatesAndFullListAreRefused)
{
    CcvStretchCtrl ctrl;
    QSignalSpy errors(&ctrl, &CcvStretchCtrl::CtrlError);
    QSignalSpy stock(&ctrl, &CcvStretchCtrl::Error);
    EXPECT_EQ(ctrl.AddItem(7, 1, 2, 3, 4, 5), 1);
    EXPECT_EQ(ctrl.AddItem(7, 1, 2, 3, 4, 5), 0);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0][0].value<short>(), ErrorAlreadyListed);

    for (int id = 8; ctrl.childList().size() < ChildList::kMaxEntries; ++id)
        ASSERT_GT(ctrl.AddItem(short(id), 0, 0, 1, 1, 0), 0);
    EXPECT_EQ(ctrl.AddItem(-1, 0, 0, 1, 1, 0), 0);
    ASSERT_EQ(stock.size(), 1);
    EXPECT_EQ(stock[0][0].value<short>(), ErrorListFull);
    QLabel extra;
    EXPECT_EQ(ctrl.AddControl(&extra), 0);
    EXPECT_EQ(stock.size(), 2);
    EXPECT_EQ(ctrl.childList().size(), ChildList::kMaxEntries);
}

TEST(CcvStretchCtrlTest, CollectChildrenGivesReverseZOrder)
{
    QWidget parent;
    auto* ctrl = new CcvStretchCtrl(&parent);
    auto* a = new QLabel(QStringLiteral("a"), ctrl);
    auto* b = new QLabel(QStringLiteral("b"), ctrl);
    auto* c = new QLabel(QStringLiteral("c"), ctrl);
    a->raise(); // z-order from the top: a, c, b
    EXPECT_EQ(ctrl->AddControl(c), 1); // already listed when collecting
    QSignalSpy errors(ctrl, &CcvStretchCtrl::CtrlError);
    EXPECT_EQ(ctrl->CollectChildren(), 3);
    EXPECT_EQ(errors.size(), 1);
    const auto& entries = ctrl->childList().entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].handle, CcvStretchCtrl::handleOf(b));
    EXPECT_EQ(entries[1].handle, CcvStretchCtrl::handleOf(a));
    EXPECT_EQ(entries[2].handle, CcvStretchCtrl::handleOf(c));
}

// A shown form with one stretch container holding one label at 100, 40 (200 × 20).
struct Scene {
    QWidget form;
    CcvStretchCtrl* ctrl;
    QLabel* label;

    explicit Scene(short childAlign, short autoConfig = ConfigChild)
    {
        form.resize(400, 300);
        ctrl = new CcvStretchCtrl(&form);
        ctrl->setGeometry(0, 0, 400, 300);
        label = new QLabel(QStringLiteral("Price"), ctrl);
        label->setGeometry(100, 40, 200, 20);
        QFont f = label->font();
        f.setPixelSize(16);
        label->setFont(f);
        ctrl->setChildAlign(childAlign);
        ctrl->setAutoConfig(autoConfig);
        form.show();
        settle();
    }
};

TEST(CcvStretchCtrlTest, ProportionalLayoutsMoveTheChildOnResize)
{
    struct Case {
        short align;
        bool adjustFont;
        QRect want;
        int font;
    };
    const Case cases[] = {{AlignProportional1, false, QRect(150, 60, 300, 30), 16},
                          {AlignProportional1, true, QRect(150, 60, 300, 30), 24},
                          {AlignProportional2, true, QRect(150, 60, 200, 20), 16}};
    for (const Case& c : cases) {
        Scene s(c.align);
        s.ctrl->setAdjustFont(c.adjustFont);
        ASSERT_EQ(s.ctrl->childList().size(), 1);
        QSignalSpy moves(s.ctrl, &CcvStretchCtrl::MoveObject);
        s.form.resize(600, 450);
        s.ctrl->resize(600, 450);
        settle();
        EXPECT_EQ(s.label->geometry(), c.want) << c.align;
        EXPECT_EQ(QFontInfo(s.label->font()).pixelSize(), c.font) << c.align;
        ASSERT_FALSE(moves.isEmpty());
        const QList<QVariant> last = moves.last();
        EXPECT_EQ(last[0].value<qintptr>(), CcvStretchCtrl::handleOf(s.label));
        EXPECT_EQ(last[1].value<short>(), c.want.left());
        EXPECT_EQ(last[2].value<short>(), c.want.top());
        EXPECT_EQ(last[3].value<short>(), c.want.width());
        EXPECT_EQ(last[4].value<short>(), c.want.height());
        EXPECT_EQ(last[5].value<short>(), c.align == AlignProportional1 ? 24 : 16);
        EXPECT_FALSE(last[6].toBool());
    }
}

TEST(CcvStretchCtrlTest, ItemsAreReportedButNeverMoved)
{
    Scene s(AlignHorizontal, ConfigNone);
    QLabel outside(QStringLiteral("item stand-in"));
    outside.setGeometry(5, 6, 7, 8);
    QSignalSpy moves(s.ctrl, &CcvStretchCtrl::MoveObject);
    EXPECT_EQ(s.ctrl->AddItem(3, 1, 1, 50, 50, 9), 1);
    s.ctrl->ReSize();
    ASSERT_EQ(moves.size(), 1);
    const QList<QVariant> m = moves[0];
    EXPECT_EQ(m[0].value<qintptr>(), 3);
    // One entry in a 400 × 300 row with a 1-pixel border: 378 × 278 at 11, 11.
    EXPECT_EQ(m[1].value<short>(), 11);
    EXPECT_EQ(m[2].value<short>(), 11);
    EXPECT_EQ(m[3].value<short>(), 378);
    EXPECT_EQ(m[4].value<short>(), 278);
    EXPECT_EQ(m[5].value<short>(), 9);
    EXPECT_TRUE(m[6].toBool());
    EXPECT_EQ(outside.geometry(), QRect(5, 6, 7, 8));
    EXPECT_EQ(s.label->geometry(), QRect(100, 40, 200, 20)); // never collected
}

TEST(CcvStretchCtrlTest, CheckOffsetDecidesWhetherItemsGiveScreenCoordinates)
{
    struct Case {
        bool checkOffset;
        bool screenCoordinates; // whether the host passes the item's place on screen
        int wantLeft, wantTop;
    };
    // The control sits at 30, 40 in a form whose own screen place is added below.
    const Case cases[] = {{true, true, 100, 40},
                          {false, false, 100, 40},
                          {false, true, -1, -1}}; // -1: left and top stay on screen
    for (const Case& c : cases) {
        QWidget form;
        form.resize(500, 400);
        auto* ctrl = new CcvStretchCtrl(&form);
        ctrl->setGeometry(30, 40, 400, 300);
        ctrl->setChildAlign(AlignProportional2);
        form.show();
        settle();
        const QPoint screen = ctrl->mapToGlobal(QPoint(0, 0));
        ctrl->setCheckOffset(c.checkOffset);
        const int left = c.screenCoordinates ? screen.x() + 100 : 100;
        const int top = c.screenCoordinates ? screen.y() + 40 : 40;
        QSignalSpy moves(ctrl, &CcvStretchCtrl::MoveObject);
        ASSERT_EQ(ctrl->AddItem(1, short(left), short(top), 200, 20, 0), 1);
        ctrl->ReSize();
        ASSERT_EQ(moves.size(), 1);
        EXPECT_EQ(moves[0][1].value<short>(), c.wantLeft < 0 ? left : c.wantLeft);
        EXPECT_EQ(moves[0][2].value<short>(), c.wantTop < 0 ? top : c.wantTop);
    }
}

TEST(CcvStretchCtrlTest, DeletedChildIsSkippedSafely)
{
    Scene s(AlignHorizontal);
    auto* second = new QLabel(QStringLiteral("second"), s.ctrl);
    ASSERT_EQ(s.ctrl->AddControl(second), 2);
    delete s.label;
    s.label = nullptr;
    QSignalSpy moves(s.ctrl, &CcvStretchCtrl::MoveObject);
    s.ctrl->ReSize();
    // Two entries still divide the row: (400 - 2 - 20 - 10) / 2 = 184.
    EXPECT_EQ(second->geometry(), QRect(205, 11, 184, 278));
    EXPECT_EQ(moves.size(), 2);
    // A handle of a deleted widget is no window any more.
    QSignalSpy errors(s.ctrl, &CcvStretchCtrl::CtrlError);
    EXPECT_EQ(s.ctrl->AddControl(s.ctrl->childList().entries()[0].handle), 0);
    ASSERT_EQ(errors.size(), 1);
    EXPECT_EQ(errors[0][0].value<short>(), ErrorNotAWindow);
}

TEST(CcvStretchCtrlTest, ReSizeAndResetSizesLayOutAtOnce)
{
    Scene s(AlignHorizontal);
    EXPECT_EQ(s.label->geometry(), QRect(11, 11, 378, 278));
    s.label->setGeometry(0, 0, 5, 5);
    s.ctrl->ReSize();
    EXPECT_EQ(s.label->geometry(), QRect(11, 11, 378, 278));

    s.label->setGeometry(0, 0, 5, 5);
    s.ctrl->setProperty("ResetSizes", true);
    EXPECT_EQ(s.label->geometry(), QRect(11, 11, 378, 278));
    EXPECT_FALSE(s.ctrl->property("ResetSizes").isValid()); // write-only

    s.label->setGeometry(0, 0, 5, 5);
    s.ctrl->setProperty("ResetSizes", false);
    EXPECT_EQ(s.label->geometry(), QRect(0, 0, 5, 5));
}

TEST(CcvStretchCtrlTest, DesignModeMovesNothing)
{
    QWidget form;
    form.resize(400, 300);
    auto* ctrl = new CcvStretchCtrl(&form);
    ctrl->setUserMode(false);
    ctrl->setGeometry(0, 0, 400, 300);
    auto* label = new QLabel(QStringLiteral("x"), ctrl);
    label->setGeometry(100, 40, 200, 20);
    ctrl->setAutoConfig(ConfigBoth);
    ctrl->setControlAlign(CtrlAlignBottom);
    form.show();
    settle();
    ctrl->setChildAlign(AlignHorizontal);
    ctrl->ReSize();
    settle();
    EXPECT_EQ(label->geometry(), QRect(100, 40, 200, 20));
    EXPECT_EQ(ctrl->childList().size(), 0);
    EXPECT_EQ(ctrl->geometry(), QRect(0, 0, 400, 300));
    EXPECT_EQ(ctrl->subclassedWindow(), nullptr);
}

TEST(CcvStretchCtrlTest, ControlAlignAndParentFollowing)
{
    struct Case {
        short align;
        QRect first;  // in a 500 × 400 parent
        QRect second; // after the parent becomes 300 × 200
    };
    const Case cases[] = {{CtrlAlignTop, QRect(0, 0, 500, 40), QRect(0, 0, 300, 40)},
                          {CtrlAlignBottom, QRect(0, 360, 500, 40), QRect(0, 160, 300, 40)},
                          {CtrlAlignLeft, QRect(0, 0, 60, 400), QRect(0, 0, 60, 200)},
                          {CtrlAlignRight, QRect(440, 0, 60, 400), QRect(240, 0, 60, 200)},
                          {CtrlAlignFill, QRect(0, 0, 500, 400), QRect(0, 0, 300, 200)}};
    for (const Case& c : cases) {
        QWidget form;
        form.resize(600, 500);
        auto* holder = new QWidget(&form);
        holder->setGeometry(0, 0, 500, 400);
        auto* ctrl = new CcvStretchCtrl(holder);
        ctrl->setGeometry(20, 20, 50, 50);
        ctrl->setSizeHeight(40);
        ctrl->setSizeWidth(60);
        ctrl->setAutoConfig(ConfigParent);
        ctrl->setControlAlign(c.align); // not applied before the first paint
        EXPECT_EQ(ctrl->geometry(), QRect(20, 20, 50, 50));
        form.show();
        settle();
        EXPECT_EQ(ctrl->geometry(), c.first) << c.align;
        EXPECT_EQ(ctrl->subclassedWindow(), holder);
        holder->resize(300, 200);
        EXPECT_EQ(ctrl->geometry(), c.second) << c.align; // at once, through the filter
        ctrl->KillSubClass();
        holder->resize(310, 210);
        EXPECT_EQ(ctrl->geometry(), c.second) << c.align;
    }
}

TEST(CcvStretchCtrlTest, NestedContainerIsNotPlacedButAligns)
{
    QWidget form;
    form.resize(300, 100);
    auto* outer = new CcvStretchCtrl(&form);
    outer->setGeometry(0, 0, 300, 100);
    auto* a = new QLabel(QStringLiteral("a"), outer);
    auto* inner = new CcvStretchCtrl(outer);
    inner->setGeometry(1, 2, 3, 4);
    inner->setControlAlign(CtrlAlignRight);
    inner->setSizeWidth(30);
    auto* b = new QLabel(QStringLiteral("b"), outer);
    outer->setChildAlign(AlignHorizontal);
    outer->setBorderType(BorderNone);
    outer->setAutoConfig(ConfigChild);
    form.show();
    settle();
    // Three entries, two placed: (300 - 20 - 20) / 2 = 130.
    EXPECT_EQ(a->geometry(), QRect(10, 10, 130, 80));
    EXPECT_EQ(b->geometry(), QRect(150, 10, 130, 80));
    EXPECT_EQ(inner->geometry(), QRect(270, 0, 30, 100));
}

TEST(CcvStretchCtrlTest, AllNestedHorizontalDoesNotDivideByZero)
{
    QWidget form;
    form.resize(300, 100);
    auto* outer = new CcvStretchCtrl(&form);
    outer->setGeometry(0, 0, 300, 100);
    auto* inner = new CcvStretchCtrl(outer);
    inner->setControlAlign(CtrlAlignFill);
    outer->setChildAlign(AlignHorizontal);
    outer->setAutoConfig(ConfigChild);
    QSignalSpy moves(outer, &CcvStretchCtrl::MoveObject);
    form.show();
    settle();
    EXPECT_EQ(outer->childList().size(), 1);
    EXPECT_TRUE(moves.isEmpty());
    EXPECT_EQ(inner->geometry(), QRect(0, 0, 300, 100));
}

TEST(CcvStretchCtrlTest, SplitterMessagesPlaceTheControl)
{
    QWidget form;
    auto* ctrl = new CcvStretchCtrl(&form);
    ctrl->setSplitLeft(1);
    ctrl->setSplitTop(2);
    ctrl->setSplitRight(3);
    ctrl->setSplitBottom(4);
    const int values[4] = {10, 20, 300, 200};
    for (int i = 0; i < 4; ++i)
        ctrl->splitterMessage(150 + i, values[i]);
    ctrl->splitterMessage(155, 999); // not ours
    EXPECT_EQ(ctrl->geometry(), QRect(0, 0, 100, 50));
    ctrl->splitterMessage(154);
    EXPECT_EQ(ctrl->geometry(), QRect(11, 22, 302, 202));
}

TEST(CcvStretchCtrlTest, SavedStateRoundTripsInOrderAndResetsRunTimeState)
{
    Scene s(AlignHorizontal);
    CcvStretchCtrl& c = *s.ctrl;
    c.setBorderType(BorderLowered);
    c.setBorderColor(QColor(1, 2, 3));
    c.setChildAlign(AlignVertical);
    c.setControlAlign(CtrlAlignNone);
    c.setAutoConfig(ConfigBoth);
    c.setChildSpacing(4);
    c.setSpaceLeft(5);
    c.setSpaceRight(6);
    c.setSpaceTop(7);
    c.setSpaceBottom(8);
    c.setSizeHeight(33);
    c.setSizeWidth(44);
    c.setSplitLeft(1);
    c.setSplitRight(2);
    c.setSplitTop(3);
    c.setSplitBottom(4);
    c.setAdjustFont(true);
    c.setCheckOffset(false);
    c.setBackColor(QColor(9, 8, 7));
    QPixmap pm(4, 4);
    pm.fill(Qt::green);
    c.setBackImage(pm);
    const QByteArray bytes = c.saveProperties();

    gw::PropertyBag::LoadResult r;
    const gw::PropertyBag bag = gw::PropertyBag::fromBytes(bytes, 1, 0, &r);
    ASSERT_EQ(r, gw::PropertyBag::LoadResult::Ok);
    EXPECT_EQ(bag.names(),
              (QStringList{"Extent", "BackColor", "BackImage", "BorderColor", "BorderType",
                           "ChildAlign", "ControlAlign", "AutoConfig", "ChildSpacing",
                           "SpaceLeft", "SpaceRight", "SpaceTop", "SpaceBottom", "SizeHeight",
                           "SizeWidth", "SplitLeft", "SplitRight", "SplitTop", "SplitBottom",
                           "FormHandle", "AdjustFont", "CheckOffset"}));

    CcvStretchCtrl copy;
    copy.setModified(true);
    EXPECT_TRUE(copy.loadProperties(bytes));
    const char* names[] = {"BorderType", "BorderColor", "ChildAlign", "ControlAlign",
                           "AutoConfig", "ChildSpacing", "SpaceLeft", "SpaceRight", "SpaceTop",
                           "SpaceBottom", "SizeHeight", "SizeWidth", "SplitLeft", "SplitRight",
                           "SplitTop", "SplitBottom", "AdjustFont", "CheckOffset", "BackColor"};
    for (const char* n : names)
        EXPECT_EQ(copy.property(n), c.property(n)) << n;
    EXPECT_EQ(copy.BackImage().size(), QSize(4, 4));
    EXPECT_EQ(copy.size(), c.size());
    EXPECT_FALSE(copy.isModified());

    // Loading into the running control returns it to unconfigured: no subclassing, no
    // offset, and the next paint configures and lays out again.
    c.PositionOffset(50, 50);
    c.GetParent();
    ASSERT_EQ(c.subclassedWindow(), &s.form);
    EXPECT_TRUE(c.loadProperties(bytes));
    EXPECT_TRUE(c.isLayoutPending());
    EXPECT_EQ(c.subclassedWindow(), nullptr);
    settle();
    // Vertical, one entry, Lowered border (2), margins 5, 6, 7, 8.
    EXPECT_EQ(s.label->geometry(), QRect(7, 9, 385, 281));
    EXPECT_EQ(c.subclassedWindow(), &s.form); // AutoConfig Both ran again

    c.resetProperties();
    EXPECT_EQ(c.BorderType(), BorderRegular);
    EXPECT_EQ(c.ChildAlign(), AlignNone);
    EXPECT_EQ(c.SizeHeight(), 50);
    EXPECT_TRUE(c.CheckOffset());
    EXPECT_FALSE(c.BackColor().isValid());
    EXPECT_TRUE(c.BackImage().isNull());
    EXPECT_TRUE(c.isLayoutPending());
}

TEST(CcvStretchCtrlTest, DamagedOrForeignSavedStateGivesDefaults)
{
    CcvStretchCtrl c;
    c.setChildAlign(AlignVertical);
    QByteArray bytes = c.saveProperties();
    bytes[bytes.size() - 3] = char(bytes[bytes.size() - 3] ^ 0x11);
    CcvStretchCtrl other;
    other.setChildAlign(AlignHorizontal);
    EXPECT_FALSE(other.loadProperties(bytes));
    EXPECT_EQ(other.ChildAlign(), AlignNone);
    EXPECT_FALSE(other.loadProperties(QByteArray("garbage")));

    // A bag of the right version holding out-of-range values keeps the control sound.
    gw::PropertyBag bag(1, 0);
    bag.setValue(QStringLiteral("ChildAlign"), QVariant::fromValue(short(9)));
    bag.setValue(QStringLiteral("SizeHeight"), QVariant::fromValue(short(1)));
    bag.setValue(QStringLiteral("BorderType"), QVariant::fromValue(short(-4)));
    EXPECT_TRUE(other.loadProperties(bag.toBytes()));
    EXPECT_EQ(other.ChildAlign(), AlignNone);
    EXPECT_EQ(other.SizeHeight(), 5);
    EXPECT_EQ(other.BorderType(), BorderRegular);
}

TEST(CcvStretchCtrlTest, StockMouseEvents)
{
    CcvStretchCtrl c;
    c.resize(100, 100);
    c.show();
    settle();
    QSignalSpy down(&c, &CcvStretchCtrl::MouseDown);
    QSignalSpy up(&c, &CcvStretchCtrl::MouseUp);
    QSignalSpy click(&c, &CcvStretchCtrl::Click);
    QTest::mouseClick(&c, Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 20));
    ASSERT_EQ(down.size(), 1);
    EXPECT_EQ(down[0][0].value<short>(), 1);
    EXPECT_EQ(down[0][1].value<short>(), 1);
    EXPECT_EQ(down[0][2].toInt(), 10);
    EXPECT_EQ(down[0][3].toInt(), 20);
    EXPECT_EQ(up.size(), 1);
    EXPECT_EQ(click.size(), 1);
    QTest::mouseClick(&c, Qt::RightButton, Qt::ControlModifier, QPoint(1, 1));
    EXPECT_EQ(down[1][0].value<short>(), 2);
    EXPECT_EQ(down[1][1].value<short>(), 2);
}

} // namespace

// Paints the control into an image and checks frames, faces and captions at
// pixels derived from the layout of a 200 x 180 control.
#include "CcvTallyCtrl.h"
#include "TallyTestInput.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

using namespace tallytest;

namespace {

const QColor White(255, 255, 255);
const QColor DarkGrey(128, 128, 128);
const QColor LightGrey(192, 192, 192);
const QColor Black(0, 0, 0);

// Rectangles of a 200 x 180 control without stock border (see the layout test).
const QRect Display(20, 10, 160, 20);
const QRect KeyC(21, 36, 43, 21);
const QRect Key7(21, 64, 27, 21);
const QRect KeyF1(120, 36, 27, 21);

QColor at(const QImage &img, int x, int y)
{
    return QColor(img.pixel(x, y));
}

struct Fixture : ::testing::Test {
    CcvTallyCtrl w;
    void SetUp() override
    {
        w.resize(200, 180);
        w.setBackColor(QColor(10, 200, 30));
        w.setStockFont(QFont(QStringLiteral("DejaVu Sans"), 12, QFont::Black));
        w.setDisplayFont(QFont(QStringLiteral("DejaVu Sans"), 12, QFont::Black));
    }
    QImage grab() { return w.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

// Checks a frame on rectangle r: midpoints of each edge, outer ring and inner ring.
void expectFrame(const QImage &img, const QRect &r, QColor outerTL, QColor outerBR, QColor innerTL, QColor innerBR,
                 const char *what)
{
    const int mx = r.center().x();
    const int my = r.center().y();
    EXPECT_EQ(at(img, mx, r.top()), outerTL) << what << " outer top";
    EXPECT_EQ(at(img, r.left(), my), outerTL) << what << " outer left";
    EXPECT_EQ(at(img, mx, r.bottom()), outerBR) << what << " outer bottom";
    EXPECT_EQ(at(img, r.right(), my), outerBR) << what << " outer right";
    if (!innerTL.isValid())
        return;
    EXPECT_EQ(at(img, mx, r.top() + 1), innerTL) << what << " inner top";
    EXPECT_EQ(at(img, r.left() + 1, my), innerTL) << what << " inner left";
    EXPECT_EQ(at(img, mx, r.bottom() - 1), innerBR) << what << " inner bottom";
    EXPECT_EQ(at(img, r.right() - 1, my), innerBR) << what << " inner right";
}

// Pixels of r whose colour is within tol of c on every channel.
int countNear(const QImage &img, const QRect &r, const QColor &c, int tol = 40)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor p = at(img, x, y);
            if (std::abs(p.red() - c.red()) <= tol && std::abs(p.green() - c.green()) <= tol
                && std::abs(p.blue() - c.blue()) <= tol)
                ++n;
        }
    return n;
}

TEST_F(Fixture, ControlFrameKinds)
{
    const QColor back(10, 200, 30);
    const QColor regular(0, 255, 255);
    w.setBorderColor(regular);
    struct Case {
        short type;
        QColor outerTL, outerBR, innerTL, innerBR;
    } cases[] = {
        {2, White, DarkGrey, LightGrey, Black},
        {3, DarkGrey, White, Black, LightGrey},
        {0, regular, regular, back, back},
        {1, back, back, back, back},
    };
    for (const Case &c : cases) {
        w.setBorderType(c.type);
        const QImage img = grab();
        expectFrame(img, w.rect(), c.outerTL, c.outerBR, c.innerTL, c.innerBR,
                    ("border type " + std::to_string(c.type)).c_str());
        EXPECT_EQ(at(img, 5, 90), back) << c.type;
    }
}

TEST_F(Fixture, StockBorderStyleFramesOutsideTheClientArea)
{
    w.setBorderStyle(1);
    const QImage img = grab();
    expectFrame(img, w.rect(), Black, Black, White, DarkGrey, "fixed single");
    // The layout works on the area inside the single frame.
    // 198 x 178 from (1, 1): u 19, v 9, f 35, h 33.
    const QRect c = w.currentLayout().keys[0];
    EXPECT_EQ(c, QRect(21, 36, 43, 21));
    expectFrame(img, c, White, DarkGrey, LightGrey, Black, "key C inside fixed single");
    const QRect d = w.currentLayout().display;
    EXPECT_EQ(d, QRect(20, 10, 160, 18));
    expectFrame(img, d, DarkGrey, White, Black, LightGrey, "display inside fixed single");
}

TEST_F(Fixture, DisplayFrameFaceAndText)
{
    w.setDisplayBackColor(QColor(250, 250, 200));
    w.setDisplayTextColor(QColor(200, 0, 0));
    w.setValue(-123.0f);
    const QImage img = grab();
    expectFrame(img, Display, DarkGrey, White, Black, LightGrey, "display");
    EXPECT_EQ(at(img, Display.left() + 4, Display.top() + 4), QColor(250, 250, 200));

    // Text pixels: right-aligned against a 5-pixel margin, none in the left half.
    int maxX = -1;
    for (int y = Display.top() + 2; y <= Display.bottom() - 2; ++y)
        for (int x = Display.left() + 2; x <= Display.right() - 2; ++x)
            if (countNear(img, QRect(x, y, 1, 1), QColor(200, 0, 0), 60))
                maxX = std::max(maxX, x);
    ASSERT_GE(maxX, 0) << "no display text drawn";
    EXPECT_LE(maxX, Display.right() - 5);
    EXPECT_GE(maxX, Display.right() - 5 - 6);
    EXPECT_EQ(countNear(img, QRect(Display.left() + 2, Display.top() + 2, 60, 16), QColor(200, 0, 0), 60), 0);
}

TEST_F(Fixture, KeyFacesFramesAndPressedState)
{
    w.setButtonColor(QColor(230, 220, 120));
    QImage img = grab();
    expectFrame(img, KeyC, White, DarkGrey, LightGrey, Black, "key C");
    expectFrame(img, Key7, White, DarkGrey, LightGrey, Black, "key 7");
    EXPECT_EQ(at(img, KeyC.left() + 3, KeyC.top() + 3), QColor(230, 220, 120));

    press(w, Key7.center());
    img = grab();
    expectFrame(img, Key7, DarkGrey, White, Black, LightGrey, "pressed key 7");
    expectFrame(img, KeyC, White, DarkGrey, LightGrey, Black, "key C beside a pressed key");
    release(w, QPoint(0, 0));
    img = grab();
    expectFrame(img, Key7, White, DarkGrey, LightGrey, Black, "released key 7");
}

TEST_F(Fixture, PressedCaptionMovesOneDownAndRight)
{
    auto captionBox = [](const QImage &img, const QRect &r) {
        QRect box;
        for (int y = r.top() + 2; y <= r.bottom() - 2; ++y)
            for (int x = r.left() + 2; x <= r.right() - 2; ++x)
                if (countNear(img, QRect(x, y, 1, 1), QColor(0, 0, 255), 60))
                    box |= QRect(x, y, 1, 1);
        return box;
    };
    const QRect up = captionBox(grab(), Key7);
    press(w, Key7.center());
    const QRect down = captionBox(grab(), Key7);
    ASSERT_FALSE(up.isEmpty());
    EXPECT_EQ(down, up.translated(1, 1));
}

TEST_F(Fixture, CaptionColoursByGroup)
{
    const QColor number(0, 0, 255), function(0, 160, 0), operand(255, 0, 0), clear(200, 0, 200);
    w.setNumberColor(number);
    w.setFunctionColor(function);
    w.setOperandColor(operand);
    w.setClearColor(clear);
    w.setFunctionKeys(2);
    const QImage img = grab();
    const auto layout = w.currentLayout();
    const QColor all[] = {number, function, operand, clear};
    struct Case {
        int key;
        QColor colour;
    } cases[] = {{5, number}, {21, number}, {22, number}, {9, function}, {14, function}, {19, function},
                 {8, operand}, {13, operand}, {24, operand}, {0, clear}, {1, clear}, {3, clear}, {4, clear}};
    for (const Case &c : cases) {
        const QRect inner = layout.keys[static_cast<std::size_t>(c.key)].adjusted(2, 2, -2, -2);
        EXPECT_GT(countNear(img, inner, c.colour), 0) << "key " << c.key;
        for (const QColor &other : all) {
            if (other != c.colour) {
                EXPECT_EQ(countNear(img, inner, other), 0) << "key " << c.key << " has " << other.name().toStdString();
            }
        }
    }
}

TEST_F(Fixture, FunctionKeysAppearByCount)
{
    const QColor back(10, 200, 30);
    struct Case {
        short keys;
        bool f1, f2;
        int f1Width;
    } cases[] = {{0, false, false, 0}, {1, true, false, 46 - 3}, {2, true, true, 27}};
    for (const Case &c : cases) {
        w.setFunctionKeys(c.keys);
        const QImage img = grab();
        const QRect f1 = w.currentLayout().keys[3];
        EXPECT_EQ(!f1.isNull(), c.f1) << c.keys;
        if (c.f1) {
            EXPECT_EQ(f1.left(), KeyF1.left());
            EXPECT_EQ(f1.width(), c.f1Width);
            expectFrame(img, f1, White, DarkGrey, LightGrey, Black, "function key 1");
        } else {
            EXPECT_EQ(at(img, KeyF1.center().x(), KeyF1.center().y()), back) << c.keys;
        }
        EXPECT_EQ(at(img, 165, 46) != back, c.f2) << c.keys;
    }
}

TEST_F(Fixture, FocusRectangleOnlyWithDrawFocusAndFocus)
{
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    w.setFocus();
    ASSERT_TRUE(w.hasFocus());
    const QRect ring(Display.left() + 2, Display.top() + 2, 80, 1);  // top edge, left of the text
    EXPECT_EQ(countNear(grab(), ring, Black, 10), 0);
    w.setDrawFocus(true);
    EXPECT_GT(countNear(grab(), ring, Black, 10), 10);
    EXPECT_EQ(countNear(grab(), ring.translated(0, 1), Black, 10), 0);
    w.clearFocus();
    EXPECT_EQ(countNear(grab(), ring, Black, 10), 0);
    w.hide();
}

TEST_F(Fixture, Screenshot)
{
    // Kept for looking at the control by eye; written only when asked for.
    const QByteArray path = qgetenv("TALLY_SCREENSHOT");
    if (path.isEmpty())
        GTEST_SKIP() << "TALLY_SCREENSHOT not set";
    w.resize(260, 240);
    w.setBackColor(QColor(212, 208, 200));
    w.setStockFont(QFont(QStringLiteral("DejaVu Sans"), 9));
    w.setDisplayFont(QFont(QStringLiteral("DejaVu Sans"), 12));
    w.setFunctionKeys(2);
    w.setFncKeyText1(QStringLiteral("Copy"));
    w.setFncKeyText2(QStringLiteral("Off"));
    w.setValue(-1234.5f);
    press(w, keyCentre(w, 11));
    ASSERT_TRUE(w.grab().save(QString::fromLocal8Bit(path)));
}

} // namespace

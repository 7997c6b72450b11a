// Paints the control under the offscreen platform and reads pixels back, so a wrong
// border colour, a missing background or a wrong tile fails here.
#include "CcvStretchCtrl.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace gw::stretch;

namespace {

QImage paintedImage(CcvStretchCtrl& c)
{
    return c.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QColor at(const QImage& img, int x, int y)
{
    return QColor(img.pixel(x, y));
}

TEST(StretchRenderTest, BorderColoursAtKnownPixels)
{
    const QColor white(255, 255, 255), dark(128, 128, 128), light(192, 192, 192),
        black(0, 0, 0), back(10, 120, 30), regular(200, 0, 100);
    constexpr int w = 40, h = 30;
    struct Probe {
        int x, y;
        QColor colour;
    };
    struct Case {
        short type;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {BorderRegular,
         {{20, 0, regular}, {0, 15, regular}, {20, h - 1, regular}, {w - 1, 15, regular},
          {20, 1, back}, {1, 15, back}, {w - 2, 15, back}, {20, h - 2, back}}},
        {BorderRaised,
         {{20, 0, white}, {0, 15, white}, {20, h - 1, dark}, {w - 1, 15, dark},
          {20, 1, light}, {1, 15, light}, {20, h - 2, black}, {w - 2, 15, black},
          {w - 1, 0, dark}, {0, h - 1, dark}, {20, 2, back}, {2, 15, back}}},
        {BorderLowered,
         {{20, 0, dark}, {0, 15, dark}, {20, h - 1, white}, {w - 1, 15, white},
          {20, 1, black}, {1, 15, black}, {20, h - 2, light}, {w - 2, 15, light},
          {w - 1, 0, white}, {0, h - 1, white}, {20, 2, back}, {w - 3, 15, back}}},
        {BorderNone, {{20, 0, back}, {0, 15, back}, {20, h - 1, back}, {w - 1, 15, back}}},
    };
    for (const Case& c : cases) {
        CcvStretchCtrl ctrl;
        ctrl.resize(w, h);
        ctrl.setBackColor(back);
        ctrl.setBorderColor(regular);
        ctrl.setBorderType(c.type);
        const QImage img = paintedImage(ctrl);
        ASSERT_EQ(img.size(), QSize(w, h));
        for (const Probe& p : c.probes)
            EXPECT_EQ(at(img, p.x, p.y), p.colour)
                << "border " << c.type << " at " << p.x << "," << p.y;
        EXPECT_EQ(at(img, w / 2, h / 2), back) << "border " << c.type;
    }
}

TEST(StretchRenderTest, PictureIsTiledFromTheTopLeftCorner)
{
    // A 3 × 2 tile with a distinct top-left pixel, over a 10 × 5 control.
    QImage tile(3, 2, QImage::Format_RGB32);
    tile.fill(QColor(0, 0, 255));
    tile.setPixelColor(0, 0, QColor(255, 255, 0));
    CcvStretchCtrl ctrl;
    ctrl.resize(10, 5);
    ctrl.setBorderType(BorderNone);
    ctrl.setBackColor(QColor(255, 0, 0)); // must not show under the picture
    ctrl.setBackImage(QPixmap::fromImage(tile));
    const QImage img = paintedImage(ctrl);
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 10; ++x) {
            const QColor want = (x % 3 == 0 && y % 2 == 0) ? QColor(255, 255, 0)
                                                           : QColor(0, 0, 255);
            ASSERT_EQ(at(img, x, y), want) << x << "," << y;
        }
    }
}

TEST(StretchRenderTest, IconTilesAt32)
{
    QPixmap pm(32, 32);
    pm.fill(QColor(0, 200, 0));
    CcvStretchCtrl ctrl;
    ctrl.setBackIcon(QIcon(pm));
    EXPECT_EQ(ctrl.BackImage().size(), QSize(32, 32));
}

TEST(StretchRenderTest, DefaultBackgroundIsTheContainers)
{
    QWidget parent;
    QPalette pal = parent.palette();
    pal.setColor(QPalette::Window, QColor(7, 77, 177));
    parent.setPalette(pal);
    auto* ctrl = new CcvStretchCtrl(&parent);
    ctrl->resize(20, 20);
    ctrl->setBorderType(BorderNone);
    EXPECT_EQ(at(paintedImage(*ctrl), 10, 10), QColor(7, 77, 177));
}

} // namespace

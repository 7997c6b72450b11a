#include "TallyPaint.h"

#include <QPainter>
#include <QPen>

namespace tally {

namespace {

const QColor kWhite(255, 255, 255);
const QColor kDarkGrey(128, 128, 128);
const QColor kLightGrey(192, 192, 192);
const QColor kBlack(0, 0, 0);

// One ring of a frame: top and left edges in one colour, then bottom and right
// in the other, so the far corners take the second colour.
void drawRing(QPainter &p, const QRect &r, const QColor &topLeft, const QColor &bottomRight)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    p.fillRect(QRect(r.left(), r.top(), r.width(), 1), topLeft);
    p.fillRect(QRect(r.left(), r.top(), 1, r.height()), topLeft);
    p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), bottomRight);
    p.fillRect(QRect(r.right(), r.top(), 1, r.height()), bottomRight);
}

} // namespace

void drawFrame(QPainter &p, const QRect &r, FrameKind kind, const QColor &regularColor)
{
    const QRect inner = r.adjusted(1, 1, -1, -1);
    switch (kind) {
    case FrameKind::Regular:
        drawRing(p, r, regularColor, regularColor);
        break;
    case FrameKind::Raised:
        drawRing(p, r, kWhite, kDarkGrey);
        drawRing(p, inner, kLightGrey, kBlack);
        break;
    case FrameKind::Lowered:
        drawRing(p, r, kDarkGrey, kWhite);
        drawRing(p, inner, kBlack, kLightGrey);
        break;
    case FrameKind::None:
        break;
    }
}

void drawDisplay(QPainter &p, const QRect &r, const QString &text, const DisplayLook &look)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    p.save();
    p.fillRect(r, look.back);
    drawFrame(p, r, FrameKind::Lowered);
    p.setClipRect(r.adjusted(2, 2, -2, -2));
    p.setFont(look.font);
    p.setPen(look.text);
    p.drawText(r.adjusted(0, 0, -5, 0), Qt::AlignRight | Qt::AlignVCenter | Qt::TextSingleLine, text);
    if (look.focusRect) {
        p.setClipping(false);
        QPen pen(look.text, 1, Qt::DotLine);
        pen.setCosmetic(true);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        // A one-pixel outline covers width + 1 pixels; shrink so it lies on
        // the ring two pixels inside the display.
        p.drawRect(r.adjusted(2, 2, -3, -3));
    }
    p.restore();
}

void drawKey(QPainter &p, const QRect &r, const QString &caption, bool pressed, const KeyLook &look)
{
    if (r.width() <= 0 || r.height() <= 0)
        return;
    p.save();
    p.fillRect(r, look.face);
    drawFrame(p, r, pressed ? FrameKind::Lowered : FrameKind::Raised);
    p.setClipRect(r.adjusted(2, 2, -2, -2));
    p.setFont(look.font);
    p.setPen(look.caption);
    const QRect textRect = pressed ? r.translated(1, 1) : r;
    p.drawText(textRect, Qt::AlignCenter | Qt::TextSingleLine, caption);
    p.restore();
}

} // namespace tally

#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QPainter;

namespace tally {

enum class FrameKind { Regular = 0, None = 1, Raised = 2, Lowered = 3 };

// Frame drawn on the outermost pixels of r (two pixels deep for the 3D kinds).
void drawFrame(QPainter &p, const QRect &r, FrameKind kind, const QColor &regularColor = Qt::black);

struct DisplayLook {
    QColor back;
    QColor text;
    QFont font;
    bool focusRect = false;
};

void drawDisplay(QPainter &p, const QRect &r, const QString &text, const DisplayLook &look);

struct KeyLook {
    QColor face;
    QColor caption;
    QFont font;
};

void drawKey(QPainter &p, const QRect &r, const QString &caption, bool pressed, const KeyLook &look);

} // namespace tally

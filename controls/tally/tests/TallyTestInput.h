#pragma once
// Synthetic input for the calculator widget, sent straight to it so the tests
// need neither a window manager nor keyboard focus.

#include "CcvTallyCtrl.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace tallytest {

inline QPoint keyCentre(const CcvTallyCtrl &w, int key)
{
    return w.currentLayout().keys[static_cast<std::size_t>(key)].center();
}

inline void mouse(CcvTallyCtrl &w, QEvent::Type type, QPoint pos, Qt::MouseButton button = Qt::LeftButton,
                  Qt::MouseButtons held = Qt::LeftButton)
{
    QMouseEvent e(type, QPointF(pos), w.mapToGlobal(QPointF(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(&w, &e);
}

inline void press(CcvTallyCtrl &w, QPoint p)
{
    mouse(w, QEvent::MouseButtonPress, p);
}
inline void move(CcvTallyCtrl &w, QPoint p)
{
    mouse(w, QEvent::MouseMove, p, Qt::NoButton);
}
inline void release(CcvTallyCtrl &w, QPoint p)
{
    mouse(w, QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
}
inline void click(CcvTallyCtrl &w, int key)
{
    press(w, keyCentre(w, key));
    release(w, keyCentre(w, key));
}

inline void keyDown(CcvTallyCtrl &w, int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier, const QString &text = {},
                    bool autoRepeat = false, quint32 scanCode = 0)
{
    QKeyEvent e(QEvent::KeyPress, qtKey, mods, scanCode, 0, 0, text, autoRepeat);
    QApplication::sendEvent(&w, &e);
}
inline void keyUp(CcvTallyCtrl &w, int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier, bool autoRepeat = false,
                  quint32 scanCode = 0)
{
    QKeyEvent e(QEvent::KeyRelease, qtKey, mods, scanCode, 0, 0, QString(), autoRepeat);
    QApplication::sendEvent(&w, &e);
}
inline void type(CcvTallyCtrl &w, int qtKey, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    keyDown(w, qtKey, mods);
    keyUp(w, qtKey, mods);
}

} // namespace tallytest

// Mouse and keyboard handling of the calculator control.
#include "CcvTallyCtrl.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>

using tally::kNoKey;

namespace {

int shiftMask(Qt::KeyboardModifiers m)
{
    int mask = 0;
    if (m & Qt::ShiftModifier)
        mask |= 1;
    if (m & Qt::ControlModifier)
        mask |= 2;
    if (m & Qt::AltModifier)
        mask |= 4;
    return mask;
}

int buttonMask(Qt::MouseButtons b)
{
    int mask = 0;
    if (b & Qt::LeftButton)
        mask |= 1;
    if (b & Qt::RightButton)
        mask |= 2;
    if (b & Qt::MiddleButton)
        mask |= 4;
    return mask;
}

QPoint eventPos(const QMouseEvent *e)
{
    return e->position().toPoint();
}

} // namespace

void CcvTallyCtrl::setPressed(int index)
{
    if (index == m_pressedKey)
        return;
    const tally::TallyLayout layout = currentLayout();
    QRegion dirty(layout.display);
    if (m_pressedKey != kNoKey)
        dirty += layout.keys[static_cast<std::size_t>(m_pressedKey)];
    if (index != kNoKey)
        dirty += layout.keys[static_cast<std::size_t>(index)];
    m_pressedKey = index;
    update(dirty);
}

void CcvTallyCtrl::releaseKey()
{
    setPressed(kNoKey);
    m_mouseKey = kNoKey;
    m_keyboardKey = kNoKey;
    m_heldQtKey = 0;
    m_heldScanCode = 0;
}

void CcvTallyCtrl::runKey(int index)
{
    const tally::KeyOutcome outcome = tally::pressKey(m_engine, index, m_functionKeys);
    update();
    if (outcome == tally::KeyOutcome::Function1)
        emit Function1();
    else if (outcome == tally::KeyOutcome::Function2)
        emit Function2();
}

void CcvTallyCtrl::pressWithMouse(QMouseEvent *event)
{
    emit MouseDown(buttonMask(event->button()), shiftMask(event->modifiers()), eventPos(event).x(), eventPos(event).y());
    if (event->button() != Qt::LeftButton || m_keyboardKey != kNoKey)
        return;
    const int k = tally::keyAt(currentLayout(), eventPos(event));
    if (k == kNoKey)
        return;
    m_mouseKey = k;
    setPressed(k);
}

void CcvTallyCtrl::mousePressEvent(QMouseEvent *event)
{
    pressWithMouse(event);
}

void CcvTallyCtrl::mouseDoubleClickEvent(QMouseEvent *event)
{
    emit DblClick();
    pressWithMouse(event);
}

void CcvTallyCtrl::mouseMoveEvent(QMouseEvent *event)
{
    emit MouseMove(buttonMask(event->buttons()), shiftMask(event->modifiers()), eventPos(event).x(), eventPos(event).y());
    if (m_mouseKey == kNoKey)
        return;
    const bool over = tally::keyAt(currentLayout(), eventPos(event)) == m_mouseKey;
    setPressed(over ? m_mouseKey : kNoKey);
}

void CcvTallyCtrl::mouseReleaseEvent(QMouseEvent *event)
{
    emit MouseUp(buttonMask(event->button()), shiftMask(event->modifiers()), eventPos(event).x(), eventPos(event).y());
    if (event->button() == Qt::LeftButton && m_mouseKey != kNoKey) {
        const int held = m_mouseKey;
        const bool over = tally::keyAt(currentLayout(), eventPos(event)) == held;
        releaseKey();
        if (over) {
            // A host may destroy the control from a function key's event.
            QPointer<CcvTallyCtrl> alive(this);
            runKey(held);
            if (!alive)
                return;
        }
    }
    if (rect().contains(eventPos(event)))
        emit Click();
}

void CcvTallyCtrl::keyPressEvent(QKeyEvent *event)
{
    emit KeyDown(event->key(), shiftMask(event->modifiers()));
    const QString text = event->text();
    if (!text.isEmpty() && text.at(0).unicode() < 256)
        emit KeyPress(text.at(0).unicode());
    const int k = tally::keyForKeyboard(event->key(), event->modifiers());
    if (k == kNoKey) {
        // Escape, shortcuts and the like belong to the host window.
        event->ignore();
        return;
    }
    if (event->isAutoRepeat() || m_mouseKey != kNoKey)
        return;
    m_keyboardKey = k;
    m_heldQtKey = event->key();
    m_heldScanCode = event->nativeScanCode();
    setPressed(k);
}

void CcvTallyCtrl::keyReleaseEvent(QKeyEvent *event)
{
    emit KeyUp(event->key(), shiftMask(event->modifiers()));
    if (event->isAutoRepeat() || m_keyboardKey == kNoKey)
        return;
    // Shift may be let go first, so the release can carry another code than
    // the press; the physical key decides when it is known.
    const bool sameKey = (m_heldScanCode != 0 && event->nativeScanCode() == m_heldScanCode)
                         || event->key() == m_heldQtKey;
    if (!sameKey)
        return;
    const int held = m_keyboardKey;
    const bool enter = m_heldQtKey == Qt::Key_Return || m_heldQtKey == Qt::Key_Enter;
    releaseKey();
    if (enter) {
        // Shown on the "=" key, but pending as the Enter key's own operator.
        m_engine.op(tally::Op::Enter);
        update();
        return;
    }
    runKey(held);
}

void CcvTallyCtrl::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update(currentLayout().display);
}

void CcvTallyCtrl::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    // The key-up goes elsewhere now; do not leave the key drawn pressed.
    if (m_keyboardKey != kNoKey)
        releaseKey();
    update(currentLayout().display);
}

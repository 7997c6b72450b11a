// Run-time behaviour: painting, alignment, layout, parent following and input.
#include "CcvStretchCtrl.h"

#include <QApplication>
#include <QDynamicPropertyChangeEvent>
#include <QHash>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

using namespace gw::stretch;

namespace {

short shortOf(int v)
{
    return short(std::clamp(v, -32768, 32767));
}

short buttonBits(Qt::MouseButtons b)
{
    return short(((b & Qt::LeftButton) ? 1 : 0) | ((b & Qt::RightButton) ? 2 : 0)
                 | ((b & Qt::MiddleButton) ? 4 : 0));
}

short shiftBits(Qt::KeyboardModifiers m)
{
    return short(((m & Qt::ShiftModifier) ? 1 : 0) | ((m & Qt::ControlModifier) ? 2 : 0)
                 | ((m & Qt::AltModifier) ? 4 : 0));
}

} // namespace

void CcvStretchCtrl::ReSize()
{
    m_layoutPending = true;
    update();
    // Lay out now, as a synchronous repaint would; a control never shown waits for its
    // first paint, which captures the sizes the layout scales against.
    if (m_userMode && (!m_firstPaint || isVisible()))
        configureForPaint();
}

void CcvStretchCtrl::configureForPaint()
{
    if (!m_userMode)
        return;
    if (m_firstPaint) {
        m_firstPaint = false;
        m_initialRect = QRect(mapToGlobal(QPoint(0, 0)), size());
        if (m_autoConfig == ConfigChild || m_autoConfig == ConfigBoth)
            CollectChildren();
        if (m_autoConfig == ConfigParent || m_autoConfig == ConfigBoth)
            GetParent();
    }
    applyControlAlign();
    if (m_layoutPending) {
        m_layoutPending = false;
        layoutChildren();
    }
}

void CcvStretchCtrl::applyControlAlign()
{
    if (!m_userMode || m_firstPaint || m_controlAlign == CtrlAlignNone)
        return;
    QWidget* p = parentWidget();
    if (p == nullptr)
        return;
    const QRect target = controlAlignTarget(m_controlAlign, p->size(), m_sizeWidth, m_sizeHeight);
    if (geometry() != target)
        setGeometry(target);
}

void CcvStretchCtrl::layoutChildren()
{
    // A copy: handlers of MoveObject may add entries while we go.
    const std::vector<ChildEntry> entries = m_children.entries();
    std::vector<bool> nested(entries.size(), false);
    std::vector<QPointer<QWidget>> widgets(entries.size());
    // One pass over the live widgets instead of one per entry.
    QHash<qintptr, QWidget*> live;
    for (QWidget* w : QApplication::allWidgets())
        live.insert(handleOf(w), w);
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].kind != KindWindow)
            continue;
        widgets[i] = live.value(entries[i].handle);
        nested[i] = qobject_cast<CcvStretchCtrl*>(widgets[i].data()) != nullptr;
    }

    LayoutInput in;
    in.childAlign = m_childAlign;
    in.width = width();
    in.height = height();
    in.initialWidth = m_initialRect.width();
    in.initialHeight = m_initialRect.height();
    in.initialLeft = m_initialRect.left();
    in.initialTop = m_initialRect.top();
    in.clientWidth = width();
    in.clientHeight = height();
    in.border = borderWidth(m_borderType);
    in.spaceLeft = m_spaceLeft;
    in.spaceRight = m_spaceRight;
    in.spaceTop = m_spaceTop;
    in.spaceBottom = m_spaceBottom;
    in.childSpacing = m_childSpacing;
    in.offsetX = m_offsetX;
    in.offsetY = m_offsetY;
    const std::vector<Placement> placements = computeLayout(in, entries, nested);

    for (size_t i = 0; i < entries.size(); ++i) {
        const ChildEntry& e = entries[i];
        const Placement& p = placements[i];
        if (!p.placed) {
            if (auto* inner = qobject_cast<CcvStretchCtrl*>(widgets[i].data())) {
                inner->update();
                inner->applyControlAlign();
            }
            continue;
        }
        if (QWidget* w = widgets[i].data()) {
            moveChild(w, QRect(p.left, p.top, std::max(0, p.width), std::max(0, p.height)));
            if (m_adjustFont && m_childAlign == AlignProportional1 && p.fontHeight > 0) {
                QFont f = w->font();
                f.setPixelSize(p.fontHeight);
                w->setFont(f);
                w->update();
            }
        }
        emit MoveObject(e.handle, shortOf(p.left), shortOf(p.top), shortOf(p.width),
                        shortOf(p.height), shortOf(p.fontHeight), e.kind == KindItem);
    }
}

// Computed rectangles are in the control's coordinates; a window added from elsewhere
// is placed at the same spot of the screen.
void CcvStretchCtrl::moveChild(QWidget* child, const QRect& rectInControl)
{
    QRect r = rectInControl;
    if (child->parentWidget() != this) {
        const QPoint global = mapToGlobal(rectInControl.topLeft());
        r.moveTopLeft(child->isWindow() || child->parentWidget() == nullptr
                          ? global
                          : child->parentWidget()->mapFromGlobal(global));
    }
    if (child->geometry() != r)
        child->setGeometry(r);
    child->update();
}

void CcvStretchCtrl::GetParent()
{
    KillSubClass();
    if (QWidget* p = parentWidget())
        subclass(p);
}

void CcvStretchCtrl::subclass(QWidget* window)
{
    KillSubClass();
    m_subclassed = window;
    window->installEventFilter(this);
}

void CcvStretchCtrl::KillSubClass()
{
    if (m_subclassed)
        m_subclassed->removeEventFilter(this);
    m_subclassed = nullptr;
}

bool CcvStretchCtrl::eventFilter(QObject* watched, QEvent* event)
{
    // By the time the resize event arrives the window already has its new size.
    if (watched == m_subclassed && event->type() == QEvent::Resize)
        applyControlAlign();
    return QWidget::eventFilter(watched, event);
}

void CcvStretchCtrl::splitterMessage(int message, int value)
{
    if (message >= 150 && message <= 153) {
        m_split[message - 150] = value;
    } else if (message == 154) {
        setGeometry(splitterRect(m_split[0], m_split[1], m_split[2], m_split[3], m_splitLeft,
                                 m_splitTop, m_splitRight, m_splitBottom));
    }
}

bool CcvStretchCtrl::event(QEvent* event)
{
    if (event->type() == QEvent::DynamicPropertyChange && !m_inResetSizes) {
        auto* change = static_cast<QDynamicPropertyChangeEvent*>(event);
        if (change->propertyName() == "ResetSizes") {
            const QVariant value = property("ResetSizes");
            if (!value.isValid())
                return true;
            m_inResetSizes = true;
            setProperty("ResetSizes", QVariant()); // stays unreadable
            m_inResetSizes = false;
            setResetSizes(value.toBool());
            return true;
        }
    }
    return QWidget::event(event);
}

void CcvStretchCtrl::resizeEvent(QResizeEvent* event)
{
    m_layoutPending = true;
    update();
    QWidget::resizeEvent(event);
}

void CcvStretchCtrl::moveEvent(QMoveEvent* event)
{
    m_layoutPending = true;
    update();
    QWidget::moveEvent(event);
}

void CcvStretchCtrl::paintEvent(QPaintEvent*)
{
    configureForPaint();

    QPainter painter(this);
    const QRect area = rect();
    if (!m_backImage.isNull()) {
        for (const QPoint& origin : tileOrigins(area, m_backImage.size()))
            painter.drawPixmap(origin, m_backImage);
    } else {
        QColor back = m_backColor;
        if (!back.isValid())
            back = (parentWidget() != nullptr ? parentWidget() : this)
                       ->palette()
                       .color(QPalette::Window);
        painter.fillRect(area, back);
    }
    for (const BorderLine& l : borderLines(m_borderType, area, m_borderColor)) {
        painter.setPen(QPen(l.colour, 0));
        painter.drawLine(l.line);
    }
}

void CcvStretchCtrl::mousePressEvent(QMouseEvent* event)
{
    m_pressed = true;
    const QPoint pos = event->position().toPoint();
    emit MouseDown(buttonBits(event->button()), shiftBits(event->modifiers()), pos.x(), pos.y());
}

void CcvStretchCtrl::mouseReleaseEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    emit MouseUp(buttonBits(event->button()), shiftBits(event->modifiers()), pos.x(), pos.y());
    if (m_pressed && rect().contains(pos))
        emit Click();
    m_pressed = false;
}

void CcvStretchCtrl::mouseMoveEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    emit MouseMove(buttonBits(event->buttons()), shiftBits(event->modifiers()), pos.x(), pos.y());
}

void CcvStretchCtrl::mouseDoubleClickEvent(QMouseEvent* event)
{
    m_pressed = false;
    emit DblClick();
    QWidget::mouseDoubleClickEvent(event);
}

// Properties, saved state and the methods that fill the child list.
#include "CcvStretchCtrl.h"

#include "AboutBox.h"
#include "PropertyBag.h"
#include "StretchPropertyDialog.h"

#include <QApplication>
#include <QDialog>
#include <QFontInfo>
#include <QIcon>

using namespace gw::stretch;

namespace {
const QSize kDefaultExtent(100, 50);
}

CcvStretchCtrl::CcvStretchCtrl(QWidget* parent) : QWidget(parent)
{
    resize(kDefaultExtent);
}

CcvStretchCtrl::~CcvStretchCtrl()
{
    KillSubClass();
}

QWidget* CcvStretchCtrl::widgetOf(qintptr handle)
{
    if (handle == 0)
        return nullptr;
    const QWidgetList all = QApplication::allWidgets();
    for (QWidget* w : all)
        if (handleOf(w) == handle)
            return w;
    return nullptr;
}

void CcvStretchCtrl::changed(bool layoutPending)
{
    m_modified = true;
    if (layoutPending)
        m_layoutPending = true;
    update();
}

void CcvStretchCtrl::setLayoutValue(short& member, short v)
{
    member = v;
    changed(true);
}

void CcvStretchCtrl::setBorderType(short v)
{
    if (isValidBorderType(v))
        setLayoutValue(m_borderType, v);
}

void CcvStretchCtrl::setBorderColor(const QColor& v)
{
    m_borderColor = v;
    changed(false);
}

void CcvStretchCtrl::setChildAlign(short v)
{
    if (isValidChildAlign(v))
        setLayoutValue(m_childAlign, v);
}

void CcvStretchCtrl::setSpaceLeft(short v) { setLayoutValue(m_spaceLeft, v); }
void CcvStretchCtrl::setSpaceRight(short v) { setLayoutValue(m_spaceRight, v); }
void CcvStretchCtrl::setSpaceTop(short v) { setLayoutValue(m_spaceTop, v); }
void CcvStretchCtrl::setSpaceBottom(short v) { setLayoutValue(m_spaceBottom, v); }
void CcvStretchCtrl::setChildSpacing(short v) { setLayoutValue(m_childSpacing, v); }

void CcvStretchCtrl::setControlAlign(short v)
{
    if (!isValidControlAlign(v))
        return;
    m_controlAlign = v;
    applyControlAlign();
    changed(false);
}

void CcvStretchCtrl::setSizeHeight(short v)
{
    m_sizeHeight = clampAlignSize(v);
    changed(false);
}

void CcvStretchCtrl::setSizeWidth(short v)
{
    m_sizeWidth = clampAlignSize(v);
    changed(false);
}

void CcvStretchCtrl::setAdjustFont(bool v)
{
    m_adjustFont = v;
    changed(false);
}

void CcvStretchCtrl::setFormHandle(qintptr v)
{
    m_formHandle = v;
    KillSubClass();
    if (QWidget* w = widgetOf(v))
        subclass(w);
}

void CcvStretchCtrl::setAutoConfig(short v)
{
    if (!isValidAutoConfig(v))
        return;
    m_autoConfig = v;
    m_modified = true;
}

void CcvStretchCtrl::setResetSizes(bool v)
{
    m_modified = true;
    if (v)
        ReSize();
}

void CcvStretchCtrl::setSplitBottom(short v) { m_splitBottom = v; m_modified = true; }
void CcvStretchCtrl::setSplitLeft(short v) { m_splitLeft = v; m_modified = true; }
void CcvStretchCtrl::setSplitRight(short v) { m_splitRight = v; m_modified = true; }
void CcvStretchCtrl::setSplitTop(short v) { m_splitTop = v; m_modified = true; }

void CcvStretchCtrl::setBackImage(const QPixmap& v)
{
    m_backImage = v;
    changed(false);
}

void CcvStretchCtrl::setBackIcon(const QIcon& icon)
{
    setBackImage(icon.pixmap(QSize(32, 32)));
}

void CcvStretchCtrl::setCheckOffset(bool v)
{
    m_checkOffset = v;
    m_modified = true;
}

void CcvStretchCtrl::setBackColor(const QColor& v)
{
    m_backColor = v;
    changed(false);
}

void CcvStretchCtrl::setUserMode(bool on)
{
    m_userMode = on;
    update();
}

// Saved state, in its fixed order. Loading checks ranges as the setters do, so a bag
// written by someone else cannot put the control into a state no setter allows.
void CcvStretchCtrl::exchangeProperties(gw::PropertyExchange& px)
{
    QSize extent = size();
    qint64 formHandle = m_formHandle;
    px.exchange(QStringLiteral("Extent"), extent, kDefaultExtent);
    px.exchange(QStringLiteral("BackColor"), m_backColor, QColor());
    px.exchange(QStringLiteral("BackImage"), m_backImage, QPixmap());
    px.exchange(QStringLiteral("BorderColor"), m_borderColor, QColor(0, 0, 0));
    px.exchange(QStringLiteral("BorderType"), m_borderType, short(BorderRegular));
    px.exchange(QStringLiteral("ChildAlign"), m_childAlign, short(AlignNone));
    px.exchange(QStringLiteral("ControlAlign"), m_controlAlign, short(CtrlAlignNone));
    px.exchange(QStringLiteral("AutoConfig"), m_autoConfig, short(ConfigNone));
    px.exchange(QStringLiteral("ChildSpacing"), m_childSpacing, short(10));
    px.exchange(QStringLiteral("SpaceLeft"), m_spaceLeft, short(10));
    px.exchange(QStringLiteral("SpaceRight"), m_spaceRight, short(10));
    px.exchange(QStringLiteral("SpaceTop"), m_spaceTop, short(10));
    px.exchange(QStringLiteral("SpaceBottom"), m_spaceBottom, short(10));
    px.exchange(QStringLiteral("SizeHeight"), m_sizeHeight, short(50));
    px.exchange(QStringLiteral("SizeWidth"), m_sizeWidth, short(50));
    px.exchange(QStringLiteral("SplitLeft"), m_splitLeft, short(0));
    px.exchange(QStringLiteral("SplitRight"), m_splitRight, short(0));
    px.exchange(QStringLiteral("SplitTop"), m_splitTop, short(0));
    px.exchange(QStringLiteral("SplitBottom"), m_splitBottom, short(0));
    px.exchange(QStringLiteral("FormHandle"), formHandle, qint64(0));
    px.exchange(QStringLiteral("AdjustFont"), m_adjustFont, false);
    px.exchange(QStringLiteral("CheckOffset"), m_checkOffset, true);
    if (!px.isLoading())
        return;
    if (!isValidBorderType(m_borderType))
        m_borderType = BorderRegular;
    if (!isValidChildAlign(m_childAlign))
        m_childAlign = AlignNone;
    if (!isValidControlAlign(m_controlAlign))
        m_controlAlign = CtrlAlignNone;
    if (!isValidAutoConfig(m_autoConfig))
        m_autoConfig = ConfigNone;
    m_sizeHeight = clampAlignSize(m_sizeHeight);
    m_sizeWidth = clampAlignSize(m_sizeWidth);
    // A window handle from another run names nothing; it is kept as a number only.
    m_formHandle = qintptr(formHandle);
    if (extent.isValid())
        resize(extent);
    clearRunTimeState();
    m_modified = false;
    update();
}

QByteArray CcvStretchCtrl::saveProperties() const
{
    gw::PropertyBag bag(kSavedMajor, kSavedMinor);
    gw::PropertyExchange px = gw::PropertyExchange::saving(bag);
    const_cast<CcvStretchCtrl*>(this)->exchangeProperties(px);
    return bag.toBytes();
}

bool CcvStretchCtrl::loadProperties(const QByteArray& bytes)
{
    gw::PropertyBag::LoadResult result = gw::PropertyBag::LoadResult::Ok;
    const gw::PropertyBag bag = gw::PropertyBag::fromBytes(bytes, kSavedMajor, kSavedMinor,
                                                           &result);
    gw::PropertyExchange px = gw::PropertyExchange::loading(bag);
    exchangeProperties(px);
    return result == gw::PropertyBag::LoadResult::Ok;
}

void CcvStretchCtrl::resetProperties()
{
    const gw::PropertyBag empty(kSavedMajor, kSavedMinor);
    gw::PropertyExchange px = gw::PropertyExchange::loading(empty);
    exchangeProperties(px);
}

void CcvStretchCtrl::clearRunTimeState()
{
    m_initialRect = QRect();
    m_offsetX = m_offsetY = 0;
    for (int& v : m_split)
        v = 0;
    KillSubClass();
    m_firstPaint = true;
    m_layoutPending = true;
}

void CcvStretchCtrl::raiseError(short number, const QString& description)
{
    emit Error(number, description);
}

bool CcvStretchCtrl::addEntry(const ChildEntry& entry, bool atFront)
{
    const short n = short(m_children.size());
    switch (m_children.add(entry, atFront)) {
    case 0:
        return true;
    case ErrorAlreadyListed:
        emit CtrlError(ErrorAlreadyListed, n);
        return false;
    case ErrorListFull:
        raiseError(ErrorListFull, QStringLiteral("The list of child controls is full."));
        return false;
    default:
        raiseError(ErrorOutOfMemory, QStringLiteral("Out of memory"));
        return false;
    }
}

short CcvStretchCtrl::AddControl(qintptr oleHandle)
{
    QWidget* w = widgetOf(oleHandle);
    if (w == nullptr) {
        emit CtrlError(ErrorNotAWindow, short(m_children.size()));
        return 0;
    }
    ChildEntry e;
    e.handle = oleHandle;
    const QPoint screen = w->mapToGlobal(QPoint(0, 0));
    const QPoint origin = mapToGlobal(QPoint(0, 0));
    e.left = screen.x();
    e.top = screen.y();
    e.width = w->width();
    e.height = w->height();
    e.originLeft = origin.x();
    e.originTop = origin.y();
    e.fontHeight = QFontInfo(w->font()).pixelSize();
    e.kind = KindWindow;
    if (!addEntry(e, m_collecting))
        return 0;
    update();
    return short(m_children.size());
}

short CcvStretchCtrl::AddItem(short nObjectID, short nLeft, short nTop, short nWidth,
                              short nHeight, short nFontSize)
{
    ChildEntry e;
    e.handle = nObjectID;
    if (m_checkOffset) {
        const QPoint origin = mapToGlobal(QPoint(0, 0));
        e.originLeft = origin.x();
        e.originTop = origin.y();
    }
    e.left = nLeft;
    e.top = nTop;
    e.width = nWidth;
    e.height = nHeight;
    e.fontHeight = nFontSize;
    e.kind = KindItem;
    if (!addEntry(e, false))
        return 0;
    m_layoutPending = true;
    update();
    return short(m_children.size());
}

short CcvStretchCtrl::CollectChildren()
{
    // children() runs from the bottom of the z-order to the top; offer top first, each
    // new entry going to the front.
    const QList<QWidget*> kids = findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    short offered = 0;
    m_collecting = true;
    for (auto it = kids.crbegin(); it != kids.crend(); ++it) {
        if (*it == this || (*it)->isWindow())
            continue;
        AddControl(handleOf(*it));
        ++offered;
    }
    m_collecting = false;
    update();
    return offered;
}

void CcvStretchCtrl::PositionOffset(short nxOffset, short nyOffset)
{
    m_offsetX = nxOffset;
    m_offsetY = nyOffset;
}

void CcvStretchCtrl::AboutBox()
{
    gw::showAboutBox({QStringLiteral("cvStretch"), QString::fromLatin1(kVersion),
                      QStringLiteral("Keeps the layout of its child controls when it is "
                                     "resized.")},
                     this);
}

QDialog* CcvStretchCtrl::createPropertyDialog(QWidget* parent)
{
    return new StretchPropertyDialog(this, parent);
}

void CcvStretchCtrl::showPropertyPages()
{
    QDialog* dlg = createPropertyDialog(this);
    dlg->exec();
    delete dlg;
}

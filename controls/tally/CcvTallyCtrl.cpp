#include "CcvTallyCtrl.h"

#include "AboutBox.h"
#include "PropertyBag.h"
#include "TallyPaint.h"
#include "TallyPropertyPage.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPainter>

using tally::kKeyCount;
using tally::kNoKey;

namespace {

const gw::AboutInfo kAbout{QStringLiteral("cvTally"), QStringLiteral("1.0"),
                           QStringLiteral("A pocket calculator for the seller's sums.")};

constexpr int kBagMajor = 1;
constexpr int kBagMinor = 0;

} // namespace

CcvTallyCtrl::CcvTallyCtrl(QWidget *parent)
    : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_displayFont = ambientFont();
    m_backColor = ambientBackColor();
}

CcvTallyCtrl::~CcvTallyCtrl() = default;

QFont CcvTallyCtrl::ambientFont() const
{
    return parentWidget() ? parentWidget()->font() : QApplication::font();
}

QColor CcvTallyCtrl::ambientBackColor() const
{
    const QPalette pal = parentWidget() ? parentWidget()->palette() : QApplication::palette();
    return pal.color(QPalette::Window);
}

void CcvTallyCtrl::changed()
{
    m_modified = true;
    update();
}

// Setters of plain values share one shape: store, mark modified, repaint.
#define TALLY_SETTER(NAME, TYPE, MEMBER) \
    void CcvTallyCtrl::NAME(TYPE v)      \
    {                                    \
        MEMBER = v;                      \
        changed();                       \
    }

TALLY_SETTER(setDisplayBackColor, const QColor &, m_displayBackColor)
TALLY_SETTER(setDisplayTextColor, const QColor &, m_displayTextColor)
TALLY_SETTER(setBorderColor, const QColor &, m_borderColor)
TALLY_SETTER(setButtonColor, const QColor &, m_buttonColor)
TALLY_SETTER(setNumberColor, const QColor &, m_numberColor)
TALLY_SETTER(setFunctionColor, const QColor &, m_functionColor)
TALLY_SETTER(setOperandColor, const QColor &, m_operandColor)
TALLY_SETTER(setClearColor, const QColor &, m_clearColor)
TALLY_SETTER(setCalcXSize, short, m_calcXSize)
TALLY_SETTER(setCalcYSize, short, m_calcYSize)
TALLY_SETTER(setDisplayFont, const QFont &, m_displayFont)
TALLY_SETTER(setDrawFocus, bool, m_drawFocus)
TALLY_SETTER(setFncKeyText1, const QString &, m_fncKeyText1)
TALLY_SETTER(setFncKeyText2, const QString &, m_fncKeyText2)
TALLY_SETTER(setBackColor, const QColor &, m_backColor)

#undef TALLY_SETTER

void CcvTallyCtrl::setBorderType(short v)
{
    if (v < CVTALLYLib::BorderRegular || v > CVTALLYLib::BorderLowered)
        return;
    m_borderType = v;
    changed();
}

void CcvTallyCtrl::setFunctionKeys(short v)
{
    if (v < CVTALLYLib::Function0 || v > CVTALLYLib::Function2)
        return;
    // A function key held down that disappears must not stay pressed.
    if (m_pressedKey == 4 || (m_pressedKey == 3 && v == 0))
        releaseKey();
    m_functionKeys = v;
    changed();
}

void CcvTallyCtrl::setBorderStyle(short v)
{
    if (v != 0 && v != 1)
        return;
    m_borderStyle = v;
    changed();
}

void CcvTallyCtrl::setStockFont(const QFont &f)
{
    setFont(f);
    changed();
}

float CcvTallyCtrl::Value() const
{
    return static_cast<float>(m_engine.displayValue());
}

void CcvTallyCtrl::setValue(float v)
{
    m_engine.show(static_cast<double>(v));
    changed();
}

QString CcvTallyCtrl::TextValue() const
{
    return QString::fromStdString(m_engine.text());
}

void CcvTallyCtrl::setTextValue(const QString &s)
{
    // The display holds a bounded number of bytes; cut on a character edge.
    QString t = s.left(static_cast<int>(tally::TallyEngine::kMaxText));
    while (static_cast<std::size_t>(t.toUtf8().size()) > tally::TallyEngine::kMaxText)
        t.chop(1);
    m_engine.setText(t.toStdString());
    changed();
}

void CcvTallyCtrl::Clear()
{
    releaseKey();
    m_engine.clear();
    update();
}

void CcvTallyCtrl::Equal()
{
    m_engine.op(tally::Op::Equal);
    update();
}

void CcvTallyCtrl::AboutBox()
{
    gw::showAboutBox(kAbout, this);
}

void CcvTallyCtrl::showPropertyPages()
{
    TallyPropertyDialog dialog(this, kAbout, this);
    dialog.exec();
}

// ---- saved properties ----

void CcvTallyCtrl::exchange(gw::PropertyExchange &px)
{
    const QFont ambient = ambientFont();
    QColor back = m_backColor;
    QFont stockFont = font();
    px.exchange(QStringLiteral("BackColor"), back, ambientBackColor());
    px.exchange(QStringLiteral("Font"), stockFont, ambient);
    px.exchange(QStringLiteral("BorderStyle"), m_borderStyle, short(0));
    px.exchange(QStringLiteral("DisplayFont"), m_displayFont, ambient);
    px.exchange(QStringLiteral("ButtonColor"), m_buttonColor, QColor(192, 192, 192));
    px.exchange(QStringLiteral("FunctionColor"), m_functionColor, QColor(0, 0, 128));
    px.exchange(QStringLiteral("NumberColor"), m_numberColor, QColor(0, 0, 255));
    px.exchange(QStringLiteral("OperandColor"), m_operandColor, QColor(255, 0, 0));
    px.exchange(QStringLiteral("ClearColor"), m_clearColor, QColor(128, 0, 0));
    px.exchange(QStringLiteral("BorderColor"), m_borderColor, QColor(0, 0, 0));
    px.exchange(QStringLiteral("DisplayBackColor"), m_displayBackColor, QColor(255, 255, 255));
    px.exchange(QStringLiteral("DisplayTextColor"), m_displayTextColor, QColor(0, 0, 0));
    px.exchange(QStringLiteral("CalcXSize"), m_calcXSize, short(0));
    px.exchange(QStringLiteral("CalcYSize"), m_calcYSize, short(0));
    px.exchange(QStringLiteral("BorderType"), m_borderType, short(CVTALLYLib::BorderRaised));
    px.exchange(QStringLiteral("FunctionKeys"), m_functionKeys, short(CVTALLYLib::Function0));
    px.exchange(QStringLiteral("DrawFocus"), m_drawFocus, false);
    px.exchange(QStringLiteral("FncKeyText1"), m_fncKeyText1, QStringLiteral("F1"));
    px.exchange(QStringLiteral("FncKeyText2"), m_fncKeyText2, QStringLiteral("F2"));
    if (px.isLoading()) {
        m_backColor = back;
        setFont(stockFont);
        // A damaged or foreign bag must not leave values the setters refuse.
        if (m_borderStyle != 0 && m_borderStyle != 1)
            m_borderStyle = 0;
        if (m_borderType < CVTALLYLib::BorderRegular || m_borderType > CVTALLYLib::BorderLowered)
            m_borderType = CVTALLYLib::BorderRaised;
        if (m_functionKeys < CVTALLYLib::Function0 || m_functionKeys > CVTALLYLib::Function2)
            m_functionKeys = CVTALLYLib::Function0;
    }
}

void CcvTallyCtrl::saveProperties(gw::PropertyBag &bag)
{
    gw::PropertyExchange px = gw::PropertyExchange::saving(bag);
    exchange(px);
    m_modified = false;
}

void CcvTallyCtrl::loadProperties(const gw::PropertyBag &bag)
{
    gw::PropertyExchange px = gw::PropertyExchange::loading(bag);
    exchange(px);
    releaseKey();
    m_mouseKey = kNoKey;
    m_engine.clear();
    m_modified = false;
    update();
}

void CcvTallyCtrl::resetProperties()
{
    loadProperties(gw::PropertyBag(kBagMajor, kBagMinor));
}

QByteArray CcvTallyCtrl::savedState()
{
    gw::PropertyBag bag(kBagMajor, kBagMinor);
    saveProperties(bag);
    return bag.toBytes();
}

void CcvTallyCtrl::loadSavedState(const QByteArray &bytes)
{
    loadProperties(gw::PropertyBag::fromBytes(bytes, kBagMajor, kBagMinor));
}

// ---- painting ----

QRect CcvTallyCtrl::clientArea() const
{
    return m_borderStyle == 1 ? rect().adjusted(1, 1, -1, -1) : rect();
}

tally::TallyLayout CcvTallyCtrl::currentLayout() const
{
    return tally::computeLayout(clientArea(), m_calcXSize, m_calcYSize, m_functionKeys);
}

QString CcvTallyCtrl::keyCaption(int index) const
{
    if (index == 3)
        return m_fncKeyText1.left(kMaxFunctionCaption);
    if (index == 4)
        return m_fncKeyText2.left(kMaxFunctionCaption);
    return QString::fromLatin1(tally::keyInfo(index).caption);
}

QColor CcvTallyCtrl::captionColor(int index) const
{
    switch (tally::keyInfo(index).group) {
    case tally::CaptionGroup::Number:
        return m_numberColor;
    case tally::CaptionGroup::Function:
        return m_functionColor;
    case tally::CaptionGroup::Operand:
        return m_operandColor;
    case tally::CaptionGroup::Clear:
        return m_clearColor;
    case tally::CaptionGroup::None:
        break;
    }
    return m_numberColor;
}

QSize CcvTallyCtrl::sizeHint() const
{
    return {220, 220};
}

void CcvTallyCtrl::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), m_backColor);
    if (m_borderStyle == 1)
        tally::drawFrame(p, rect(), tally::FrameKind::Regular, Qt::black);

    const tally::TallyLayout layout = currentLayout();
    tally::DisplayLook display{m_displayBackColor, m_displayTextColor, m_displayFont, m_drawFocus && hasFocus()};
    tally::drawDisplay(p, layout.display, QString::fromStdString(m_engine.shownText()), display);

    for (int k = 0; k < kKeyCount; ++k) {
        const QRect &r = layout.keys[static_cast<std::size_t>(k)];
        if (r.isNull())
            continue;
        tally::drawKey(p, r, keyCaption(k), k == m_pressedKey, {m_buttonColor, captionColor(k), font()});
    }
    tally::drawFrame(p, clientArea(), static_cast<tally::FrameKind>(m_borderType), m_borderColor);
}

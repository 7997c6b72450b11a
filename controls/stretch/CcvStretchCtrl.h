#pragma once
// The stretch container: keeps the layout of the widgets it holds when it is resized,
// aligns itself against its parent, follows the parent's resizing, and paints a
// background and a border. The arithmetic lives in StretchLayout; this class paints,
// forwards input and raises the events.
//
// Window handles are the widgets' addresses as numbers (handleOf); a handle counts as a
// window only while a live widget has it.

#include "StretchLayout.h"

#include <QByteArray>
#include <QColor>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

class QDialog;

namespace gw {
class PropertyExchange;
}

class CcvStretchCtrl : public QWidget {
    Q_OBJECT
    Q_PROPERTY(short BorderType READ BorderType WRITE setBorderType)
    Q_PROPERTY(QColor BorderColor READ BorderColor WRITE setBorderColor)
    Q_PROPERTY(short ChildAlign READ ChildAlign WRITE setChildAlign)
    Q_PROPERTY(short SpaceLeft READ SpaceLeft WRITE setSpaceLeft)
    Q_PROPERTY(short SpaceRight READ SpaceRight WRITE setSpaceRight)
    Q_PROPERTY(short SpaceTop READ SpaceTop WRITE setSpaceTop)
    Q_PROPERTY(short SpaceBottom READ SpaceBottom WRITE setSpaceBottom)
    Q_PROPERTY(short ChildSpacing READ ChildSpacing WRITE setChildSpacing)
    Q_PROPERTY(short ControlAlign READ ControlAlign WRITE setControlAlign)
    Q_PROPERTY(short SizeHeight READ SizeHeight WRITE setSizeHeight)
    Q_PROPERTY(short SizeWidth READ SizeWidth WRITE setSizeWidth)
    Q_PROPERTY(bool AdjustFont READ AdjustFont WRITE setAdjustFont)
    Q_PROPERTY(qintptr FormHandle READ FormHandle WRITE setFormHandle)
    Q_PROPERTY(short AutoConfig READ AutoConfig WRITE setAutoConfig)
    // ResetSizes is write-only: setProperty("ResetSizes", true) or setResetSizes(true);
    // reading it gives an invalid QVariant.
    Q_PROPERTY(short SplitBottom READ SplitBottom WRITE setSplitBottom)
    Q_PROPERTY(short SplitLeft READ SplitLeft WRITE setSplitLeft)
    Q_PROPERTY(short SplitRight READ SplitRight WRITE setSplitRight)
    Q_PROPERTY(short SplitTop READ SplitTop WRITE setSplitTop)
    Q_PROPERTY(QPixmap BackImage READ BackImage WRITE setBackImage)
    Q_PROPERTY(bool CheckOffset READ CheckOffset WRITE setCheckOffset)
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(qintptr hWnd READ hWnd)

public:
    static constexpr const char* kClassId = "cvStretch.cvStretchCtrl.1";
    static constexpr const char* kVersion = "1.0";
    static constexpr int kSavedMajor = 1;
    static constexpr int kSavedMinor = 0;

    explicit CcvStretchCtrl(QWidget* parent = nullptr);
    ~CcvStretchCtrl() override;

    static qintptr handleOf(const QWidget* w) { return reinterpret_cast<qintptr>(w); }
    // The live widget with that handle, or nullptr.
    static QWidget* widgetOf(qintptr handle);

    short BorderType() const { return m_borderType; }
    void setBorderType(short v);
    QColor BorderColor() const { return m_borderColor; }
    void setBorderColor(const QColor& v);
    short ChildAlign() const { return m_childAlign; }
    void setChildAlign(short v);
    short SpaceLeft() const { return m_spaceLeft; }
    void setSpaceLeft(short v);
    short SpaceRight() const { return m_spaceRight; }
    void setSpaceRight(short v);
    short SpaceTop() const { return m_spaceTop; }
    void setSpaceTop(short v);
    short SpaceBottom() const { return m_spaceBottom; }
    void setSpaceBottom(short v);
    short ChildSpacing() const { return m_childSpacing; }
    void setChildSpacing(short v);
    short ControlAlign() const { return m_controlAlign; }
    void setControlAlign(short v);
    short SizeHeight() const { return m_sizeHeight; }
    void setSizeHeight(short v);
    short SizeWidth() const { return m_sizeWidth; }
    void setSizeWidth(short v);
    bool AdjustFont() const { return m_adjustFont; }
    void setAdjustFont(bool v);
    qintptr FormHandle() const { return m_formHandle; }
    void setFormHandle(qintptr v);
    short AutoConfig() const { return m_autoConfig; }
    void setAutoConfig(short v);
    void setResetSizes(bool v);
    short SplitBottom() const { return m_splitBottom; }
    void setSplitBottom(short v);
    short SplitLeft() const { return m_splitLeft; }
    void setSplitLeft(short v);
    short SplitRight() const { return m_splitRight; }
    void setSplitRight(short v);
    short SplitTop() const { return m_splitTop; }
    void setSplitTop(short v);
    QPixmap BackImage() const { return m_backImage; }
    void setBackImage(const QPixmap& v);
    // An icon tiles at 32 × 32.
    void setBackIcon(const QIcon& icon);
    bool CheckOffset() const { return m_checkOffset; }
    void setCheckOffset(bool v);
    // Invalid means the container's background.
    QColor BackColor() const { return m_backColor; }
    void setBackColor(const QColor& v);
    qintptr hWnd() const { return handleOf(this); }

    // Run mode (the container's user mode); in design mode the control only paints.
    bool userMode() const { return m_userMode; }
    void setUserMode(bool on);
    bool isModified() const { return m_modified; }
    void setModified(bool on) { m_modified = on; }
    bool isLayoutPending() const { return m_layoutPending; }
    const gw::stretch::ChildList& childList() const { return m_children; }
    QWidget* subclassedWindow() const { return m_subclassed; }

    // Saved properties; loading and resetting return the control to unconfigured.
    QByteArray saveProperties() const;
    bool loadProperties(const QByteArray& bytes);
    void resetProperties();

    QDialog* createPropertyDialog(QWidget* parent = nullptr);

public slots:
    short AddControl(qintptr oleHandle);
    short AddControl(QWidget* widget) { return AddControl(handleOf(widget)); }
    void ReSize();
    short CollectChildren();
    void GetParent();
    void KillSubClass();
    short AddItem(short nObjectID, short nLeft, short nTop, short nWidth, short nHeight,
                  short nFontSize);
    void PositionOffset(short nxOffset, short nyOffset);
    void AboutBox();
    // The companion splitter's messages 150 to 154; other numbers are ignored.
    void splitterMessage(int message, int value = 0);
    void showPropertyPages();

signals:
    void MoveObject(qintptr oleHandle, short nLeft, short nTop, short nWidth, short nHeight,
                    short nFontSize, bool bObjectType);
    void CtrlError(short nError, short nIndex);
    void MouseDown(short Button, short Shift, int X, int Y);
    void MouseUp(short Button, short Shift, int X, int Y);
    void MouseMove(short Button, short Shift, int X, int Y);
    void Click();
    void DblClick();
    void Error(short Number, const QString& Description);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void exchangeProperties(gw::PropertyExchange& px);
    void clearRunTimeState();
    void changed(bool layoutPending);
    void setLayoutValue(short& member, short v);
    // Paint steps before drawing: first-paint configuration, alignment, pending layout.
    void configureForPaint();
    void applyControlAlign();
    void layoutChildren();
    void moveChild(QWidget* child, const QRect& rectInControl);
    void subclass(QWidget* window);
    void raiseError(short number, const QString& description);
    // Appends or refuses with the matching event; true when added.
    bool addEntry(const gw::stretch::ChildEntry& entry, bool atFront);

    // Properties
    short m_borderType = gw::stretch::BorderRegular;
    QColor m_borderColor = QColor(0, 0, 0);
    short m_childAlign = gw::stretch::AlignNone;
    short m_spaceLeft = 10, m_spaceRight = 10, m_spaceTop = 10, m_spaceBottom = 10;
    short m_childSpacing = 10;
    short m_controlAlign = gw::stretch::CtrlAlignNone;
    short m_sizeHeight = 50, m_sizeWidth = 50;
    bool m_adjustFont = false;
    qintptr m_formHandle = 0;
    short m_autoConfig = gw::stretch::ConfigNone;
    short m_splitBottom = 0, m_splitLeft = 0, m_splitRight = 0, m_splitTop = 0;
    QPixmap m_backImage;
    bool m_checkOffset = true;
    QColor m_backColor;

    // Run-time state
    gw::stretch::ChildList m_children;
    QRect m_initialRect; // screen
    int m_offsetX = 0, m_offsetY = 0;
    bool m_layoutPending = true;
    bool m_firstPaint = true;
    bool m_collecting = false;
    int m_split[4] = {0, 0, 0, 0};
    QPointer<QWidget> m_subclassed;
    bool m_userMode = true;
    bool m_modified = false;
    bool m_pressed = false;
    bool m_inResetSizes = false;
};

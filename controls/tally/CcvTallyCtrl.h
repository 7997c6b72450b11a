#pragma once

#include "CVTALLYLib.h"
#include "TallyEngine.h"
#include "TallyKeys.h"

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

namespace gw {
class PropertyBag;
class PropertyExchange;
}

// A pocket calculator: a display and a 5 x 5 grid of keys, worked by mouse or
// keyboard. Two optional function keys only raise events for the host.
class CcvTallyCtrl : public QWidget {
    Q_OBJECT
    // Order of declaration is the control's dispatch order.
    Q_PROPERTY(QColor DisplayBackColor READ DisplayBackColor WRITE setDisplayBackColor)
    Q_PROPERTY(QColor DisplayTextColor READ DisplayTextColor WRITE setDisplayTextColor)
    Q_PROPERTY(short BorderType READ BorderType WRITE setBorderType)
    Q_PROPERTY(QColor BorderColor READ BorderColor WRITE setBorderColor)
    Q_PROPERTY(QColor ButtonColor READ ButtonColor WRITE setButtonColor)
    Q_PROPERTY(QColor NumberColor READ NumberColor WRITE setNumberColor)
    Q_PROPERTY(QColor FunctionColor READ FunctionColor WRITE setFunctionColor)
    Q_PROPERTY(QColor OperandColor READ OperandColor WRITE setOperandColor)
    Q_PROPERTY(QColor ClearColor READ ClearColor WRITE setClearColor)
    Q_PROPERTY(short CalcXSize READ CalcXSize WRITE setCalcXSize)
    Q_PROPERTY(short CalcYSize READ CalcYSize WRITE setCalcYSize)
    Q_PROPERTY(QFont DisplayFont READ DisplayFont WRITE setDisplayFont)
    Q_PROPERTY(bool DrawFocus READ DrawFocus WRITE setDrawFocus)
    Q_PROPERTY(float Value READ Value WRITE setValue)
    Q_PROPERTY(short FunctionKeys READ FunctionKeys WRITE setFunctionKeys)
    Q_PROPERTY(QString FncKeyText1 READ FncKeyText1 WRITE setFncKeyText1)
    Q_PROPERTY(QString FncKeyText2 READ FncKeyText2 WRITE setFncKeyText2)
    Q_PROPERTY(QString TextValue READ TextValue WRITE setTextValue)
    Q_PROPERTY(float CalcValue READ CalcValue WRITE setCalcValue)
    // Stock members.
    Q_PROPERTY(QColor BackColor READ BackColor WRITE setBackColor)
    Q_PROPERTY(QFont Font READ Font WRITE setStockFont)
    Q_PROPERTY(short BorderStyle READ BorderStyle WRITE setBorderStyle)
    Q_PROPERTY(qulonglong hWnd READ hWnd)

public:
    static constexpr const char *kClassId = "cvTally.cvTallyCtrl.1";
    static constexpr int kMaxFunctionCaption = 9;

    explicit CcvTallyCtrl(QWidget *parent = nullptr);
    ~CcvTallyCtrl() override;

    QColor DisplayBackColor() const { return m_displayBackColor; }
    void setDisplayBackColor(const QColor &c);
    QColor DisplayTextColor() const { return m_displayTextColor; }
    void setDisplayTextColor(const QColor &c);
    short BorderType() const { return m_borderType; }
    void setBorderType(short v);
    QColor BorderColor() const { return m_borderColor; }
    void setBorderColor(const QColor &c);
    QColor ButtonColor() const { return m_buttonColor; }
    void setButtonColor(const QColor &c);
    QColor NumberColor() const { return m_numberColor; }
    void setNumberColor(const QColor &c);
    QColor FunctionColor() const { return m_functionColor; }
    void setFunctionColor(const QColor &c);
    QColor OperandColor() const { return m_operandColor; }
    void setOperandColor(const QColor &c);
    QColor ClearColor() const { return m_clearColor; }
    void setClearColor(const QColor &c);
    short CalcXSize() const { return m_calcXSize; }
    void setCalcXSize(short v);
    short CalcYSize() const { return m_calcYSize; }
    void setCalcYSize(short v);
    QFont DisplayFont() const { return m_displayFont; }
    void setDisplayFont(const QFont &f);
    bool DrawFocus() const { return m_drawFocus; }
    void setDrawFocus(bool on);
    float Value() const;
    void setValue(float v);
    short FunctionKeys() const { return m_functionKeys; }
    void setFunctionKeys(short v);
    QString FncKeyText1() const { return m_fncKeyText1; }
    void setFncKeyText1(const QString &s);
    QString FncKeyText2() const { return m_fncKeyText2; }
    void setFncKeyText2(const QString &s);
    QString TextValue() const;
    void setTextValue(const QString &s);
    float CalcValue() const { return Value(); }
    void setCalcValue(float v) { setValue(v); }

    QColor BackColor() const { return m_backColor; }
    void setBackColor(const QColor &c);
    QFont Font() const { return font(); }
    void setStockFont(const QFont &f);
    short BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(short v);
    qulonglong hWnd() const { return static_cast<qulonglong>(winId()); }

    // Saved properties.
    bool isModified() const { return m_modified; }
    void setModified(bool modified) { m_modified = modified; }
    void saveProperties(gw::PropertyBag &bag);
    void loadProperties(const gw::PropertyBag &bag);
    void resetProperties();
    QByteArray savedState();
    void loadSavedState(const QByteArray &bytes);

    // Opens the property dialog (General and About pages); returns when it closes.
    void showPropertyPages();

    // For painting and tests.
    const tally::TallyEngine &engine() const { return m_engine; }
    tally::TallyLayout currentLayout() const;
    int pressedKey() const { return m_pressedKey; }
    QString keyCaption(int index) const;
    QColor captionColor(int index) const;

    QSize sizeHint() const override;

public slots:
    void Clear();
    void Equal();
    void AboutBox();

signals:
    void Function1();
    void Function2();
    void Click();
    void DblClick();
    void KeyDown(int KeyCode, int Shift);
    void KeyPress(int KeyAscii);
    void KeyUp(int KeyCode, int Shift);
    void MouseDown(int Button, int Shift, int X, int Y);
    void MouseMove(int Button, int Shift, int X, int Y);
    void MouseUp(int Button, int Shift, int X, int Y);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void exchange(gw::PropertyExchange &px);
    void changed();
    void runKey(int index);
    void pressKeyDown(int index);
    void setPressed(int index);
    void releaseKey();
    void pressWithMouse(QMouseEvent *event);
    QFont ambientFont() const;
    QColor ambientBackColor() const;
    QRect clientArea() const;

    tally::TallyEngine m_engine;

    QColor m_displayBackColor{255, 255, 255};
    QColor m_displayTextColor{0, 0, 0};
    short m_borderType = CVTALLYLib::BorderRaised;
    QColor m_borderColor{0, 0, 0};
    QColor m_buttonColor{192, 192, 192};
    QColor m_numberColor{0, 0, 255};
    QColor m_functionColor{0, 0, 128};
    QColor m_operandColor{255, 0, 0};
    QColor m_clearColor{128, 0, 0};
    short m_calcXSize = 0;
    short m_calcYSize = 0;
    QFont m_displayFont;
    bool m_drawFocus = false;
    short m_functionKeys = 0;
    QString m_fncKeyText1 = QStringLiteral("F1");
    QString m_fncKeyText2 = QStringLiteral("F2");
    QColor m_backColor;
    short m_borderStyle = 0;

    bool m_modified = false;
    int m_pressedKey = tally::kNoKey;   // drawn pressed
    int m_mouseKey = tally::kNoKey;     // held by the mouse button
    int m_keyboardKey = tally::kNoKey;  // held by a keyboard key
    int m_heldQtKey = 0;
    quint32 m_heldScanCode = 0;
};

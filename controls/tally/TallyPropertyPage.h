#pragma once

#include <QDialog>

class CcvTallyCtrl;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QTabWidget;

namespace gw {
struct AboutInfo;
}

// The "General" page with the control's layout properties, and an about page.
// OK and Apply write the fields into the control; Cancel leaves it alone.
class TallyPropertyDialog : public QDialog {
    Q_OBJECT
public:
    TallyPropertyDialog(CcvTallyCtrl *control, const gw::AboutInfo &about, QWidget *parent = nullptr);

    QWidget *generalPage() const { return m_general; }

public slots:
    void apply();
    void load();

private:
    CcvTallyCtrl *m_control;
    QTabWidget *m_tabs;
    QWidget *m_general;
    QComboBox *m_borderType;
    QComboBox *m_borderStyle;
    QSpinBox *m_xSize;
    QSpinBox *m_ySize;
    QCheckBox *m_drawFocus;
    QComboBox *m_functionKeys;
    QLineEdit *m_fncText1;
    QLineEdit *m_fncText2;
};

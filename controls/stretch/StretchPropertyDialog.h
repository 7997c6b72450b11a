#pragma once
// The property pages of the stretch container: "General", "Splitter Bar Spacing" and
// the about page, in one dialog with OK, Cancel and Apply.

#include <QDialog>

class CcvStretchCtrl;
class QCheckBox;
class QComboBox;
class QSpinBox;

class StretchPropertyDialog : public QDialog {
    Q_OBJECT
public:
    StretchPropertyDialog(CcvStretchCtrl* control, QWidget* parent = nullptr);

public slots:
    // Shows the control's current values.
    void load();
    // Writes every field to the control.
    void apply();

private:
    QWidget* createGeneralPage();
    QWidget* createSplitterPage();

    CcvStretchCtrl* m_control;
    QComboBox* m_autoConfig = nullptr;
    QComboBox* m_controlAlign = nullptr;
    QComboBox* m_childAlign = nullptr;
    QComboBox* m_borderType = nullptr;
    QSpinBox* m_sizeWidth = nullptr;
    QSpinBox* m_sizeHeight = nullptr;
    QSpinBox* m_childSpacing = nullptr;
    QSpinBox* m_space[4] = {};  // left, right, top, bottom
    QSpinBox* m_split[4] = {};  // left, top, right, bottom
    QCheckBox* m_checkOffset = nullptr;
};

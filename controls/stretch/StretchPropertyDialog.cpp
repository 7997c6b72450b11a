#include "StretchPropertyDialog.h"

#include "AboutBox.h"
#include "CcvStretchCtrl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QComboBox* comboOf(const QStringList& texts, const char* name, QWidget* parent)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->addItems(texts);
    return c;
}

QSpinBox* spinOf(const char* name, QWidget* parent)
{
    auto* s = new QSpinBox(parent);
    s->setObjectName(QLatin1String(name));
    s->setRange(-32768, 32767);
    return s;
}

} // namespace

StretchPropertyDialog::StretchPropertyDialog(CcvStretchCtrl* control, QWidget* parent)
    : QDialog(parent), m_control(control)
{
    setWindowTitle(QStringLiteral("cvStretch Control Properties"));
    auto* layout = new QVBoxLayout(this);
    auto* tabs = new QTabWidget(this);
    tabs->addTab(createGeneralPage(), QStringLiteral("General"));
    tabs->addTab(createSplitterPage(), QStringLiteral("Splitter Bar Spacing"));
    QWidget* about = gw::createAboutPage(
        {QStringLiteral("cvStretch"), QString::fromLatin1(CcvStretchCtrl::kVersion), QString()},
        tabs);
    about->setObjectName(QStringLiteral("CAboutPropPage"));
    tabs->addTab(about, QStringLiteral("About"));
    layout->addWidget(tabs);
    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        apply();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
            &StretchPropertyDialog::apply);
    layout->addWidget(buttons);
    load();
}

QWidget* StretchPropertyDialog::createGeneralPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("CcvStretchPropPage"));
    auto* form = new QFormLayout(page);
    m_autoConfig = comboOf({"0 - None", "1 - Children", "2 - Parent", "3 - Both"},
                           "cmbAutoConfig", page);
    m_controlAlign = comboOf({"0 - None", "1 - Top", "2 - Bottom", "3 - Left", "4 - Right",
                              "5 - Fill"},
                             "cmbControlAlign", page);
    m_childAlign = comboOf({"0 - None", "1 - Horizontal", "2 - Vertical", "3 - Proportional 1",
                            "4 - Proportianal 2"},
                           "cmbChildAlign", page);
    m_borderType = comboOf({"0 - Regular", "1 - None", "2 - Raised", "3 - Lowered"},
                           "cmbBorderType", page);
    m_sizeWidth = spinOf("spnSizeWidth", page);
    m_sizeHeight = spinOf("spnSizeHeight", page);
    m_childSpacing = spinOf("spnChildSpacing", page);
    form->addRow(QStringLiteral("Auto Config :"), m_autoConfig);
    form->addRow(QStringLiteral("Control Align :"), m_controlAlign);
    form->addRow(QStringLiteral("Child Align :"), m_childAlign);
    form->addRow(QStringLiteral("Border Type :"), m_borderType);
    form->addRow(QStringLiteral("Size Width :"), m_sizeWidth);
    form->addRow(QStringLiteral("Size Height :"), m_sizeHeight);
    form->addRow(QStringLiteral("Child Spacing :"), m_childSpacing);

    auto* spacing = new QGroupBox(QStringLiteral("Spacing"), page);
    auto* spacingForm = new QFormLayout(spacing);
    const char* names[4] = {"spnSpaceLeft", "spnSpaceRight", "spnSpaceTop", "spnSpaceBottom"};
    const char* labels[4] = {"Left :", "Right :", "Top :", "Bottom :"};
    for (int i = 0; i < 4; ++i) {
        m_space[i] = spinOf(names[i], spacing);
        spacingForm->addRow(QLatin1String(labels[i]), m_space[i]);
    }
    form->addRow(spacing);
    m_checkOffset = new QCheckBox(QStringLiteral("Check Offset"), page);
    m_checkOffset->setObjectName(QStringLiteral("chkCheckOffset"));
    form->addRow(m_checkOffset);
    return page;
}

QWidget* StretchPropertyDialog::createSplitterPage()
{
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("CMorePropPage"));
    auto* form = new QFormLayout(page);
    const char* names[4] = {"spnSplitLeft", "spnSplitTop", "spnSplitRight", "spnSplitBottom"};
    const char* labels[4] = {"Left :", "Top :", "Right :", "Bottom :"};
    for (int i = 0; i < 4; ++i) {
        m_split[i] = spinOf(names[i], page);
        form->addRow(QLatin1String(labels[i]), m_split[i]);
    }
    return page;
}

void StretchPropertyDialog::load()
{
    m_autoConfig->setCurrentIndex(m_control->AutoConfig());
    m_controlAlign->setCurrentIndex(m_control->ControlAlign());
    m_childAlign->setCurrentIndex(m_control->ChildAlign());
    m_borderType->setCurrentIndex(m_control->BorderType());
    m_sizeWidth->setValue(m_control->SizeWidth());
    m_sizeHeight->setValue(m_control->SizeHeight());
    m_childSpacing->setValue(m_control->ChildSpacing());
    m_space[0]->setValue(m_control->SpaceLeft());
    m_space[1]->setValue(m_control->SpaceRight());
    m_space[2]->setValue(m_control->SpaceTop());
    m_space[3]->setValue(m_control->SpaceBottom());
    m_split[0]->setValue(m_control->SplitLeft());
    m_split[1]->setValue(m_control->SplitTop());
    m_split[2]->setValue(m_control->SplitRight());
    m_split[3]->setValue(m_control->SplitBottom());
    m_checkOffset->setChecked(m_control->CheckOffset());
}

void StretchPropertyDialog::apply()
{
    m_control->setAutoConfig(short(m_autoConfig->currentIndex()));
    m_control->setControlAlign(short(m_controlAlign->currentIndex()));
    m_control->setChildAlign(short(m_childAlign->currentIndex()));
    m_control->setBorderType(short(m_borderType->currentIndex()));
    m_control->setSizeWidth(short(m_sizeWidth->value()));
    m_control->setSizeHeight(short(m_sizeHeight->value()));
    m_control->setChildSpacing(short(m_childSpacing->value()));
    m_control->setSpaceLeft(short(m_space[0]->value()));
    m_control->setSpaceRight(short(m_space[1]->value()));
    m_control->setSpaceTop(short(m_space[2]->value()));
    m_control->setSpaceBottom(short(m_space[3]->value()));
    m_control->setSplitLeft(short(m_split[0]->value()));
    m_control->setSplitTop(short(m_split[1]->value()));
    m_control->setSplitRight(short(m_split[2]->value()));
    m_control->setSplitBottom(short(m_split[3]->value()));
    m_control->setCheckOffset(m_checkOffset->isChecked());
}

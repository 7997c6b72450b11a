#include "TallyPropertyPage.h"

#include "AboutBox.h"
#include "CcvTallyCtrl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

QComboBox *makeList(const QStringList &items, const QString &name, QWidget *parent)
{
    auto *box = new QComboBox(parent);
    box->addItems(items);
    box->setObjectName(name);
    return box;
}

QSpinBox *makeSize(const QString &name, QWidget *parent)
{
    auto *spin = new QSpinBox(parent);
    spin->setRange(-32768, 32767);
    spin->setObjectName(name);
    return spin;
}

} // namespace

TallyPropertyDialog::TallyPropertyDialog(CcvTallyCtrl *control, const gw::AboutInfo &about, QWidget *parent)
    : QDialog(parent), m_control(control)
{
    setWindowTitle(QStringLiteral("cvTally Properties"));
    m_tabs = new QTabWidget(this);
    m_general = new QWidget(m_tabs);

    m_borderType = makeList({"0 - Regular", "1 - None", "2 - Raised", "3 - Lowered"}, "BorderType", m_general);
    m_borderStyle = makeList({"0 - None", "1 - Fixed Single"}, "BorderStyle", m_general);
    m_xSize = makeSize("CalcXSize", m_general);
    m_ySize = makeSize("CalcYSize", m_general);
    m_drawFocus = new QCheckBox(QStringLiteral("Draw Focus"), m_general);
    m_drawFocus->setObjectName("DrawFocus");
    m_functionKeys = makeList({"0 - None", "1 - One", "2 - Two"}, "FunctionKeys", m_general);
    m_fncText1 = new QLineEdit(m_general);
    m_fncText1->setObjectName("FncKeyText1");
    m_fncText2 = new QLineEdit(m_general);
    m_fncText2->setObjectName("FncKeyText2");

    auto *grid = new QGridLayout(m_general);
    int row = 0;
    grid->addWidget(new QLabel(QStringLiteral("Border Type :"), m_general), row, 0);
    grid->addWidget(m_borderType, row++, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Border Style :"), m_general), row, 0);
    grid->addWidget(m_borderStyle, row++, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Calc X Size : "), m_general), row, 0);
    grid->addWidget(m_xSize, row, 1);
    grid->addWidget(new QLabel(QStringLiteral("Y :"), m_general), row, 2);
    grid->addWidget(m_ySize, row++, 3);
    grid->addWidget(m_drawFocus, row++, 0, 1, 4);
    grid->addWidget(new QLabel(QStringLiteral("Function Keys :"), m_general), row, 0);
    grid->addWidget(m_functionKeys, row++, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Function Key #1 Text :"), m_general), row, 0);
    grid->addWidget(m_fncText1, row++, 1, 1, 3);
    grid->addWidget(new QLabel(QStringLiteral("Function Key #2 Text :"), m_general), row, 0);
    grid->addWidget(m_fncText2, row++, 1, 1, 3);

    m_tabs->addTab(m_general, QStringLiteral("General"));
    m_tabs->addTab(gw::createAboutPage(about, m_tabs), QStringLiteral("About"));

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        apply();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this, &TallyPropertyDialog::apply);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
    load();
}

void TallyPropertyDialog::load()
{
    m_borderType->setCurrentIndex(m_control->BorderType());
    m_borderStyle->setCurrentIndex(m_control->BorderStyle());
    m_xSize->setValue(m_control->CalcXSize());
    m_ySize->setValue(m_control->CalcYSize());
    m_drawFocus->setChecked(m_control->DrawFocus());
    m_functionKeys->setCurrentIndex(m_control->FunctionKeys());
    m_fncText1->setText(m_control->FncKeyText1());
    m_fncText2->setText(m_control->FncKeyText2());
}

void TallyPropertyDialog::apply()
{
    // Only changed values go through the setters, so an untouched page does
    // not mark the control modified.
    auto put = [this](const char *name, const QVariant &value) {
        if (m_control->property(name) != value)
            m_control->setProperty(name, value);
    };
    put("BorderType", QVariant::fromValue<short>(static_cast<short>(m_borderType->currentIndex())));
    put("BorderStyle", QVariant::fromValue<short>(static_cast<short>(m_borderStyle->currentIndex())));
    put("CalcXSize", QVariant::fromValue<short>(static_cast<short>(m_xSize->value())));
    put("CalcYSize", QVariant::fromValue<short>(static_cast<short>(m_ySize->value())));
    put("DrawFocus", m_drawFocus->isChecked());
    put("FunctionKeys", QVariant::fromValue<short>(static_cast<short>(m_functionKeys->currentIndex())));
    put("FncKeyText1", m_fncText1->text());
    put("FncKeyText2", m_fncText2->text());
}

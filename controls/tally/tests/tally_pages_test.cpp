#include "AboutBox.h"
#include "CcvTallyCtrl.h"
#include "TallyPropertyPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

const gw::AboutInfo kAbout{QStringLiteral("cvTally"), QStringLiteral("1.0"), QString()};

QStringList items(const QComboBox *box)
{
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

template <class T>
T *field(const QWidget *page, const char *name)
{
    T *w = page->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        ADD_FAILURE() << "no field " << name;
    return w;
}

TEST(PropertyPages, GeneralPageLabelsAndLists)
{
    CcvTallyCtrl ctrl;
    TallyPropertyDialog dlg(&ctrl, kAbout);
    QStringList labels;
    for (const QLabel *l : dlg.generalPage()->findChildren<QLabel *>())
        labels << l->text();
    for (const char *text : {"Border Type :", "Border Style :", "Calc X Size : ", "Y :", "Function Keys :",
                             "Function Key #1 Text :", "Function Key #2 Text :"})
        EXPECT_TRUE(labels.contains(QString::fromLatin1(text))) << text;
    EXPECT_EQ(field<QCheckBox>(dlg.generalPage(), "DrawFocus")->text(), QStringLiteral("Draw Focus"));
    EXPECT_EQ(items(field<QComboBox>(dlg.generalPage(), "BorderType")),
              (QStringList{"0 - Regular", "1 - None", "2 - Raised", "3 - Lowered"}));
    EXPECT_EQ(items(field<QComboBox>(dlg.generalPage(), "BorderStyle")), (QStringList{"0 - None", "1 - Fixed Single"}));
    EXPECT_EQ(items(field<QComboBox>(dlg.generalPage(), "FunctionKeys")),
              (QStringList{"0 - None", "1 - One", "2 - Two"}));
    const auto *tabs = dlg.findChild<QTabWidget *>();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 2);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("General"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("About"));
}

TEST(PropertyPages, ShowsCurrentValuesAndApplyWritesThem)
{
    CcvTallyCtrl ctrl;
    ctrl.setBorderType(3);
    ctrl.setCalcYSize(-4);
    ctrl.setFncKeyText2(QStringLiteral("Off"));
    ctrl.setModified(false);
    TallyPropertyDialog dlg(&ctrl, kAbout);
    QWidget *page = dlg.generalPage();
    EXPECT_EQ(field<QComboBox>(page, "BorderType")->currentIndex(), 3);
    EXPECT_EQ(field<QSpinBox>(page, "CalcYSize")->value(), -4);
    EXPECT_EQ(field<QLineEdit>(page, "FncKeyText2")->text(), QStringLiteral("Off"));

    // Applying an untouched page changes nothing.
    dlg.apply();
    EXPECT_FALSE(ctrl.isModified());

    field<QComboBox>(page, "BorderType")->setCurrentIndex(0);
    field<QComboBox>(page, "BorderStyle")->setCurrentIndex(1);
    field<QSpinBox>(page, "CalcXSize")->setValue(12);
    field<QSpinBox>(page, "CalcYSize")->setValue(-30000);
    field<QCheckBox>(page, "DrawFocus")->setChecked(true);
    field<QComboBox>(page, "FunctionKeys")->setCurrentIndex(2);
    field<QLineEdit>(page, "FncKeyText1")->setText(QStringLiteral("Copy"));
    dlg.apply();
    EXPECT_TRUE(ctrl.isModified());
    EXPECT_EQ(ctrl.BorderType(), 0);
    EXPECT_EQ(ctrl.BorderStyle(), 1);
    EXPECT_EQ(ctrl.CalcXSize(), 12);
    EXPECT_EQ(ctrl.CalcYSize(), -30000);
    EXPECT_TRUE(ctrl.DrawFocus());
    EXPECT_EQ(ctrl.FunctionKeys(), 2);
    EXPECT_EQ(ctrl.FncKeyText1(), QStringLiteral("Copy"));
    EXPECT_EQ(ctrl.FncKeyText2(), QStringLiteral("Off"));
}

TEST(PropertyPages, CancelLeavesControlAlone)
{
    CcvTallyCtrl ctrl;
    TallyPropertyDialog dlg(&ctrl, kAbout);
    field<QComboBox>(dlg.generalPage(), "FunctionKeys")->setCurrentIndex(1);
    QTimer::singleShot(0, &dlg, [&dlg] {
        dlg.findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);
    EXPECT_EQ(ctrl.FunctionKeys(), 0);
}

TEST(PropertyPages, AboutBoxIsModalAndNamesTheControl)
{
    CcvTallyCtrl ctrl;
    QString title;
    QString text;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
            title = dlg->windowTitle();
            if (auto *label = dlg->findChild<QLabel *>(QStringLiteral("aboutTitle")))
                text = label->text();
            dlg->accept();
        }
    });
    poll.start(10);
    ctrl.AboutBox();
    EXPECT_EQ(title, QStringLiteral("About cvTally"));
    EXPECT_TRUE(text.contains(QStringLiteral("cvTally")));
    EXPECT_TRUE(text.contains(QStringLiteral("1.0")));
}

} // namespace

#include "CcvStretchCtrl.h"
#include "StretchPropertyDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <memory>

namespace {

QStringList itemsOf(const QComboBox* c)
{
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out.append(c->itemText(i));
    return out;
}

TEST(StretchPropertyDialogTest, PagesLabelsAndListTexts)
{
    CcvStretchCtrl ctrl;
    std::unique_ptr<QDialog> dlg(ctrl.createPropertyDialog());
    auto* tabs = dlg->findChild<QTabWidget*>();
    ASSERT_NE(tabs, nullptr);
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(0), QStringLiteral("General"));
    EXPECT_EQ(tabs->tabText(1), QStringLiteral("Splitter Bar Spacing"));

    QStringList general;
    for (auto* l : tabs->widget(0)->findChildren<QLabel*>())
        general.append(l->text());
    for (const char* want : {"Auto Config :", "Control Align :", "Child Align :",
                             "Border Type :", "Size Width :", "Size Height :",
                             "Child Spacing :", "Left :", "Right :", "Top :", "Bottom :"})
        EXPECT_TRUE(general.contains(QLatin1String(want))) << want;
    ASSERT_NE(tabs->widget(0)->findChild<QGroupBox*>(), nullptr);
    EXPECT_EQ(tabs->widget(0)->findChild<QGroupBox*>()->title(), QStringLiteral("Spacing"));
    EXPECT_EQ(dlg->findChild<QCheckBox*>(QStringLiteral("chkCheckOffset"))->text(),
              QStringLiteral("Check Offset"));
    QStringList splitter;
    for (auto* l : tabs->widget(1)->findChildren<QLabel*>())
        splitter.append(l->text());
    EXPECT_EQ(splitter, (QStringList{"Left :", "Top :", "Right :", "Bottom :"}));

    const struct {
        const char* name;
        QStringList items;
    } lists[] = {
        {"cmbAutoConfig", {"0 - None", "1 - Children", "2 - Parent", "3 - Both"}},
        {"cmbControlAlign",
         {"0 - None", "1 - Top", "2 - Bottom", "3 - Left", "4 - Right", "5 - Fill"}},
        {"cmbChildAlign",
         {"0 - None", "1 - Horizontal", "2 - Vertical", "3 - Proportional 1",
          "4 - Proportianal 2"}},
        {"cmbBorderType", {"0 - Regular", "1 - None", "2 - Raised", "3 - Lowered"}},
    };
    for (const auto& l : lists) {
        auto* combo = dlg->findChild<QComboBox*>(QLatin1String(l.name));
        ASSERT_NE(combo, nullptr) << l.name;
        EXPECT_EQ(itemsOf(combo), l.items) << l.name;
    }
}

TEST(StretchPropertyDialogTest, ShowsAndAppliesValues)
{
    CcvStretchCtrl ctrl;
    ctrl.setChildAlign(3);
    ctrl.setSizeWidth(77);
    ctrl.setSplitTop(4);
    ctrl.setCheckOffset(false);
    std::unique_ptr<QDialog> dlg(ctrl.createPropertyDialog());
    auto combo = [&dlg](const char* n) { return dlg->findChild<QComboBox*>(QLatin1String(n)); };
    auto spin = [&dlg](const char* n) { return dlg->findChild<QSpinBox*>(QLatin1String(n)); };
    EXPECT_EQ(combo("cmbChildAlign")->currentIndex(), 3);
    EXPECT_EQ(spin("spnSizeWidth")->value(), 77);
    EXPECT_EQ(spin("spnSplitTop")->value(), 4);
    EXPECT_FALSE(dlg->findChild<QCheckBox*>(QStringLiteral("chkCheckOffset"))->isChecked());

    combo("cmbAutoConfig")->setCurrentIndex(3);
    combo("cmbControlAlign")->setCurrentIndex(5);
    combo("cmbChildAlign")->setCurrentIndex(4);
    combo("cmbBorderType")->setCurrentIndex(2);
    const struct {
        const char* spin;
        const char* property;
        int value;
    } spins[] = {{"spnSizeWidth", "SizeWidth", 61},     {"spnSizeHeight", "SizeHeight", 62},
                 {"spnChildSpacing", "ChildSpacing", 3}, {"spnSpaceLeft", "SpaceLeft", 11},
                 {"spnSpaceRight", "SpaceRight", 12},   {"spnSpaceTop", "SpaceTop", 13},
                 {"spnSpaceBottom", "SpaceBottom", 14}, {"spnSplitLeft", "SplitLeft", 21},
                 {"spnSplitTop", "SplitTop", 22},       {"spnSplitRight", "SplitRight", 23},
                 {"spnSplitBottom", "SplitBottom", 24}};
    for (const auto& s : spins)
        spin(s.spin)->setValue(s.value);
    dlg->findChild<QCheckBox*>(QStringLiteral("chkCheckOffset"))->setChecked(true);
    static_cast<StretchPropertyDialog*>(dlg.get())->apply();

    EXPECT_EQ(ctrl.AutoConfig(), 3);
    EXPECT_EQ(ctrl.ControlAlign(), 5);
    EXPECT_EQ(ctrl.ChildAlign(), 4);
    EXPECT_EQ(ctrl.BorderType(), 2);
    for (const auto& s : spins)
        EXPECT_EQ(ctrl.property(s.property).toInt(), s.value) << s.property;
    EXPECT_TRUE(ctrl.CheckOffset());
}

} // namespace

#include "AboutBox.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace gw {

QWidget* createAboutPage(const AboutInfo& info, QWidget* parent)
{
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    auto* title = new QLabel(QStringLiteral("%1 Control, Version %2").arg(info.controlName,
                                                                          info.version),
                             page);
    title->setObjectName(QStringLiteral("aboutTitle"));
    QFont f = title->font();
    f.setBold(true);
    title->setFont(f);
    layout->addWidget(title);
    if (!info.text.isEmpty()) {
        auto* text = new QLabel(info.text, page);
        text->setObjectName(QStringLiteral("aboutText"));
        text->setWordWrap(true);
        layout->addWidget(text);
    }
    layout->addStretch(1);
    return page;
}

QDialog* createAboutDialog(const AboutInfo& info, QWidget* parent)
{
    auto* dlg = new QDialog(parent);
    dlg->setWindowTitle(QStringLiteral("About ") + info.controlName);
    dlg->setModal(true);
    auto* layout = new QVBoxLayout(dlg);
    layout->addWidget(createAboutPage(info, dlg));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, dlg);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dlg, &QDialog::accept);
    layout->addWidget(buttons);
    return dlg;
}

void showAboutBox(const AboutInfo& info, QWidget* parent)
{
    QDialog* dlg = createAboutDialog(info, parent);
    dlg->exec();
    delete dlg;
}

} // namespace gw

#include "SplashWindow.h"

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QVBoxLayout>

namespace gw {

SplashWindow::SplashWindow(const QString& versionLine, const QString& logoPath)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    if (!logoPath.isEmpty()) {
        const QPixmap logo(logoPath);
        if (!logo.isNull()) {
            auto* picture = new QLabel(this);
            picture->setPixmap(logo);
            picture->setAlignment(Qt::AlignCenter);
            layout->addWidget(picture);
        }
    }
    auto* title = new QLabel(QStringLiteral("Gavelwise"), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont big = title->font();
    big.setPointSizeF(big.pointSizeF() * 2);
    big.setBold(true);
    title->setFont(big);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    auto* version = new QLabel(versionLine, this);
    version->setObjectName(QStringLiteral("lblVersion"));
    version->setAlignment(Qt::AlignCenter);
    layout->addWidget(version);
    setFixedSize(sizeHint().expandedTo(QSize(360, 180)));
}

void SplashWindow::showNow()
{
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->geometry().center() - rect().center());
    show();
    repaint();
    QApplication::processEvents();
}

} // namespace gw

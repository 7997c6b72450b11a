#include "MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

#include <cmath>

namespace gw {

MainWindow::MainWindow()
{
    setObjectName(QStringLiteral("frmItems"));
    setWindowTitle(QStringLiteral("Gavelwise Heritage"));

    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    QAction* exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("mnuExit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);

    toolBar_ = addToolBar(QStringLiteral("Toolbar"));
    toolBar_->setObjectName(QStringLiteral("tbToolBar"));
    addButton(QStringLiteral("Options"), QStringLiteral("Options"));
    toolBar_->addSeparator();
    addButton(QStringLiteral("Add"), QStringLiteral("Add an Auction"));
    addButton(QStringLiteral("Del"), QStringLiteral("Delete an Auction Item"));
    addButton(QStringLiteral("First"), QStringLiteral("Go to First Auction Item"));
    addButton(QStringLiteral("Prev"), QStringLiteral("Go to Previous Auction Item"));
    addButton(QStringLiteral("Next"), QStringLiteral("Go to Next Auction Item"));
    addButton(QStringLiteral("Last"), QStringLiteral("Go to Last Auction Item"));
    spellSeparator_ = toolBar_->addSeparator();
    addButton(QStringLiteral("SpellCheck"), QStringLiteral("Spell Check"));
    addButton(QStringLiteral("Find"), QStringLiteral("Find an item"));
    toolBar_->addSeparator();
    addButton(QStringLiteral("Exit"), QStringLiteral("Exit"));
    connect(toolBar_->findChild<QAction*>(QStringLiteral("Exit")), &QAction::triggered, this, &QWidget::close);

    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    grid->addWidget(new QLabel(QStringLiteral("Item:"), central), 0, 0);
    position_ = new QLabel(QStringLiteral("0"), central);
    position_->setObjectName(QStringLiteral("lblPosition"));
    grid->addWidget(position_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("of"), central), 0, 2);
    total_ = new QLabel(QStringLiteral("0"), central);
    total_->setObjectName(QStringLiteral("lblTotal"));
    grid->addWidget(total_, 0, 3);
    grid->setColumnStretch(4, 1);
    grid->setRowStretch(1, 1);
    setCentralWidget(central);
    statusBar()->setToolTip(QStringLiteral("This is the status bar."));

    setWidthTwips(DesignedWidthTwips);
    setHeightTwips(DesignedHeightTwips);
}

QAction* MainWindow::addButton(const QString& key, const QString& toolTip)
{
    QAction* a = toolBar_->addAction(key);
    a->setObjectName(key);
    a->setToolTip(toolTip);
    return a;
}

void MainWindow::setViewCaption(const QString& caption)
{
    setWindowTitle(caption);
}

void MainWindow::setCounters(const QString& position, const QString& total)
{
    position_->setText(position);
    total_->setText(total);
}

QString MainWindow::positionText() const
{
    return position_->text();
}

QString MainWindow::totalText() const
{
    return total_->text();
}

double MainWindow::twipsPerPixel() const
{
    const int dpi = logicalDpiX();
    return 1440.0 / (dpi > 0 ? dpi : 96);
}

// Sizes are the window's own area without the frame: the frame is only known once a window
// manager has placed the window, and mixing the two would make the window grow on every start.
double MainWindow::widthTwips() const
{
    return width() * twipsPerPixel();
}

double MainWindow::heightTwips() const
{
    return height() * twipsPerPixel();
}

void MainWindow::setWidthTwips(double twips)
{
    resize(std::max(1, static_cast<int>(std::lround(twips / twipsPerPixel()))), height());
}

void MainWindow::setHeightTwips(double twips)
{
    resize(width(), std::max(1, static_cast<int>(std::lround(twips / twipsPerPixel()))));
}

void MainWindow::hideSmallScreenButtons()
{
    spellSeparator_->setVisible(false);
    for (const char* key : {"SpellCheck", "Find"})
        if (QAction* a = toolBar_->findChild<QAction*>(QString::fromLatin1(key)))
            a->setVisible(false);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (!closing_) {
        closing_ = true;
        if (onClose_)
            onClose_();
    }
    event->accept();
}

} // namespace gw

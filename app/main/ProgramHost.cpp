#include "ProgramHost.h"

#include "ItemBrowser.h"
#include "ItemDatabase.h"
#include "ItemSchema.h"
#include "core/Helpers.h"
#include "core/ProgramValues.h"
#include "core/SettingKeys.h"
#include "ui/MainWindow.h"
#include "ui/SplashWindow.h"

#include <QApplication>
#include <QFile>
#include <QScreen>
#include <QTimer>

#include <cstdio>

namespace gw {

namespace {

StepFailure failureOf(const DbException& e)
{
    return StepFailure(e.error().number, e.error().source, e.error().description);
}

bool envFlag(const char* name)
{
    return qEnvironmentVariableIntValue(name) != 0;
}

} // namespace

ProgramHost::ProgramHost() : lock_(InstanceLock::defaultPath()) {}

ProgramHost::~ProgramHost()
{
    browser_.reset();
    window_.reset();
    values().ItemDatabase = nullptr;
    db_.reset();
}

OpenFailure ProgramHost::openDatabase(const QString& path)
{
    DbError error;
    db_ = Database::open(path, OpenMode::Shared, &error);
    if (db_) {
        values().ItemDatabase = db_.get();
        return {};
    }
    OpenFailure f;
    switch (error.kind) {
    case DbErrorKind::None:
    case DbErrorKind::Other: f.kind = OpenFailure::Kind::Other; break;
    case DbErrorKind::FileNotFound: f.kind = OpenFailure::Kind::FileNotFound; break;
    case DbErrorKind::DiskOrNetwork: f.kind = OpenFailure::Kind::DiskOrNetwork; break;
    }
    f.number = error.number;
    f.source = error.source;
    f.description = error.description;
    return f;
}

void ProgramHost::upgradeSchema()
{
    try {
        UpgradeItemsSchema(*db_);
    } catch (const DbException& e) {
        throw failureOf(e);
    }
}

TimeZoneInfo ProgramHost::localTimeZone()
{
    return readLocalTimeZone();
}

void ProgramHost::showSplash(const QString& versionLine)
{
    splash_ = std::make_unique<SplashWindow>(versionLine, values().programFile(QStringLiteral("logormsm.gif")));
    splash_->showNow();
}

void ProgramHost::pause(double seconds)
{
    // Tests start the program many times; the splash's second is skipped there.
    if (!envFlag("GW_SKIP_SPLASH_PAUSE"))
        Pause(seconds);
}

bool ProgramHost::acquireSingleInstance()
{
    return lock_.acquire();
}

void ProgramHost::createMainWindow()
{
    window_ = std::make_unique<MainWindow>();
    // Window load: the stored size (the designed size when none, or not a number).
    window_->setHeightTwips(readWindowSize(keys::MainFormHeight, MainWindow::DesignedHeightTwips)
                                .value_or(MainWindow::DesignedHeightTwips));
    window_->setWidthTwips(readWindowSize(keys::MainFormWidth, MainWindow::DesignedWidthTwips)
                               .value_or(MainWindow::DesignedWidthTwips));
    window_->setCloseHandler([this] { runCloseSequence(*this); });
    browser_ = std::make_unique<ItemBrowser>(*db_);
    window_->setViewCaption(noViewCaption());
}

void ProgramHost::selectView(StartView view)
{
    switch (view) {
    case StartView::All: browser_->selectView(ItemView::All); break;
    case StartView::Active: browser_->selectView(ItemView::Active); break;
    case StartView::Inactive: browser_->selectView(ItemView::Inactive); break;
    }
    window_->setViewCaption(browser_->caption());
    showCounters();
}

void ProgramHost::showCounters()
{
    window_->setCounters(browser_->position(), browser_->total());
}

void ProgramHost::closeSplash()
{
    if (splash_)
        splash_->close();
    splash_.reset();
}

int ProgramHost::screenWidthPixels()
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->size().width() : 1024;
}

int ProgramHost::screenHeightPixels()
{
    const QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->size().height() : 768;
}

double ProgramHost::twipsPerPixel()
{
    return window_->twipsPerPixel();
}

void ProgramHost::setMainWindowWidth(double twips)
{
    window_->setWidthTwips(twips);
}

void ProgramHost::hideSmallScreenButtons()
{
    window_->hideSmallScreenButtons();
}

void ProgramHost::deleteFile(const QString& path)
{
    QFile::remove(path);
}

void ProgramHost::showMainWindow()
{
    window_->show();
    if (envFlag("GW_CLOSE_WHEN_SHOWN")) {
        // Test hook: report what the window shows, then close it like the user would.
        QTimer::singleShot(0, window_.get(), [w = window_.get()] {
            const QByteArray line = (QStringLiteral("shown ") + w->objectName() + QStringLiteral(": ")
                                     + w->windowTitle() + QStringLiteral(" | Item: ") + w->positionText()
                                     + QStringLiteral(" of ") + w->totalText() + QChar('\n'))
                                        .toUtf8();
            std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
            std::fflush(stderr);
            w->close();
        });
    }
}

QDate ProgramHost::today()
{
    return QDate::currentDate();
}

void ProgramHost::runDailyUpgradeCheck()
{
    if (dailyUpgradeCheck)
        dailyUpgradeCheck();
}

void ProgramHost::resetMousePointer()
{
    while (QApplication::overrideCursor())
        QApplication::restoreOverrideCursor();
}

void ProgramHost::commitRecord()
{
    if (!browser_)
        return;
    try {
        browser_->commit();
    } catch (const DbException& e) {
        throw failureOf(e);
    }
}

void ProgramHost::showMaintenanceWindow()
{
    if (maintenanceWindow)
        maintenanceWindow();
}

QDateTime ProgramHost::now()
{
    return QDateTime::currentDateTime();
}

double ProgramHost::windowHeightTwips()
{
    return window_->heightTwips();
}

double ProgramHost::windowWidthTwips()
{
    return window_->widthTwips();
}

void ProgramHost::endProgram()
{
    // Every other window goes without its own close handling; the main window is closing.
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != window_.get())
            w->hide();
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

} // namespace gw

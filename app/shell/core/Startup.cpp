#include "Startup.h"

#include "DateText.h"
#include "Prompt.h"
#include "SettingCopies.h"
#include "SettingKeys.h"

#include <QDir>

namespace gw {

const char* const MissingDatabaseMessage =
    "Gavelwise could not find the gw2.mdb file in the same directory as the Gavwis2.exe file.  "
    "Make sure you have placed the new Gavwis2.exe file in the Gavelwise directory with your "
    "database file (gw2.mdb).";
const char* const AlreadyRunningMessage = "A copy of Gavelwise is already running.  Please use the other copy.";
const char* const BackupReminderMessage =
    "You have not backed up your database recently.  Click OK to go to the backup screen, or "
    "Cancel to abort.";

namespace {
// Failures of our own conversions carry the runtime's numbers and the program's name.
const QString kSource = QStringLiteral("Gavelwise");
StepFailure typeMismatch()
{
    return StepFailure(13, kSource, QStringLiteral("Type mismatch"));
}

void showFailure(const std::exception& e)
{
    if (const auto* f = dynamic_cast<const StepFailure*>(&e))
        showStandardError(f->number, f->source, f->description);
    else
        showStandardError(0, kSource, QString::fromLocal8Bit(e.what()));
}

void seedLinks()
{
    for (int n = 1; n <= 3; ++n) {
        const SettingKey name = keys::linkName(n);
        if (!readSetting(name).isEmpty())
            continue;
        writeSetting(name, QString::fromLatin1(keys::SeededLinks[n - 1].name));
        writeSetting(keys::linkUrl(n), QString::fromLatin1(keys::SeededLinks[n - 1].url));
    }
}

void restoreView(StartupHost& host)
{
    const QString viewed = readSetting(keys::ItemsViewed);
    if (viewed == QLatin1String("All"))
        host.selectView(StartView::All);
    else if (viewed == QLatin1String("Open"))
        host.selectView(StartView::Active);
    else if (viewed == QLatin1String("Closed"))
        host.selectView(StartView::Inactive);
}

void checkScreen(StartupHost& host)
{
    const int w = host.screenWidthPixels();
    const int h = host.screenHeightPixels();
    const bool small = w < 800 || h < 600;
    const double fallback = small ? w * host.twipsPerPixel() - 150.0 : 11800.0;
    // A stored width that is not a number counts as none.
    const double width = readWindowSize(keys::MainFormWidth, fallback).value_or(fallback);
    host.setMainWindowWidth(width);
    if (small)
        host.hideSmallScreenButtons();
}

void dailyUpgradeCheck(StartupHost& host)
{
    if (readWhole(keys::UpgradeAlways) != std::optional<qint16>(1))
        return;
    // A stored day that is not a date runs the check, which stores a good one.
    const auto last = parseGeneralDate(readSetting(keys::DateUpgraded));
    if (!last || last->date() < host.today())
        host.runDailyUpgradeCheck();
}
} // namespace

StepFailure::StepFailure(long n, QString src, QString desc)
    : std::runtime_error(desc.toStdString()), number(n), source(std::move(src)), description(std::move(desc))
{
}

QString splashVersionLine()
{
    return QStringLiteral("Version %1.%2 (2/2/2000)").arg(ProgramVersionMajor).arg(ProgramVersionMinor);
}

StartupResult runStartup(const QString& programFolder, StartupHost& host)
{
    ProgramValues& v = values();
    v.ProgramDir = programFolder;
    if (v.ProgramDir.endsWith(QChar('\\')) || v.ProgramDir.endsWith(QChar('/')))
        v.ProgramDir.chop(1);
    v.DatabasePath = v.programFile(QStringLiteral("gw2.mdb"));

    const OpenFailure open = host.openDatabase(v.DatabasePath);
    switch (open.kind) {
    case OpenFailure::Kind::None:
        break;
    case OpenFailure::Kind::FileNotFound:
        prompt().message(QString::fromLatin1(MissingDatabaseMessage));
        return StartupResult::MissingDatabase;
    case OpenFailure::Kind::DiskOrNetwork: // without a database nothing below can work
    case OpenFailure::Kind::Other:
        showStandardError(open.number, open.source, open.description);
        return StartupResult::OpenFailed;
    }

    try {
        host.upgradeSchema();
        writeSetting(keys::AppPath, v.ProgramDir);
        v.LocalTimeZone = host.localTimeZone();
        seedLinks();

        host.showSplash(splashVersionLine());
        host.pause(1.0);

        if (!host.acquireSingleInstance()) {
            prompt().message(QString::fromLatin1(AlreadyRunningMessage));
            return StartupResult::AlreadyRunning;
        }
        loadSettingCopies();
        host.createMainWindow();
        restoreView(host);
        host.closeSplash();
        checkScreen(host);
        host.deleteFile(v.programFile(QStringLiteral("Start.htm")));
        host.deleteFile(v.programFile(QStringLiteral("Leave.htm")));
        host.showMainWindow();
        dailyUpgradeCheck(host);
    } catch (const std::exception& e) {
        showFailure(e);
        return StartupResult::Failed;
    }
    return StartupResult::Running;
}

void runCloseSequence(CloseHost& host)
{
    try {
        host.resetMousePointer();
        host.commitRecord();

        const QDateTime now = host.now();
        const auto last = readDate(keys::LastBackedUp, now);
        if (!last)
            throw typeMismatch();
        const auto days = readWhole(keys::BackupDays);
        if (!days)
            throw typeMismatch();
        if (*days > 0 && last->date().daysTo(now.date()) >= *days) {
            const PromptAnswer a = prompt().message(QString::fromLatin1(BackupReminderMessage),
                                                    QStringLiteral("Backup?"), PromptIcon::Information,
                                                    PromptButtons::OkCancel);
            if (a == PromptAnswer::Ok)
                host.showMaintenanceWindow();
            else
                writeDate(keys::LastBackedUp, last->addDays(3));
        }

        writeSetting(keys::MainFormHeight, windowSizeText(host.windowHeightTwips()));
        writeSetting(keys::MainFormWidth, windowSizeText(host.windowWidthTwips()));
        host.endProgram();
    } catch (const std::exception& e) {
        showFailure(e);
    }
}

} // namespace gw

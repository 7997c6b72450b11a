#pragma once
// The program's start-up steps and the main window's close sequence, as logic. Every outside
// service (database, windows, screen, clock, files) comes through the host interfaces, so
// tests drive the whole sequence without windows.

#include "ProgramValues.h"

#include <QDateTime>
#include <QString>

#include <stdexcept>

namespace gw {

inline constexpr int ProgramVersionMajor = 2;
inline constexpr int ProgramVersionMinor = 1;
// "Version 2.1 (2/2/2000)"
QString splashVersionLine();

// The exact texts shown by start-up.
extern const char* const MissingDatabaseMessage;
extern const char* const AlreadyRunningMessage;
extern const char* const BackupReminderMessage;

// How opening the database failed.
struct OpenFailure {
    enum class Kind { None, FileNotFound, DiskOrNetwork, Other };
    Kind kind = Kind::None;
    long number = 0;
    QString source;
    QString description;
};

enum class StartView { All, Active, Inactive };

// A failing step: reported with the standard error box.
class StepFailure : public std::runtime_error {
public:
    StepFailure(long number, QString source, QString description);
    long number;
    QString source;
    QString description;
};

class StartupHost {
public:
    virtual ~StartupHost() = default;
    // Step 2: open `path` shared, read-write, and make it values().ItemDatabase.
    virtual OpenFailure openDatabase(const QString& path) = 0;
    // Step 3: bring the schema up to date (failures are not caught by start-up).
    virtual void upgradeSchema() = 0;
    virtual TimeZoneInfo localTimeZone() = 0;
    virtual void showSplash(const QString& versionLine) = 0;
    virtual void pause(double seconds) = 0;
    // Step 8.1: false when another copy of the program runs.
    virtual bool acquireSingleInstance() = 0;
    // Step 8.2 (window load; the setting copies are filled by start-up itself) and 8.3.
    virtual void createMainWindow() = 0;
    virtual void selectView(StartView view) = 0;
    virtual void closeSplash() = 0;
    // Step 10. The screen in pixels and twips per pixel (15 at 96 dpi).
    virtual int screenWidthPixels() = 0;
    virtual int screenHeightPixels() = 0;
    virtual double twipsPerPixel() = 0;
    virtual void setMainWindowWidth(double twips) = 0;
    virtual void hideSmallScreenButtons() = 0; // "SpellCheck", "Find" and their separator
    virtual void deleteFile(const QString& path) = 0;
    virtual void showMainWindow() = 0;
    virtual QDate today() = 0;
    // Step 13: the upgrade notice and the maintenance window's upgrade check.
    virtual void runDailyUpgradeCheck() = 0;
};

// Failed: a step after the open failed; it was reported with the standard error box.
enum class StartupResult { Running, MissingDatabase, OpenFailed, AlreadyRunning, Failed };

// Runs steps 1-13 with the program folder `programFolder` (as reported, maybe with a
// trailing separator). On any result but Running the program must end at once.
StartupResult runStartup(const QString& programFolder, StartupHost& host);

class CloseHost {
public:
    virtual ~CloseHost() = default;
    virtual void resetMousePointer() = 0;
    // Writes the window's fields to the record. Throws StepFailure (or std::exception).
    virtual void commitRecord() = 0;
    virtual void showMaintenanceWindow() = 0; // modal
    virtual QDateTime now() = 0;
    virtual double windowHeightTwips() = 0;
    virtual double windowWidthTwips() = 0;
    // Ends the program: every other window closes without its own close handling.
    virtual void endProgram() = 0;
};

// The close sequence. A failing step shows the standard error box and drops the rest;
// the caller closes the main window either way.
void runCloseSequence(CloseHost& host);

} // namespace gw

#pragma once
// The real services behind start-up and the close sequence: the item database, the splash
// and main windows, the screen, the clock and the instance lock.

#include "core/Startup.h"
#include "core/SystemInfo.h"

#include <functional>
#include <memory>

namespace gw {

class Database;
class ItemBrowser;
class MainWindow;
class SplashWindow;

class ProgramHost : public StartupHost, public CloseHost {
public:
    ProgramHost();
    ~ProgramHost() override;

    // Hooks of windows that other parts of the program provide; they do nothing until set.
    std::function<void()> dailyUpgradeCheck;
    std::function<void()> maintenanceWindow;

    MainWindow* mainWindow() const { return window_.get(); }

    // StartupHost
    OpenFailure openDatabase(const QString& path) override;
    void upgradeSchema() override;
    TimeZoneInfo localTimeZone() override;
    void showSplash(const QString& versionLine) override;
    void pause(double seconds) override;
    bool acquireSingleInstance() override;
    void createMainWindow() override;
    void selectView(StartView view) override;
    void closeSplash() override;
    int screenWidthPixels() override;
    int screenHeightPixels() override;
    double twipsPerPixel() override;
    void setMainWindowWidth(double twips) override;
    void hideSmallScreenButtons() override;
    void deleteFile(const QString& path) override;
    void showMainWindow() override;
    QDate today() override;
    void runDailyUpgradeCheck() override;

    // CloseHost
    void resetMousePointer() override;
    void commitRecord() override;
    void showMaintenanceWindow() override;
    QDateTime now() override;
    double windowHeightTwips() override;
    double windowWidthTwips() override;
    void endProgram() override;

private:
    void showCounters();

    std::unique_ptr<Database> db_;
    std::unique_ptr<ItemBrowser> browser_;
    std::unique_ptr<SplashWindow> splash_;
    std::unique_ptr<MainWindow> window_;
    InstanceLock lock_;
};

} // namespace gw

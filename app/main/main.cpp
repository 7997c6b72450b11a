// Gavelwise: start-up, then the main window until it closes.

#include "ProgramHost.h"
#include "core/ProgramDir.h"
#include "core/Prompt.h"
#include "core/SettingsStore.h"
#include "core/Startup.h"
#include "ui/QtPrompt.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Gavelwise"));

    // GW_PROMPT_STDERR=1 (tests only): prompts print to stderr and answer with their first
    // button instead of waiting for a user.
    std::unique_ptr<gw::Prompt> prompt;
    if (qEnvironmentVariableIntValue("GW_PROMPT_STDERR") != 0)
        prompt = std::make_unique<gw::StderrPrompt>();
    else
        prompt = std::make_unique<gw::QtPrompt>();
    gw::setPrompt(prompt.get());

    gw::SettingsStore store(gw::SettingsStore::defaultPath());
    gw::setSettings(&store);

    int rc = 0;
    {
        gw::ProgramHost host;
        switch (gw::runStartup(gw::resolveProgramDir(), host)) {
        case gw::StartupResult::Running: rc = QApplication::exec(); break;
        case gw::StartupResult::AlreadyRunning: rc = 0; break;
        case gw::StartupResult::MissingDatabase:
        case gw::StartupResult::OpenFailed:
        case gw::StartupResult::Failed: rc = 1; break;
        }
    }
    gw::setSettings(nullptr);
    gw::setPrompt(nullptr);
    return rc;
}

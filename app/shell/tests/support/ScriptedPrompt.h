#pragma once
// Test doubles for the program-wide prompt and settings store (GoogleTest).
//
//   gw::test::ScriptedPrompt p;            // installs itself as gw::prompt() until destroyed
//   p.expectMessage("Delete it?", "Confirm", gw::PromptIcon::Question,
//                   gw::PromptButtons::YesNo, gw::PromptAnswer::Yes);
//   p.expectInput("Name:", QString("x"));   // or std::nullopt for Cancel
//   ... run the code ...
//   EXPECT_EQ(p.browserOpenings(), QStringList{"file.htm"});
//
// Expectations are consumed in order. A prompt that does not match the next expectation
// (or comes when none is left) fails the test at once (ADD_FAILURE) and gets a safe answer:
// Cancel / No / Abort for messages with such a button, OK otherwise, nullopt for dialogs.
// Expectations left over when the object is destroyed fail the test too.
// An empty caption, expected or shown, means the default caption "Gavelwise".
// Browser openings and program starts are never expected; they are only recorded.
//
//   gw::test::TempSettings s;  // a fresh settings file in its own temporary folder, installed
//                              // as gw::settings() (and $GW_SETTINGS_FILE) until destroyed;
//                              // then the store installed before it is back (they nest)
//
//   class MyTest : public gw::test::PromptTest {...};  // a fixture holding both

#include "core/Prompt.h"
#include "core/SettingsStore.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace gw::test {

enum class PromptKind { Message, Input, OpenFile, SaveFile, Font, Color, Browser, Program };

// One thing the code showed or did, in order.
struct ShownPrompt {
    PromptKind kind = PromptKind::Message;
    QString text;     // message / input text; browser target; program
    QString caption;  // as passed (may be empty); for file dialogs their caption
    PromptIcon icon = PromptIcon::None;
    PromptButtons buttons = PromptButtons::Ok;
    QString detail;   // input default text; file dialog "folder|filter"
    QStringList arguments; // program arguments
};

class ScriptedPrompt : public Prompt {
public:
    ScriptedPrompt();
    ~ScriptedPrompt() override;
    ScriptedPrompt(const ScriptedPrompt&) = delete;
    ScriptedPrompt& operator=(const ScriptedPrompt&) = delete;

    ScriptedPrompt& expectMessage(const QString& text, const QString& caption, PromptIcon icon,
                                  PromptButtons buttons, PromptAnswer answer);
    // The same, matching any text that starts with `prefix` (for texts that carry system detail).
    ScriptedPrompt& expectMessageStartingWith(const QString& prefix, const QString& caption,
                                              PromptIcon icon, PromptButtons buttons,
                                              PromptAnswer answer);
    // The standard error box for this number and source, any description.
    ScriptedPrompt& expectStandardError(long number, const QString& source);
    ScriptedPrompt& expectInput(const QString& text, std::optional<QString> answer);
    ScriptedPrompt& expectOpenFile(std::optional<QString> answer);
    ScriptedPrompt& expectSaveFile(std::optional<QString> answer);
    ScriptedPrompt& expectFont(std::optional<FontChoice> answer);
    ScriptedPrompt& expectColor(std::optional<quint32> answer);

    // What startProgram() answers (default true).
    void setStartProgramResult(bool ok);

    const std::vector<ShownPrompt>& shown() const { return shown_; }
    QStringList messageTexts() const;    // texts of all messages, in order
    QStringList browserOpenings() const; // targets, in order
    std::vector<std::pair<QString, QStringList>> programStarts() const;
    std::size_t pendingExpectations() const { return expected_.size(); }

    // Prompt
    PromptAnswer message(const QString& text, const QString& caption, PromptIcon icon,
                         PromptButtons buttons) override;
    std::optional<QString> input(const QString& text, const QString& caption,
                                 const QString& defaultText) override;
    std::optional<QString> openFile(const QString& caption, const QString& folder,
                                    const QString& filter) override;
    std::optional<QString> saveFile(const QString& caption, const QString& folder,
                                    const QString& filter) override;
    std::optional<FontChoice> chooseFont(const FontChoice& initial) override;
    std::optional<quint32> chooseColor(quint32 initial) override;
    void openInBrowser(const QString& target) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;

private:
    struct Expectation {
        PromptKind kind = PromptKind::Message;
        QString text, caption;
        bool prefixOnly = false;
        PromptIcon icon = PromptIcon::None;
        PromptButtons buttons = PromptButtons::Ok;
        PromptAnswer answer = PromptAnswer::Ok;
        std::optional<QString> textAnswer;
        std::optional<FontChoice> fontAnswer;
        std::optional<quint32> colorAnswer;
    };
    // Moves the next expectation into `out` if it is of this kind; otherwise fails the test.
    bool take(PromptKind kind, const QString& what, Expectation& out);
    static QString describe(const Expectation& e);
    ScriptedPrompt& expectDialog(PromptKind kind, std::optional<QString> answer);
    static Expectation makeExpectation(PromptKind kind, const QString& text, const QString& caption);

    Prompt* previous_ = nullptr;
    std::deque<Expectation> expected_;
    std::vector<ShownPrompt> shown_;
    bool startResult_ = true;
};

class TempSettings {
public:
    TempSettings();
    ~TempSettings();
    TempSettings(const TempSettings&) = delete;
    TempSettings& operator=(const TempSettings&) = delete;

    SettingsStore& store() { return *store_; }
    QString path() const { return store_->path(); }
    QString folder() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    std::unique_ptr<SettingsStore> store_;
    SettingsStore* previous_ = nullptr;
    QByteArray oldEnv_;
    bool hadEnv_ = false;
};

// A fixture with both doubles installed.
class PromptTest : public ::testing::Test {
protected:
    TempSettings settingsFile;
    ScriptedPrompt prompts;
};

} // namespace gw::test

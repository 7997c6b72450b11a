#include "ScriptedPrompt.h"

#include <QFile>

namespace gw::test {

namespace {
const char* kindName(PromptKind k)
{
    switch (k) {
    case PromptKind::Message: return "message";
    case PromptKind::Input: return "input box";
    case PromptKind::OpenFile: return "open-file dialog";
    case PromptKind::SaveFile: return "save-file dialog";
    case PromptKind::Font: return "font dialog";
    case PromptKind::Color: return "colour dialog";
    case PromptKind::Browser: return "browser";
    case PromptKind::Program: return "program start";
    }
    return "?";
}

std::string show(const QString& s)
{
    QString t = s;
    t.replace(QChar('\r'), QStringLiteral("<CR>")).replace(QChar('\n'), QStringLiteral("<LF>"));
    return t.toStdString();
}
} // namespace

ScriptedPrompt::Expectation ScriptedPrompt::makeExpectation(PromptKind kind, const QString& text,
                                                           const QString& caption)
{
    Expectation e;
    e.kind = kind;
    e.text = text;
    e.caption = caption;
    return e;
}

ScriptedPrompt::ScriptedPrompt() : previous_(&prompt())
{
    setPrompt(this);
}

ScriptedPrompt::~ScriptedPrompt()
{
    for (const Expectation& e : expected_)
        ADD_FAILURE() << "expected but never shown: " << describe(e).toStdString();
    setPrompt(previous_);
}

QString ScriptedPrompt::describe(const Expectation& e)
{
    return QString::fromLatin1(kindName(e.kind)) + QStringLiteral(" \"") + QString::fromStdString(show(e.text))
        + QStringLiteral("\" caption \"") + e.caption + QChar('"');
}

ScriptedPrompt& ScriptedPrompt::expectMessage(const QString& text, const QString& caption, PromptIcon icon,
                                              PromptButtons buttons, PromptAnswer answer)
{
    Expectation e = makeExpectation(PromptKind::Message, text, captionOrDefault(caption));
    e.icon = icon;
    e.buttons = buttons;
    e.answer = answer;
    expected_.push_back(e);
    return *this;
}

ScriptedPrompt& ScriptedPrompt::expectMessageStartingWith(const QString& prefix, const QString& caption,
                                                          PromptIcon icon, PromptButtons buttons,
                                                          PromptAnswer answer)
{
    expectMessage(prefix, caption, icon, buttons, answer);
    expected_.back().prefixOnly = true;
    return *this;
}

ScriptedPrompt& ScriptedPrompt::expectStandardError(long number, const QString& source)
{
    return expectMessageStartingWith(standardErrorText(number, source, QString()), QStringLiteral("Error"),
                                     PromptIcon::None, PromptButtons::Ok, PromptAnswer::Ok);
}

ScriptedPrompt& ScriptedPrompt::expectDialog(PromptKind kind, std::optional<QString> answer)
{
    Expectation e = makeExpectation(kind, QString(), QString());
    e.textAnswer = std::move(answer);
    expected_.push_back(e);
    return *this;
}

ScriptedPrompt& ScriptedPrompt::expectInput(const QString& text, std::optional<QString> answer)
{
    Expectation e = makeExpectation(PromptKind::Input, text, QString());
    e.textAnswer = std::move(answer);
    expected_.push_back(e);
    return *this;
}

ScriptedPrompt& ScriptedPrompt::expectOpenFile(std::optional<QString> answer)
{
    return expectDialog(PromptKind::OpenFile, std::move(answer));
}

ScriptedPrompt& ScriptedPrompt::expectSaveFile(std::optional<QString> answer)
{
    return expectDialog(PromptKind::SaveFile, std::move(answer));
}

ScriptedPrompt& ScriptedPrompt::expectFont(std::optional<FontChoice> answer)
{
    Expectation e = makeExpectation(PromptKind::Font, QString(), QString());
    e.fontAnswer = std::move(answer);
    expected_.push_back(e);
    return *this;
}

ScriptedPrompt& ScriptedPrompt::expectColor(std::optional<quint32> answer)
{
    Expectation e = makeExpectation(PromptKind::Color, QString(), QString());
    e.colorAnswer = answer;
    expected_.push_back(e);
    return *this;
}

void ScriptedPrompt::setStartProgramResult(bool ok)
{
    startResult_ = ok;
}

QStringList ScriptedPrompt::messageTexts() const
{
    QStringList out;
    for (const ShownPrompt& s : shown_)
        if (s.kind == PromptKind::Message)
            out << s.text;
    return out;
}

QStringList ScriptedPrompt::browserOpenings() const
{
    QStringList out;
    for (const ShownPrompt& s : shown_)
        if (s.kind == PromptKind::Browser)
            out << s.text;
    return out;
}

std::vector<std::pair<QString, QStringList>> ScriptedPrompt::programStarts() const
{
    std::vector<std::pair<QString, QStringList>> out;
    for (const ShownPrompt& s : shown_)
        if (s.kind == PromptKind::Program)
            out.emplace_back(s.text, s.arguments);
    return out;
}

bool ScriptedPrompt::take(PromptKind kind, const QString& what, Expectation& out)
{
    if (expected_.empty()) {
        ADD_FAILURE() << "unexpected " << kindName(kind) << ": " << show(what);
        return false;
    }
    if (expected_.front().kind != kind) {
        ADD_FAILURE() << "unexpected " << kindName(kind) << ": " << show(what)
                      << "\n  expected: " << describe(expected_.front()).toStdString();
        return false;
    }
    out = std::move(expected_.front());
    expected_.pop_front();
    return true;
}

PromptAnswer ScriptedPrompt::message(const QString& text, const QString& caption, PromptIcon icon,
                                     PromptButtons buttons)
{
    shown_.push_back({PromptKind::Message, text, caption, icon, buttons, QString(), {}});
    Expectation e;
    const bool ok = take(PromptKind::Message, text, e);
    if (!ok)
        return safeAnswer(buttons);
    const bool textOk = e.prefixOnly ? text.startsWith(e.text) : text == e.text;
    const QString shownCaption = captionOrDefault(caption);
    if (!textOk || shownCaption != e.caption || icon != e.icon || buttons != e.buttons) {
        ADD_FAILURE() << "message differs from the expected one\n  shown:    \"" << show(text)
                      << "\" caption \"" << shownCaption.toStdString() << "\" icon "
                      << static_cast<int>(icon) << " buttons " << static_cast<int>(buttons)
                      << "\n  expected: \"" << show(e.text) << (e.prefixOnly ? "...\"" : "\"")
                      << " caption \"" << e.caption.toStdString() << "\" icon "
                      << static_cast<int>(e.icon) << " buttons " << static_cast<int>(e.buttons);
        return safeAnswer(buttons);
    }
    return e.answer;
}

std::optional<QString> ScriptedPrompt::input(const QString& text, const QString& caption,
                                             const QString& defaultText)
{
    shown_.push_back({PromptKind::Input, text, caption, PromptIcon::None, PromptButtons::OkCancel, defaultText, {}});
    Expectation e;
    const bool ok = take(PromptKind::Input, text, e);
    if (!ok)
        return std::nullopt;
    if (text != e.text) {
        ADD_FAILURE() << "input box text \"" << show(text) << "\", expected \"" << show(e.text) << "\"";
        return std::nullopt;
    }
    return e.textAnswer;
}

std::optional<QString> ScriptedPrompt::openFile(const QString& caption, const QString& folder,
                                                const QString& filter)
{
    shown_.push_back({PromptKind::OpenFile, QString(), caption, PromptIcon::None, PromptButtons::OkCancel,
                      folder + QChar('|') + filter, {}});
    Expectation e;
    const bool ok = take(PromptKind::OpenFile, caption, e);
    return ok ? e.textAnswer : std::nullopt;
}

std::optional<QString> ScriptedPrompt::saveFile(const QString& caption, const QString& folder,
                                                const QString& filter)
{
    shown_.push_back({PromptKind::SaveFile, QString(), caption, PromptIcon::None, PromptButtons::OkCancel,
                      folder + QChar('|') + filter, {}});
    Expectation e;
    const bool ok = take(PromptKind::SaveFile, caption, e);
    return ok ? e.textAnswer : std::nullopt;
}

std::optional<FontChoice> ScriptedPrompt::chooseFont(const FontChoice& initial)
{
    shown_.push_back({PromptKind::Font, initial.family, QString(), PromptIcon::None, PromptButtons::OkCancel,
                      QString(), {}});
    Expectation e;
    const bool ok = take(PromptKind::Font, initial.family, e);
    return ok ? e.fontAnswer : std::nullopt;
}

std::optional<quint32> ScriptedPrompt::chooseColor(quint32 initial)
{
    const QString what = QString::number(initial, 16);
    shown_.push_back({PromptKind::Color, what, QString(), PromptIcon::None, PromptButtons::OkCancel, QString(), {}});
    Expectation e;
    const bool ok = take(PromptKind::Color, what, e);
    return ok ? e.colorAnswer : std::nullopt;
}

void ScriptedPrompt::openInBrowser(const QString& target)
{
    shown_.push_back({PromptKind::Browser, target, QString(), PromptIcon::None, PromptButtons::Ok, QString(), {}});
}

bool ScriptedPrompt::startProgram(const QString& program, const QStringList& arguments)
{
    shown_.push_back({PromptKind::Program, program, QString(), PromptIcon::None, PromptButtons::Ok, QString(), arguments});
    return startResult_;
}

TempSettings::TempSettings()
{
    previous_ = installedSettings();
    hadEnv_ = qEnvironmentVariableIsSet("GW_SETTINGS_FILE");
    oldEnv_ = qgetenv("GW_SETTINGS_FILE");
    const QString file = dir_.filePath(QStringLiteral("settings.ini"));
    store_ = std::make_unique<SettingsStore>(file);
    qputenv("GW_SETTINGS_FILE", QFile::encodeName(file));
    setSettings(store_.get());
}

TempSettings::~TempSettings()
{
    setSettings(previous_);
    if (hadEnv_)
        qputenv("GW_SETTINGS_FILE", oldEnv_);
    else
        qunsetenv("GW_SETTINGS_FILE");
}

} // namespace gw::test

#pragma once
// The real prompt: Qt message boxes and common dialogs, the desktop's default handler and
// detached program starts.

#include "core/Prompt.h"

#include <QString>

class QWidget;

namespace gw {

class QtPrompt : public Prompt {
public:
    PromptAnswer message(const QString& text, const QString& caption, PromptIcon icon,
                         PromptButtons buttons) override;
    std::optional<QString> input(const QString& text, const QString& caption,
                                 const QString& defaultText) override;
    // Filters in Qt's form: "Pictures (*.jpg *.gif);;All files (*)".
    std::optional<QString> openFile(const QString& caption, const QString& folder,
                                    const QString& filter) override;
    std::optional<QString> saveFile(const QString& caption, const QString& folder,
                                    const QString& filter) override;
    std::optional<FontChoice> chooseFont(const FontChoice& initial) override;
    std::optional<quint32> chooseColor(quint32 initial) override;
    // Web addresses (anything with a scheme) as they are; everything else as a local file.
    void openInBrowser(const QString& target) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;

    // The text a message box shows: a lone CR (the program's line break) becomes a line break.
    static QString displayText(const QString& text);
    // The address openInBrowser hands on.
    static QString urlFor(const QString& target);
};

} // namespace gw

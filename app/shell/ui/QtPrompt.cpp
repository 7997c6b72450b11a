#include "QtPrompt.h"

#include "core/ProgramValues.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QUrl>

namespace gw {

namespace {

QWidget* parentWindow()
{
    return QApplication::activeWindow();
}

QMessageBox::Icon qtIcon(PromptIcon icon)
{
    switch (icon) {
    case PromptIcon::None: return QMessageBox::NoIcon;
    case PromptIcon::Information: return QMessageBox::Information;
    case PromptIcon::Warning: return QMessageBox::Warning;
    case PromptIcon::Critical: return QMessageBox::Critical;
    case PromptIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qtButtons(PromptButtons buttons)
{
    switch (buttons) {
    case PromptButtons::Ok: return QMessageBox::Ok;
    case PromptButtons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case PromptButtons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case PromptButtons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case PromptButtons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    case PromptButtons::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton firstButton(PromptButtons buttons)
{
    switch (firstAnswer(buttons)) {
    case PromptAnswer::Yes: return QMessageBox::Yes;
    case PromptAnswer::Retry: return QMessageBox::Retry;
    case PromptAnswer::Abort: return QMessageBox::Abort;
    default: return QMessageBox::Ok;
    }
}

PromptAnswer answerOf(int button, PromptButtons buttons)
{
    switch (button) {
    case QMessageBox::Ok: return PromptAnswer::Ok;
    case QMessageBox::Cancel: return PromptAnswer::Cancel;
    case QMessageBox::Yes: return PromptAnswer::Yes;
    case QMessageBox::No: return PromptAnswer::No;
    case QMessageBox::Retry: return PromptAnswer::Retry;
    case QMessageBox::Abort: return PromptAnswer::Abort;
    case QMessageBox::Ignore: return PromptAnswer::Ignore;
    default: return safeAnswer(buttons); // closed by the window's close box
    }
}

quint32 toBgr(const QColor& c)
{
    return static_cast<quint32>(c.red()) | (static_cast<quint32>(c.green()) << 8)
        | (static_cast<quint32>(c.blue()) << 16);
}

QColor fromBgr(quint32 v)
{
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

} // namespace

QString QtPrompt::displayText(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QChar('\r'), QChar('\n'));
    return t;
}

QString QtPrompt::urlFor(const QString& target)
{
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (scheme.match(target).hasMatch() && !target.contains(QStringLiteral(":\\")))
        return QUrl(target).toString();
    return QUrl::fromLocalFile(target).toString();
}

PromptAnswer QtPrompt::message(const QString& text, const QString& caption, PromptIcon icon,
                               PromptButtons buttons)
{
    QMessageBox box(qtIcon(icon), captionOrDefault(caption), displayText(text), qtButtons(buttons),
                    parentWindow());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(firstButton(buttons));
    return answerOf(box.exec(), buttons);
}

std::optional<QString> QtPrompt::input(const QString& text, const QString& caption, const QString& defaultText)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(parentWindow(), captionOrDefault(caption), displayText(text),
                                                 QLineEdit::Normal, defaultText, &ok);
    if (!ok)
        return std::nullopt;
    return answer;
}

std::optional<QString> QtPrompt::openFile(const QString& caption, const QString& folder, const QString& filter)
{
    const QString path = QFileDialog::getOpenFileName(parentWindow(), caption, folder, filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<QString> QtPrompt::saveFile(const QString& caption, const QString& folder, const QString& filter)
{
    const QString path = QFileDialog::getSaveFileName(parentWindow(), caption, folder, filter);
    if (path.isEmpty())
        return std::nullopt;
    return path;
}

std::optional<FontChoice> QtPrompt::chooseFont(const FontChoice& initial)
{
    QFont f(initial.family);
    if (initial.pointSize > 0)
        f.setPointSizeF(initial.pointSize);
    f.setBold(initial.bold);
    f.setItalic(initial.italic);
    f.setUnderline(initial.underline);
    f.setStrikeOut(initial.strikeOut);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, f, parentWindow());
    if (!ok)
        return std::nullopt;
    FontChoice c;
    c.family = chosen.family();
    c.pointSize = chosen.pointSizeF();
    c.bold = chosen.bold();
    c.italic = chosen.italic();
    c.underline = chosen.underline();
    c.strikeOut = chosen.strikeOut();
    c.color = initial.color; // Qt's font dialog has no colour
    return c;
}

std::optional<quint32> QtPrompt::chooseColor(quint32 initial)
{
    const QColor c = QColorDialog::getColor(fromBgr(initial), parentWindow());
    if (!c.isValid())
        return std::nullopt;
    return toBgr(c);
}

void QtPrompt::openInBrowser(const QString& target)
{
    QDesktopServices::openUrl(QUrl(urlFor(target)));
}

bool QtPrompt::startProgram(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments, values().ProgramDir);
}

} // namespace gw

// The rules the main window applies while the user edits the current item's fields.

#include "DateValue.h"
#include "ItemBrowser.h"

#include "core/ProgramValues.h"
#include "core/Prompt.h"

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace gw {

namespace {

const QString InvalidEbayIdText = QStringLiteral(
    "eBayID's can only have numbers in them. This field should be filled with the unique number eBay "
    "assigns your auction.");

QString pictureColumn(int n) { return QStringLiteral("Picture%1Path").arg(n); }

bool allDigits(const QString& t)
{
    for (const QChar c : t)
        if (c.unicode() < '0' || c.unicode() > '9')
            return false;
    return true;
}

enum class FileCheck { Exists, Missing, BadName, NotFoundFailure, OtherFailure };

FileCheck checkFile(const QString& path, std::error_code& ec)
{
    if (path.contains(QChar(0)))
        return FileCheck::BadName;
    const std::filesystem::path p(path.toStdString());
    const auto st = std::filesystem::status(p, ec);
    if (!ec)
        return st.type() != std::filesystem::file_type::not_found
                       && st.type() != std::filesystem::file_type::directory
                   ? FileCheck::Exists
                   : FileCheck::Missing;
    switch (ec.value()) {
    case ENOENT:
        return FileCheck::Missing;
    case ENAMETOOLONG:
    case EINVAL:
    case ELOOP:
        return FileCheck::BadName;
    case ENOTDIR:
        return FileCheck::NotFoundFailure;
    default:
        return FileCheck::OtherFailure;
    }
}

} // namespace

void ItemBrowser::ebayIdChanged(const QString& text)
{
    QString id = text.trimmed();
    if (!id.isEmpty() && !allDigits(id)) {
        prompt().message(InvalidEbayIdText, QStringLiteral("Invalid Userid"), PromptIcon::Warning);
        id.clear();
    }
    setField(QStringLiteral("EbayID"), id);
    updateRecordCommands();
    values().CurrentEbayId = id;
}

void ItemBrowser::idChanged(const QString& text)
{
    setField(QStringLiteral("ID"), text);
    bool ok = false;
    const int id = text.trimmed().toInt(&ok);
    if (ok)
        values().CurrentItemId = id;
}

void ItemBrowser::shortDescriptionChanged(const QString& text)
{
    setField(QStringLiteral("ShortDescription"), text);
    updateRecordCommands();
    values().CurrentShortDescription = text;
}

void ItemBrowser::descriptionChanged(const QString& text)
{
    setField(QStringLiteral("Description"), text);
    updateRecordCommands();
}

void ItemBrowser::picturePathChanged(int n, const QString& text)
{
    if (n < 1 || n > 3)
        return;
    setField(pictureColumn(n), text);
    updateRecordCommands();
    if (previewed_ == n)
        requests_.previewPicture = n;
}

bool ItemBrowser::picturePathLeft(int n)
{
    if (n < 1 || n > 3)
        return true;
    const QString path = field(pictureColumn(n)).trimmed();
    if (path.isEmpty())
        return true;
    std::error_code ec;
    switch (checkFile(path, ec)) {
    case FileCheck::Exists:
        return true;
    case FileCheck::Missing:
        break;
    case FileCheck::BadName:
        prompt().message(QStringLiteral("A file is bad or missing. Please ensure the drive with any referenced "
                                        "graphic files is available"),
                         QStringLiteral("Missing file"), PromptIcon::Warning);
        break;
    case FileCheck::NotFoundFailure:
        prompt().message(QStringLiteral("You have entered an invalid path for a media file.\n\r"
                                        "Please note that HTML is not allowed in these fields.  Please re-enter."),
                         QStringLiteral("Invalid file"), PromptIcon::Warning);
        break;
    case FileCheck::OtherFailure:
        showStandardError(ec.value(), QStringLiteral("Gavelwise"), QString::fromStdString(ec.message()));
        break;
    }
    prompt().message(QStringLiteral("Can't find file: ") + path
                         + QStringLiteral("\r\n\r\nYou cannot put the URL to a file on the internet here.  GW "
                                          "assumes it will be uploading the image, so it expects the\r\n"
                                          "path to an image on the hard drive in this box.  Please re-enter a "
                                          "valid path to an image on your hard drive."),
                     QString(), PromptIcon::Warning);
    picturePathChanged(n, QString());
    requests_.focusPicture = n;
    return false;
}

bool ItemBrowser::pictureChosen(int n, const QString& path)
{
    if (path.size() > 100) {
        prompt().message(QStringLiteral("Filepaths cannot be longer than 100 characters.\r\n"
                                        "Please rename file or move to a shorter path."),
                         QStringLiteral("File path too long"), PromptIcon::Warning);
        return false;
    }
    picturePathChanged(n, path);
    requests_.previewPicture = n;
    return true;
}

bool ItemBrowser::moneyKeyTyped(QChar key)
{
    const ushort c = key.unicode();
    if ((c >= '0' && c <= '9') || c == '.' || c == '\b')
        return true;
    ++requests_.beeps;
    return false;
}

void ItemBrowser::moneyChanged(const QString& column, const QString& text)
{
    setField(column, text.isEmpty() ? QStringLiteral("0") : text);
}

void ItemBrowser::recomputeEnds()
{
    const QString startedText = field(QStringLiteral("DateAuctionStarted")).trimmed();
    if (startedText.isEmpty())
        return;
    const auto started = parseDateText(startedText);
    bool ok = false;
    const int days = auctionLength_.trimmed().toInt(&ok);
    if (!started || !ok)
        return; // neither a date nor a length to add: the end stays as it is
    setField(QStringLiteral("DateAuctionEnds"), dateText(started->addDays(days)));
}

void ItemBrowser::dateStartedLeft(const QString& text)
{
    setField(QStringLiteral("DateAuctionStarted"), text);
    recomputeEnds();
}

void ItemBrowser::auctionLengthChosen(const QString& text)
{
    auctionLength_ = text;
    recomputeEnds();
}

void ItemBrowser::auctionLengthLeft(const QString& text)
{
    auctionLength_ = text.trimmed().isEmpty() ? QStringLiteral("7") : text;
}

void ItemBrowser::placementChosen(const QString& text)
{
    placement_ = text;
    setField(QStringLiteral("ImageLocation"), text);
}

void ItemBrowser::useCounterChanged(bool on)
{
    setField(QStringLiteral("UseCounter"), on ? QStringLiteral("1") : QStringLiteral("0"));
}

void ItemBrowser::activeChanged(bool on)
{
    setField(QStringLiteral("Active"), on ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace gw

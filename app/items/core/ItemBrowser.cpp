#include "ItemBrowser.h"

#include "DateValue.h"
#include "ItemSchema.h"
#include "Money.h"

#include "core/ProgramValues.h"
#include "core/Prompt.h"
#include "core/SettingKeys.h"

namespace gw {

namespace {

const QString DeleteText = QStringLiteral(
    "You are about to delete the current auction.  You will not be able to get it back. "
    "\n\r\n\r"
    "Click OK to continue, or Cancel to Abort");
const QString DeleteCaption = QStringLiteral("Deleting Auction");
const QString LastItemText = QStringLiteral("You cannot delete the last item.");

QString textOf(ColumnType type, const QString& column, const QVariant& v)
{
    if (column == QLatin1String("LastPrice")) {
        if (v.isNull())
            return QString();
        return v.value<Money>().toFixed(2);
    }
    if (!v.isValid() || v.isNull())
        return type == ColumnType::YesNo ? QStringLiteral("0") : QString();
    switch (type) {
    case ColumnType::Money:
        return v.typeId() == qMetaTypeId<Money>() ? v.value<Money>().toString() : v.toString();
    case ColumnType::Date:
        return v.typeId() == QMetaType::QDateTime ? dateText(v.toDateTime()) : v.toString();
    case ColumnType::YesNo:
        return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return v.toString();
    }
}

// The field's text as a value for its column; nullopt when the column cannot hold it.
std::optional<QVariant> valueOf(const QString& column, ColumnType type, const QString& text)
{
    const ItemColumn* info = findItemColumn(column);
    if (type == ColumnType::Text && info && info->limit > 0 && text.size() > info->limit)
        return std::nullopt;
    try {
        return fromStorage(type, toStorage(type, text));
    } catch (const DbException&) {
        return std::nullopt;
    }
}

// Engine failures of a command show the standard error box; the command then goes on.
template <typename F>
void reportingFailures(F&& f)
{
    try {
        f();
    } catch (const DbException& e) {
        showStandardError(e.error().number, e.error().source, e.error().description);
    }
}

} // namespace

ItemBrowser::ItemBrowser(Database& db) : db_(db) {}

ItemBrowser::~ItemBrowser() = default;

QString ItemBrowser::caption() const { return view_ ? viewCaption(*view_) : noViewCaption(); }

bool ItemBrowser::hasCurrent() const { return rs_ && rs_->hasCurrent(); }

QStringList ItemBrowser::boundColumns() const { return columns_; }

bool ItemBrowser::isBound(const QString& column) const { return columns_.contains(column); }

QString ItemBrowser::field(const QString& column) const { return fields_.value(column); }

void ItemBrowser::setField(const QString& column, const QString& text)
{
    if (isBound(column))
        fields_.insert(column, text);
}

NavCommands ItemBrowser::navigation() const
{
    const int pos = position_.toInt();
    const int tot = total_.toInt();
    NavCommands n;
    n.first = n.last = n.del = tot > 1;
    n.previous = pos > 1;
    n.next = tot > pos;
    return n;
}

WindowRequests ItemBrowser::takeRequests()
{
    WindowRequests r = requests_;
    requests_ = WindowRequests();
    return r;
}

// ---- views

void ItemBrowser::selectView(ItemView view)
{
    if (hasCurrent())
        validate();
    view_ = view;
    columns_ = viewColumns(view);
    rs_ = db_.openRecordSet(viewQuery(view));
    if (rs_->isEmpty()) {
        if (view == ItemView::All) {
            addWithDefaults();
        } else {
            position_ = total_ = QStringLiteral("0");
            clearFields();
        }
    } else {
        position_ = QStringLiteral("1");
        rs_->moveLast();
        total_ = QString::number(rs_->recordCount());
        rs_->moveFirst();
        showRecord();
    }
    writeSetting(keys::ItemsViewed, viewSavedName(view));
}

void ItemBrowser::refresh()
{
    if (!rs_)
        return;
    rs_->requery();
    position_ = QStringLiteral("1");
    if (rs_->hasCurrent())
        showRecord();
    else
        clearFields();
}

void ItemBrowser::reshow()
{
    if (!hasCurrent())
        return;
    rs_->refreshCurrent();
    showRecord();
}

// ---- showing a record

void ItemBrowser::clearFields()
{
    fields_.clear();
    for (const QString& c : columns_)
        fields_.insert(c, QString());
    updateRecordCommands();
}

void ItemBrowser::showRecord()
{
    fields_.clear();
    for (const QString& c : columns_) {
        QString text;
        try {
            text = textOf(rs_->columnType(c), c, rs_->value(c));
        } catch (const DbException&) {
        }
        fields_.insert(c, text);
    }
    updateRecordCommands();

    // The length box follows the two dates when the record has an end date.
    const auto ends = parseDateText(fields_.value(QStringLiteral("DateAuctionEnds")));
    const auto started = parseDateText(fields_.value(QStringLiteral("DateAuctionStarted")));
    if (ends && started) {
        const qint64 days = started->date().daysTo(ends->date());
        auctionLength_ = days > 10 || days < 3 ? QStringLiteral("7") : QString::number(days);
    }
    const QString location = fields_.value(QStringLiteral("ImageLocation"));
    placement_ = location.isEmpty() ? QStringLiteral("Left") : location;
    if (!fields_.value(QStringLiteral("Picture1Path")).trimmed().isEmpty())
        requests_.previewPicture = 1;

    // Filling the fields fires their change rules.
    idChanged(fields_.value(QStringLiteral("ID")));
    values().CurrentEbayId = fields_.value(QStringLiteral("EbayID"));
    values().CurrentShortDescription = fields_.value(QStringLiteral("ShortDescription"));
}

void ItemBrowser::updateRecordCommands()
{
    auto blank = [this](const char* c) { return fields_.value(QLatin1String(c)).trimmed().isEmpty(); };
    commands_.endingAuction = commands_.ebayListing = !fields_.value(QStringLiteral("EbayID")).isEmpty();
    commands_.uploadImages = !(blank("Picture1Path") && blank("Picture2Path") && blank("Picture3Path"));
    commands_.viewListing = !(fields_.value(QStringLiteral("ShortDescription")).isEmpty()
                              && fields_.value(QStringLiteral("Description")).isEmpty());
}

// ---- commit and validation

void ItemBrowser::commit()
{
    if (!hasCurrent())
        return;
    try {
        for (const QString& c : columns_) {
            const ColumnType type = rs_->columnType(c);
            if (type == ColumnType::Key)
                continue;
            const auto value = valueOf(c, type, fields_.value(c));
            if (!value)
                continue; // the binding drops what the column cannot hold
            if (*value != rs_->value(c))
                rs_->setValue(c, *value);
        }
        rs_->update();
    } catch (const DbException&) {
        rs_->cancelUpdate();
    }
}

void ItemBrowser::validate()
{
    if (!hasCurrent())
        return;
    const struct {
        const char* column;
        const char* fill;
    } defaults[] = {{"Reserve", "0"}, {"MinBid", "1"}, {"Cost", "0"}, {"ImageLocation", "Left"}};
    for (const auto& d : defaults) {
        const QString c = QLatin1String(d.column);
        if (isBound(c) && fields_.value(c).isEmpty())
            fields_.insert(c, QLatin1String(d.fill));
    }
    commit();
}

bool ItemBrowser::moveWithValidation(void (RecordSet::*move)())
{
    validate();
    (rs_.get()->*move)();
    if (rs_->hasCurrent()) {
        showRecord();
        return true;
    }
    return false;
}

// ---- add, delete, duplicate

void ItemBrowser::addRecord()
{
    rs_->addNew();
    rs_->update();
    moveWithValidation(&RecordSet::moveLast);
    position_ = total_ = QString::number(rs_->recordCount());
}

void ItemBrowser::add()
{
    if (total_ == QLatin1String("0")) {
        // Selecting the All view adds the item by itself when the table is empty; a second
        // empty record would be a stray.
        const bool tableEmpty = db_.openRecordSet(viewQuery(ItemView::All))->isEmpty();
        selectView(ItemView::All);
        if (tableEmpty)
            return;
    }
    addWithDefaults();
}

void ItemBrowser::addWithDefaults()
{
    addRecord();
    requests_.focusShortDescription = true;
    requests_.showDefaultPreview = true;

    if (readSetting(keys::DefaultCounters).trimmed().toInt() == 1)
        useCounterChanged(true);
    moneyChanged(QStringLiteral("MinBid"), readSetting(keys::DefaultMinimumBid));
    moneyChanged(QStringLiteral("Reserve"), readSetting(keys::DefaultReserveBid));
    placementChosen(readSetting(keys::DefaultImageLocation));
    auctionLength_ = readSetting(keys::DefaultAuctionLength);
}

void ItemBrowser::removeCurrent()
{
    if (prompt().message(DeleteText, DeleteCaption, PromptIcon::Warning, PromptButtons::OkCancel)
        == PromptAnswer::Cancel)
        return;
    if (position_ == total_) {
        prompt().message(LastItemText);
        return;
    }
    reportingFailures([&] {
        rs_->deleteCurrent();
        rs_->moveNext();
        if (rs_->eof()) {
            rs_->moveLast();
            position_ = QString::number(position_.toInt() - 1);
        }
        const RecordSet::Bookmark mark = rs_->bookmark();
        rs_->moveLast();
        total_ = QString::number(rs_->recordCount());
        rs_->setBookmark(mark);
        showRecord();
    });
}

void ItemBrowser::duplicate()
{
    static const char* const copied[] = {"ShortDescription", "Description", "Picture1Path", "Picture2Path",
                                         "Picture3Path", "Reserve", "MinBid", "Cost", "UseCounter"};
    QHash<QString, QString> taken;
    for (const char* c : copied)
        taken.insert(QLatin1String(c), fields_.value(QLatin1String(c)));
    const QString length = auctionLength_;
    const QString place = placement_;

    add();
    for (auto it = taken.constBegin(); it != taken.constEnd(); ++it)
        setField(it.key(), it.value());
    updateRecordCommands();
    auctionLength_ = length;
    placementChosen(place);
}

// ---- navigation

void ItemBrowser::moveFirst()
{
    if (!rs_)
        return;
    commit();
    reportingFailures([&] {
        moveWithValidation(&RecordSet::moveFirst);
        position_ = QStringLiteral("1");
    });
}

void ItemBrowser::moveLast()
{
    if (!rs_)
        return;
    commit();
    reportingFailures([&] {
        moveWithValidation(&RecordSet::moveLast);
        position_ = QString::number(rs_->recordCount());
    });
}

void ItemBrowser::step(bool forward)
{
    if (!rs_)
        return;
    commit();
    // Past either end the set goes back to that end's record (with a beep if it was already there).
    const auto atEnd = [&] { return forward ? rs_->eof() : rs_->bof(); };
    const auto toEnd = [&] {
        moveWithValidation(forward ? &RecordSet::moveLast : &RecordSet::moveFirst);
        position_ = forward ? QString::number(rs_->recordCount()) : QStringLiteral("1");
    };
    reportingFailures([&] {
        if (atEnd()) {
            ++requests_.beeps;
            toEnd();
            return;
        }
        moveWithValidation(forward ? &RecordSet::moveNext : &RecordSet::movePrevious);
        position_ = QString::number(position_.toInt() + (forward ? 1 : -1));
        if (atEnd())
            toEnd();
    });
}

void ItemBrowser::moveNext() { step(true); }

void ItemBrowser::movePrevious() { step(false); }

void ItemBrowser::find(const Criteria& criteria, bool fromFirst)
{
    if (!rs_)
        return;
    validate();
    reportingFailures([&] {
        if (!criteria.isEmpty() && (fromFirst ? rs_->findFirst(criteria) : rs_->findNext(criteria)))
            showRecord();
    });
    position_ = QString::number(rs_->absolutePosition() + 1);
}

void ItemBrowser::goToPosition(int position)
{
    if (!rs_)
        return;
    validate();
    reportingFailures([&] {
        rs_->moveTo(position - 1);
        showRecord();
    });
    position_ = QString::number(rs_->absolutePosition() + 1);
}

} // namespace gw

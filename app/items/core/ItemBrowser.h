#pragma once
// The main window's record set on the current view and everything the window does with it,
// without the window: views, position and total, add, delete, duplicate, commit, validation,
// showing a record, navigation, and the field rules. The window shows field(column) for each
// bound field, calls the rule methods as the user edits, and reads the command states and
// requests afterwards. Messages go through gw::prompt(); settings through readSetting().

#include "ItemDatabase.h"
#include "ItemViews.h"
#include "JetSql.h"
#include "RecordSet.h"

#include <QChar>
#include <QHash>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace gw {

// Commands whose enabled state follows the current record.
struct ItemCommands {
    bool endingAuction = false; // "Ending an Auction" and button "Ended"
    bool ebayListing = false;   // "Ebay's Listing for Item" and button "EList"
    bool uploadImages = false;  // "Upload Images" and button "Upload"
    bool viewListing = false;   // "View Listing Locally"/"Remotely", buttons "Locally"/"Remotely"
};

// Navigation commands (menu items and buttons) as position and total allow.
struct NavCommands {
    bool first = false;
    bool previous = false;
    bool next = false;
    bool last = false;
    bool del = false;
};

// What the window should do after an operation; takeRequests() hands them over once.
struct WindowRequests {
    bool focusShortDescription = false;
    bool showDefaultPreview = false; // "logormsm.gif" of the program folder
    int previewPicture = 0;          // 1..3: preview that picture; 0: none
    int focusPicture = 0;            // 1..3: put the focus back into that picture field
    int beeps = 0;
};

class ItemBrowser {
public:
    explicit ItemBrowser(Database& db);
    ~ItemBrowser();
    ItemBrowser(const ItemBrowser&) = delete;
    ItemBrowser& operator=(const ItemBrowser&) = delete;

    // Views.
    void selectView(ItemView view);
    std::optional<ItemView> view() const { return view_; }
    QString caption() const;
    bool isChecked(ItemView view) const { return view_ == view; }
    // Re-runs the view's query and shows its first record as position "1" (after an update
    // of records by statement).
    void refresh();
    // Loads the fields again from the current record.
    void reshow();

    // The counters beside "Item:" and "of".
    QString position() const { return position_; }
    QString total() const { return total_; }
    bool hasCurrent() const;
    RecordSet* recordSet() { return rs_.get(); }

    // Record operations.
    void add();
    void removeCurrent();
    void duplicate();
    void commit();
    void validate();

    // Navigation: commit, move, update the counters.
    void moveFirst();
    void movePrevious();
    void moveNext();
    void moveLast();
    // Find: the first (fromFirst) or next record matching; the position is re-read.
    void find(const Criteria& criteria, bool fromFirst);
    // Goes to the record at `position` (counted from 1) of the view.
    void goToPosition(int position);

    // Bound fields.
    QStringList boundColumns() const;
    bool isBound(const QString& column) const;
    QString field(const QString& column) const;
    void setField(const QString& column, const QString& text); // no rule runs
    QString auctionLength() const { return auctionLength_; }
    QString placement() const { return placement_; }

    ItemCommands commands() const { return commands_; }
    NavCommands navigation() const;
    WindowRequests takeRequests();
    // Which picture the preview shows (1..3, 0 none); its path changes reload it.
    void setPreviewedPicture(int n) { previewed_ = n; }

    // Field rules. Each takes the field's new text.
    void ebayIdChanged(const QString& text);
    void idChanged(const QString& text);
    void shortDescriptionChanged(const QString& text);
    void descriptionChanged(const QString& text);
    void picturePathChanged(int n, const QString& text);
    // Leaving picture field n; false when the path was refused (field emptied, focus back).
    bool picturePathLeft(int n);
    // A path chosen with picture n's Find button; false (with the message) when too long.
    bool pictureChosen(int n, const QString& path);
    // A key typed into Reserve, MinBid or Cost; false when dropped (with a beep).
    bool moneyKeyTyped(QChar key);
    void moneyChanged(const QString& column, const QString& text);
    void dateStartedLeft(const QString& text);
    void auctionLengthChosen(const QString& text);
    void auctionLengthLeft(const QString& text);
    void placementChosen(const QString& text);
    void useCounterChanged(bool on);
    void activeChanged(bool on);

private:
    void showRecord();
    void clearFields();
    void updateRecordCommands();
    void recomputeEnds();
    bool moveWithValidation(void (RecordSet::*move)());
    void addRecord();
    void addWithDefaults();
    void step(bool forward);
    void setCountsAfterMoveLast();

    Database& db_;
    std::unique_ptr<RecordSet> rs_;
    std::optional<ItemView> view_;
    QString position_ = QStringLiteral("0");
    QString total_ = QStringLiteral("0");
    QStringList columns_;
    QHash<QString, QString> fields_; // column -> shown text
    QString auctionLength_;
    QString placement_;
    ItemCommands commands_;
    WindowRequests requests_;
    int previewed_ = 0;
};

} // namespace gw

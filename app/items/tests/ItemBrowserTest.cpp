// The main window's record logic without the window: views, add, delete, duplicate,
// commit, validation, showing records, navigation.

#include "ItemBrowser.h"
#include "ItemDbFixture.h"
#include "Money.h"
#include "ScriptedPrompt.h"

#include "core/ProgramValues.h"
#include "core/SettingKeys.h"

using namespace gw;

namespace {

const QString DeleteText = QStringLiteral(
    "You are about to delete the current auction.  You will not be able to get it back. \n\r\n\r"
    "Click OK to continue, or Cancel to Abort");

class BrowserTest : public gw::test::ItemDbFixture {
protected:
    // Records 1..n with short descriptions "item 1".. and the given active flags.
    void seed(int n, const std::vector<bool>& active = {})
    {
        for (int i = 1; i <= n; ++i) {
            QVariantMap extra;
            if (size_t(i - 1) < active.size())
                extra.insert(QStringLiteral("Active"), bool(active[size_t(i - 1)]));
            addItem(QStringLiteral("item %1").arg(i), extra);
        }
    }
    int rows() { return db->openRecordSet(viewQuery(ItemView::All))->recordCount(); }
    QVariant stored(qint64 id, const QString& column)
    {
        auto rs = db->openRecordSet(QStringLiteral("SELECT * FROM Items WHERE ID = ?"), {id});
        return rs->value(column);
    }

    gw::test::TempSettings settingsFile;
    gw::test::ScriptedPrompt prompts;
};

} // namespace

TEST_F(BrowserTest, ViewsSetCaptionChecksColumnsAndSavedName)
{
    seed(3, {true, false, true});
    struct Case {
        ItemView view;
        const char* caption;
        const char* saved;
        int columns;
        const char* total;
    };
    const Case cases[] = {
        {ItemView::All, "Gavelwise - Viewing All Auctions...", "All", 38, "3"},
        {ItemView::Active, "Gavelwise - Viewing all Active Auctions...", "Open", 35, "2"},
        {ItemView::Inactive, "Gavelwise - Viewing all Inactive Auctions...", "Closed", 35, "1"},
    };
    ItemBrowser b(*db);
    EXPECT_EQ(b.caption(), QStringLiteral("Gavelwise Heritage"));
    for (const Case& c : cases) {
        b.selectView(c.view);
        EXPECT_EQ(b.caption(), QString::fromLatin1(c.caption));
        EXPECT_EQ(readSetting(keys::ItemsViewed), QString::fromLatin1(c.saved));
        EXPECT_EQ(viewFromSavedName(QString::fromLatin1(c.saved)), c.view);
        for (ItemView v : {ItemView::All, ItemView::Active, ItemView::Inactive})
            EXPECT_EQ(b.isChecked(v), v == c.view);
        EXPECT_EQ(b.boundColumns().size(), c.columns);
        EXPECT_EQ(b.isBound(QStringLiteral("TransNotes")), c.view == ItemView::All);
        EXPECT_EQ(b.position(), QStringLiteral("1"));
        EXPECT_EQ(b.total(), QString::fromLatin1(c.total));
    }
    EXPECT_TRUE(viewQuery(ItemView::Active).startsWith(QStringLiteral("SELECT Items.ID, Items.EbayID, Items.Category, ")));
    EXPECT_TRUE(viewQuery(ItemView::Inactive).endsWith(QStringLiteral(" From Items WHERE (((Items.Active)=No)) ORDER BY ID;")));
    EXPECT_FALSE(viewFromSavedName(QStringLiteral("open")).has_value());
}

TEST_F(BrowserTest, EmptyTableInAllViewAddsOneRecordWithDefaults)
{
    writeSetting(keys::DefaultMinimumBid, QStringLiteral("2.5"));
    writeSetting(keys::DefaultImageLocation, QStringLiteral("Top"));
    writeSetting(keys::DefaultAuctionLength, QStringLiteral("10"));
    ItemBrowser b(*db);
    b.selectView(ItemView::All);
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(b.position(), QStringLiteral("1"));
    EXPECT_EQ(b.total(), QStringLiteral("1"));
    EXPECT_EQ(b.field(QStringLiteral("MinBid")), QStringLiteral("2.5"));
    EXPECT_EQ(b.field(QStringLiteral("Reserve")), QStringLiteral("0"));
    EXPECT_EQ(b.placement(), QStringLiteral("Top"));
    EXPECT_EQ(b.field(QStringLiteral("ImageLocation")), QStringLiteral("Top"));
    EXPECT_EQ(b.auctionLength(), QStringLiteral("10"));
    EXPECT_EQ(b.field(QStringLiteral("UseCounter")), QStringLiteral("0"));
    const WindowRequests r = b.takeRequests();
    EXPECT_TRUE(r.focusShortDescription);
    EXPECT_TRUE(r.showDefaultPreview);
    const NavCommands nav = b.navigation();
    EXPECT_FALSE(nav.first || nav.last || nav.next || nav.previous || nav.del);
    // The defaults reach the database with the next commit.
    b.commit();
    const qint64 id = b.field(QStringLiteral("ID")).toLongLong();
    EXPECT_EQ(stored(id, QStringLiteral("MinBid")).value<Money>().toString(), QStringLiteral("2.5"));
    EXPECT_EQ(stored(id, QStringLiteral("ImageLocation")).toString(), QStringLiteral("Top"));
    EXPECT_EQ(values().CurrentItemId, id);
}

TEST_F(BrowserTest, EmptyActiveViewShowsNothingAndAddSwitchesToAll)
{
    seed(2, {false, false});
    ItemBrowser b(*db);
    b.selectView(ItemView::Active);
    EXPECT_EQ(b.position(), QStringLiteral("0"));
    EXPECT_EQ(b.total(), QStringLiteral("0"));
    EXPECT_FALSE(b.hasCurrent());
    const NavCommands nav = b.navigation();
    EXPECT_FALSE(nav.first || nav.last || nav.next || nav.previous || nav.del);
    EXPECT_EQ(rows(), 2);

    b.add();
    EXPECT_EQ(b.view(), ItemView::All);
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(b.position(), QStringLiteral("3"));
    EXPECT_EQ(b.total(), QStringLiteral("3"));
    EXPECT_EQ(b.field(QStringLiteral("Active")), QStringLiteral("1"));
}

TEST_F(BrowserTest, AddFromEmptyActiveViewOnEmptyTableMakesOneRecord)
{
    ItemBrowser b(*db);
    b.selectView(ItemView::Active);
    b.add();
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(b.position(), QStringLiteral("1"));
    EXPECT_EQ(b.total(), QStringLiteral("1"));
}

TEST_F(BrowserTest, AddTurnsCounterOnWhenDefaultCountersIsOne)
{
    seed(1);
    for (const char* setting : {"1", "0", "2"}) {
        writeSetting(keys::DefaultCounters, QString::fromLatin1(setting));
        writeSetting(keys::DefaultReserveBid, QString()); // an empty default becomes "0"
        ItemBrowser b(*db);
        b.selectView(ItemView::All);
        b.add();
        EXPECT_EQ(b.field(QStringLiteral("UseCounter")), QString::fromLatin1(setting[0] == '1' ? "1" : "0")) << setting;
        EXPECT_EQ(b.field(QStringLiteral("Reserve")), QStringLiteral("0"));
    }
}

TEST_F(BrowserTest, DeleteAsksAndRefusesTheLastPosition)
{
    seed(5);
    ItemBrowser b(*db);
    b.selectView(ItemView::All);

    // Cancel deletes nothing.
    prompts.expectMessage(DeleteText, QStringLiteral("Deleting Auction"), PromptIcon::Warning,
                          PromptButtons::OkCancel, PromptAnswer::Cancel);
    b.removeCurrent();
    EXPECT_EQ(rows(), 5);

    // Position 5 of 5 cannot be deleted.
    b.moveLast();
    prompts.expectMessage(DeleteText, QStringLiteral("Deleting Auction"), PromptIcon::Warning,
                          PromptButtons::OkCancel, PromptAnswer::Ok);
    prompts.expectMessage(QStringLiteral("You cannot delete the last item."), QString(), PromptIcon::None,
                          PromptButtons::Ok, PromptAnswer::Ok);
    b.removeCurrent();
    EXPECT_EQ(rows(), 5);

    // Position 3: the former fourth record becomes position 3 of 4.
    b.moveFirst();
    b.moveNext();
    b.moveNext();
    ASSERT_EQ(b.position(), QStringLiteral("3"));
    prompts.expectMessage(DeleteText, QStringLiteral("Deleting Auction"), PromptIcon::Warning,
                          PromptButtons::OkCancel, PromptAnswer::Ok);
    b.removeCurrent();
    EXPECT_EQ(rows(), 4);
    EXPECT_EQ(b.position(), QStringLiteral("3"));
    EXPECT_EQ(b.total(), QStringLiteral("4"));
    EXPECT_EQ(b.field(QStringLiteral("ShortDescription")), QStringLiteral("item 4"));
    b.moveNext();
    EXPECT_EQ(b.field(QStringLiteral("ShortDescription")), QStringLiteral("item 5"));
    EXPECT_EQ(b.position(), QStringLiteral("4"));
}

TEST_F(BrowserTest, NavigationKeepsPositionAndBeepsAtTheEnds)
{
    seed(3);
    ItemBrowser b(*db);
    b.selectView(ItemView::All);
    struct Step {
        void (ItemBrowser::*move)();
        const char* position;
        const char* item;
        NavCommands nav;
    };
    const Step steps[] = {
        {&ItemBrowser::moveNext, "2", "item 2", {true, true, true, true, true}},
        {&ItemBrowser::moveNext, "3", "item 3", {true, true, false, true, true}},
        {&ItemBrowser::moveNext, "3", "item 3", {true, true, false, true, true}},
        {&ItemBrowser::moveFirst, "1", "item 1", {true, false, true, true, true}},
        {&ItemBrowser::movePrevious, "1", "item 1", {true, false, true, true, true}},
        {&ItemBrowser::moveLast, "3", "item 3", {true, true, false, true, true}},
        {&ItemBrowser::movePrevious, "2", "item 2", {true, true, true, true, true}},
    };
    for (const Step& s : steps) {
        (b.*s.move)();
        EXPECT_EQ(b.position(), QString::fromLatin1(s.position));
        EXPECT_EQ(b.field(QStringLiteral("ShortDescription")), QString::fromLatin1(s.item));
        const NavCommands n = b.navigation();
        EXPECT_EQ(n.first, s.nav.first);
        EXPECT_EQ(n.previous, s.nav.previous);
        EXPECT_EQ(n.next, s.nav.next);
        EXPECT_EQ(n.last, s.nav.last);
        EXPECT_EQ(n.del, s.nav.del);
    }
}

TEST_F(BrowserTest, AuctionLengthFollowsTheDates)
{
    struct Case {
        const char* started;
        const char* ends;
        const char* length;
    };
    const Case cases[] = {
        {"5/1/2000", "5/13/2000", "7"}, {"5/1/2000", "5/6/2000", "5"}, {"5/1/2000", "5/8/2000", "7"},
        {"5/1/2000", "5/4/2000", "3"},  {"5/1/2000", "5/11/2000", "10"}, {"5/1/2000", "5/3/2000", "7"},
        {"5/1/2000 11:00:00 PM", "5/4/2000 1:00:00 AM", "3"}, // calendar days, not hours
    };
    for (const Case& c : cases)
        addItem(QStringLiteral("x"), {{QStringLiteral("DateAuctionStarted"), QString::fromLatin1(c.started)},
                                      {QStringLiteral("DateAuctionEnds"), QString::fromLatin1(c.ends)}});
    ItemBrowser b(*db);
    b.selectView(ItemView::All);
    for (const Case& c : cases) {
        EXPECT_EQ(b.auctionLength(), QString::fromLatin1(c.length)) << c.started << " " << c.ends;
        EXPECT_EQ(b.field(QStringLiteral("DateAuctionStarted")), QString::fromLatin1(c.started));
        b.moveNext();
    }
}

TEST_F(BrowserTest, ShowingARecordSetsCommandsPlacementAndLastPrice)
{
    addItem(QStringLiteral(""), {{QStringLiteral("Picture2Path"), QStringLiteral("  ")}});
    addItem(QStringLiteral("lamp"), {{QStringLiteral("EbayID"), QStringLiteral("123")},
                                     {QStringLiteral("Picture3Path"), QStringLiteral("/tmp/a.gif")},
                                     {QStringLiteral("LastPrice"), QStringLiteral("12.5")},
                                     {QStringLiteral("ImageLocation"), QStringLiteral("Right")}});
    ItemBrowser b(*db);
    b.selectView(ItemView::All);
    ItemCommands c = b.commands();
    EXPECT_FALSE(c.endingAuction || c.ebayListing || c.uploadImages || c.viewListing);
    EXPECT_EQ(b.placement(), QStringLiteral("Left"));
    EXPECT_EQ(b.field(QStringLiteral("LastPrice")), QStringLiteral("0.00"));
    b.moveNext();
    c = b.commands();
    EXPECT_TRUE(c.endingAuction && c.ebayListing && c.uploadImages && c.viewListing);
    EXPECT_EQ(b.placement(), QStringLiteral("Right"));
    EXPECT_EQ(b.field(QStringLiteral("LastPrice")), QStringLiteral("12.50"));
    EXPECT_EQ(values().CurrentEbayId, QStringLiteral("123"));
    EXPECT_EQ(values().CurrentShortDescription, QStringLiteral("lamp"));
}

TEST_F(BrowserTest, CommitWritesFieldsAndDropsWhatColumnsCannotHold)
{
    seed(2);
    ItemBrowser b(*db);
    b.selectView(ItemView::All);
    const qint64 id = b.field(QStringLiteral("ID")).toLongLong();
    b.shortDescriptionChanged(QStringLiteral("O'Brien \"lamp\""));
    b.moneyChanged(QStringLiteral("Cost"), QStringLiteral("0.10"));
    b.setField(QStringLiteral("SalePrice"), QStringLiteral("0.20"));
    b.setField(QStringLiteral("Reserve"), QStringLiteral("1.2.3"));      // not an amount
    b.setField(QStringLiteral("BuyerState"), QStringLiteral("CAL"));      // over the limit of 2
    b.setField(QStringLiteral("DateBuyerContacted"), QStringLiteral("5/2/2000 10:00:00 AM"));
    b.activeChanged(false);
    b.commit();
    EXPECT_EQ(stored(id, QStringLiteral("ShortDescription")).toString(), QStringLiteral("O'Brien \"lamp\""));
    EXPECT_EQ((stored(id, QStringLiteral("Cost")).value<Money>() + stored(id, QStringLiteral("SalePrice")).value<Money>()).toFixed(2),
              QStringLiteral("0.30"));
    EXPECT_EQ(stored(id, QStringLiteral("Reserve")).value<Money>(), Money());
    EXPECT_TRUE(stored(id, QStringLiteral("BuyerState")).isNull());
    EXPECT_EQ(stored(id, QStringLiteral("DateBuyerContacted")).toDateTime(), QDateTime(QDate(2000, 5, 2), QTime(10, 0)));
    EXPECT_EQ(stored(id, QStringLiteral("Active")), QVariant(false));
    // A commit clears an emptied text column.
    b.shortDescriptionChanged(QString());
    b.commit();
    EXPECT_TRUE(stored(id, QStringLiteral("ShortDescription")).isNull());
}

TEST_F(BrowserTest, ValidationFillsEmptyFieldsBeforeMoving)
{
    seed(2);
    ItemBrowser b(*db);
    b.selectView(ItemView::All);
    const qint64 id = b.field(QStringLiteral("ID")).toLongLong();
    // Clearing by hand gives "0" at once.
    b.moneyChanged(QStringLiteral("MinBid"), QString());
    EXPECT_EQ(b.field(QStringLiteral("MinBid")), QStringLiteral("0"));
    // A field that is empty anyway when the user moves on is saved with its default.
    for (const char* c : {"MinBid", "Reserve", "Cost", "ImageLocation"})
        b.setField(QLatin1String(c), QString());
    b.moveNext();
    EXPECT_EQ(stored(id, QStringLiteral("MinBid")).value<Money>().toString(), QStringLiteral("1"));
    EXPECT_EQ(stored(id, QStringLiteral("Reserve")).value<Money>().toString(), QStringLiteral("0"));
    EXPECT_EQ(stored(id, QStringLiteral("Cost")).value<Money>().toString(), QStringLiteral("0"));
    EXPECT_EQ(stored(id, QStringLiteral("ImageLocation")).toString(), QStringLiteral("Left"));
}

TEST_F(BrowserTest, DuplicateCopiesTheListingFieldsOnly)
{
    addItem(QStringLiteral("lamp"), {{QStringLiteral("EbayID"), QStringLiteral("555")},
                                     {QStringLiteral("Category"), QStringLiteral("Lighting")},
                                     {QStringLiteral("BuyerName"), QStringLiteral("Smith")},
                                     {QStringLiteral("Active"), false}});
    ItemBrowser b(*db);
    b.selectView(ItemView::All);
    b.descriptionChanged(QStringLiteral("brass\nold"));
    b.picturePathChanged(2, QStringLiteral("/pics/lamp.jpg"));
    b.moneyChanged(QStringLiteral("Cost"), QStringLiteral("4.25"));
    b.useCounterChanged(true);
    b.placementChosen(QStringLiteral("Bottom"));
    b.auctionLengthChosen(QStringLiteral("5"));
    b.duplicate();
    EXPECT_EQ(b.position(), QStringLiteral("2"));
    EXPECT_EQ(b.total(), QStringLiteral("2"));
    struct Expect {
        const char* column;
        const char* text;
    };
    const Expect expected[] = {{"ShortDescription", "lamp"}, {"Description", "brass\nold"},
                               {"Picture2Path", "/pics/lamp.jpg"}, {"Cost", "4.25"}, {"UseCounter", "1"},
                               {"ImageLocation", "Bottom"}, {"EbayID", ""}, {"Category", ""},
                               {"BuyerName", ""}, {"Active", "1"}};
    for (const Expect& e : expected)
        EXPECT_EQ(b.field(QLatin1String(e.column)), QString::fromLatin1(e.text)) << e.column;
    EXPECT_EQ(b.auctionLength(), QStringLiteral("5"));
    EXPECT_EQ(b.placement(), QStringLiteral("Bottom"));
    b.commit();
    EXPECT_EQ(stored(b.field(QStringLiteral("ID")).toLongLong(), QStringLiteral("Cost")).value<Money>().toFixed(2),
              QStringLiteral("4.25"));
}

TEST_F(BrowserTest, FindAndGoToPositionReReadThePosition)
{
    seed(6);
    ItemBrowser b(*db);
    b.selectView(ItemView::All);
    const Criteria c = Criteria::like(QStringLiteral("ShortDescription"), QStringLiteral("*5"))
                       || Criteria::equals(QStringLiteral("ShortDescription"), QStringLiteral("item 6"));
    b.find(c, true);
    EXPECT_EQ(b.position(), QStringLiteral("5"));
    b.find(c, false);
    EXPECT_EQ(b.position(), QStringLiteral("6"));
    EXPECT_EQ(b.field(QStringLiteral("ShortDescription")), QStringLiteral("item 6"));
    b.find(c, false);
    EXPECT_EQ(b.position(), QStringLiteral("6")); // no further match: stays
    b.goToPosition(2);
    EXPECT_EQ(b.position(), QStringLiteral("2"));
    EXPECT_EQ(b.field(QStringLiteral("ShortDescription")), QStringLiteral("item 2"));
}

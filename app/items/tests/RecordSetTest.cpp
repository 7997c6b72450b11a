// Record sets: moves, counts, bookmarks, editing, deleting and finding.

#include "ItemDbFixture.h"
#include "ItemViews.h"
#include "Money.h"

#include <sqlite3.h>

using namespace gw;
using gw::test::ItemDbFixture;

namespace {
QString shortDesc(const RecordSet& rs) { return rs.value(QStringLiteral("ShortDescription")).toString(); }
} // namespace

TEST_F(ItemDbFixture, EmptySetIsAtBothEnds)
{
    auto rs = db->openRecordSet(viewQuery(ItemView::All));
    EXPECT_TRUE(rs->isEmpty());
    EXPECT_TRUE(rs->bof());
    EXPECT_TRUE(rs->eof());
    EXPECT_EQ(rs->recordCount(), 0);
    EXPECT_EQ(rs->absolutePosition(), -1);
    EXPECT_THROW(rs->moveFirst(), DbException);
    EXPECT_THROW(rs->moveNext(), DbException);
    EXPECT_THROW(rs->value(QStringLiteral("ID")), DbException);
    EXPECT_THROW(rs->moveTo(0), DbException);
}

TEST_F(ItemDbFixture, MovesAndAbsolutePositions)
{
    for (int i = 1; i <= 5; ++i)
        addItem(QStringLiteral("item %1").arg(i));
    auto rs = db->openRecordSet(viewQuery(ItemView::All));
    EXPECT_EQ(rs->absolutePosition(), 0);
    rs->moveLast();
    EXPECT_EQ(rs->recordCount(), 5);
    EXPECT_EQ(shortDesc(*rs), QStringLiteral("item 5"));
    rs->moveNext();
    EXPECT_TRUE(rs->eof());
    EXPECT_FALSE(rs->bof());
    EXPECT_THROW(rs->moveNext(), DbException);
    rs->movePrevious();
    EXPECT_EQ(shortDesc(*rs), QStringLiteral("item 5"));
    rs->moveFirst();
    rs->movePrevious();
    EXPECT_TRUE(rs->bof());
    EXPECT_THROW(rs->movePrevious(), DbException);
    rs->moveTo(2);
    EXPECT_EQ(shortDesc(*rs), QStringLiteral("item 3"));
    EXPECT_EQ(rs->absolutePosition(), 2);
    EXPECT_THROW(rs->moveTo(5), DbException);
    EXPECT_THROW(rs->moveTo(-1), DbException);
}

TEST_F(ItemDbFixture, BookmarksSurviveDeletingOtherRows)
{
    for (int i = 1; i <= 6; ++i)
        addItem(QStringLiteral("item %1").arg(i));
    auto rs = db->openRecordSet(viewQuery(ItemView::All));
    rs->moveTo(4);
    const RecordSet::Bookmark mark = rs->bookmark();
    rs->moveTo(1);
    rs->deleteCurrent();
    EXPECT_THROW(rs->value(QStringLiteral("ShortDescription")), DbException);
    rs->moveNext(); // the record after the deleted one
    EXPECT_EQ(shortDesc(*rs), QStringLiteral("item 3"));
    rs->moveFirst();
    rs->deleteCurrent();
    rs->setBookmark(mark);
    EXPECT_EQ(shortDesc(*rs), QStringLiteral("item 5"));
    EXPECT_EQ(rs->absolutePosition(), 2);
    EXPECT_EQ(rs->recordCount(), 4);
    // A deleted record's bookmark is no longer valid.
    rs->deleteCurrent();
    EXPECT_THROW(rs->setBookmark(mark), DbException);
    // Deleting the last record leaves the set at its end.
    rs->moveLast();
    rs->deleteCurrent();
    rs->moveNext();
    EXPECT_TRUE(rs->eof());
}

TEST_F(ItemDbFixture, AddNewGetsKeyAndDefaultsAndGoesLast)
{
    addItem(QStringLiteral("first"), {{QStringLiteral("Active"), false}});
    auto rs = db->openRecordSet(viewQuery(ItemView::Active));
    EXPECT_TRUE(rs->isEmpty());
    rs->addNew();
    rs->update();
    EXPECT_EQ(rs->recordCount(), 1);
    rs->moveLast();
    EXPECT_GT(rs->value(QStringLiteral("ID")).toLongLong(), 1);
    EXPECT_EQ(rs->value(QStringLiteral("Active")), QVariant(true));
    EXPECT_EQ(rs->value(QStringLiteral("MinBid")).value<Money>(), Money());
    EXPECT_TRUE(rs->value(QStringLiteral("EbayID")).isNull());
    EXPECT_FALSE(rs->hasColumn(QStringLiteral("TransNotes")));
    EXPECT_THROW(rs->setValue(QStringLiteral("TransNotes"), QStringLiteral("x")), DbException);
    EXPECT_THROW(rs->setValue(QStringLiteral("ID"), 5), DbException);

    rs->setValue(QStringLiteral("Reserve"), QStringLiteral("19.99"));
    rs->setValue(QStringLiteral("DateAuctionStarted"), QStringLiteral("5/1/2000"));
    EXPECT_THROW(rs->setValue(QStringLiteral("Reserve"), QStringLiteral("lots")), DbException);
    rs->update();
    rs->requery();
    EXPECT_EQ(rs->value(QStringLiteral("Reserve")).value<Money>().toFixed(2), QStringLiteral("19.99"));
    EXPECT_EQ(rs->value(QStringLiteral("DateAuctionStarted")).toDateTime(), QDateTime(QDate(2000, 5, 1), QTime(0, 0)));
    // Inactive view does not contain it.
    EXPECT_EQ(db->openRecordSet(viewQuery(ItemView::Inactive))->recordCount(), 1);
}

TEST_F(ItemDbFixture, FindFirstAndNextWithWildcardsAndAwkwardValues)
{
    const QString names[] = {QStringLiteral("red lamp"), QStringLiteral("O'Brien's \"best\" lamp"),
                             QStringLiteral("100% wool"), QStringLiteral("blue_lamp"), QStringLiteral("bluexlamp"),
                             QStringLiteral("chair")};
    int n = 0;
    for (const QString& s : names)
        addItem(s, {{QStringLiteral("EbayID"), QString::number(1200 + n++)}});
    auto rs = db->openRecordSet(viewQuery(ItemView::All));

    struct Case {
        Criteria criteria;
        QStringList expected; // in order of find first, next, next...
    };
    const Case cases[] = {
        {Criteria::like(QStringLiteral("ShortDescription"), QStringLiteral("*lamp*")),
         {names[0], names[1], names[3], names[4]}},
        {Criteria::like(QStringLiteral("ShortDescription"), QStringLiteral("*'Brien's \"best*")), {names[1]}},
        {Criteria::like(QStringLiteral("ShortDescription"), QStringLiteral("100%*")), {names[2]}},
        {Criteria::like(QStringLiteral("ShortDescription"), QStringLiteral("blue_lamp")), {names[3]}},
        {Criteria::like(QStringLiteral("ShortDescription"), QStringLiteral("blue?lamp")), {names[3], names[4]}},
        {Criteria::equals(QStringLiteral("ShortDescription"), names[1]), {names[1]}},
        {Criteria::like(QStringLiteral("EbayID"), QStringLiteral("120*"))
             && Criteria::like(QStringLiteral("ShortDescription"), QStringLiteral("*LAMP")),
         {names[0], names[1], names[3], names[4]}},
        {Criteria::text(QStringLiteral("EbayID LIKE '12*' And (([ShortDescription] LIKE \"*wool*\") OR "
                                       "([Description] LIKE \"*wool*\")) ")),
         {names[2]}},
        {Criteria::like(QStringLiteral("ShortDescription"), QStringLiteral("table")), {}},
    };
    for (const Case& c : cases) {
        rs->moveTo(5);
        QStringList found;
        for (bool ok = rs->findFirst(c.criteria); ok; ok = rs->findNext(c.criteria))
            found << shortDesc(*rs);
        EXPECT_EQ(found, c.expected);
        EXPECT_TRUE(rs->noMatch());
        if (c.expected.isEmpty()) { // no match leaves the position alone
            EXPECT_EQ(rs->absolutePosition(), 5);
        }
    }
    rs->moveLast();
    ASSERT_TRUE(rs->findPrevious(Criteria::like(QStringLiteral("ShortDescription"), QStringLiteral("*lamp"))));
    EXPECT_EQ(shortDesc(*rs), names[4]);
}

TEST_F(ItemDbFixture, FindOnlyReturnsRecordsOfTheSet)
{
    addItem(QStringLiteral("lamp one"), {{QStringLiteral("Active"), false}});
    addItem(QStringLiteral("lamp two"));
    addItem(QStringLiteral("lamp three"), {{QStringLiteral("Active"), false}});
    addItem(QStringLiteral("lamp four"));
    auto rs = db->openRecordSet(viewQuery(ItemView::Active));
    const Criteria lamp = Criteria::like(QStringLiteral("ShortDescription"), QStringLiteral("lamp*"));
    QStringList found;
    for (bool ok = rs->findFirst(lamp); ok; ok = rs->findNext(lamp))
        found << shortDesc(*rs);
    EXPECT_EQ(found, (QStringList{QStringLiteral("lamp two"), QStringLiteral("lamp four")}));
}

TEST_F(ItemDbFixture, EditsAreSavedByUpdateAndDroppedByMoves)
{
    addItem(QStringLiteral("a"));
    addItem(QStringLiteral("b"));
    auto rs = db->openRecordSet(viewQuery(ItemView::All));
    rs->setValue(QStringLiteral("ShortDescription"), QStringLiteral("changed"));
    EXPECT_EQ(shortDesc(*rs), QStringLiteral("changed"));
    rs->update();
    rs->moveNext();
    rs->setValue(QStringLiteral("ShortDescription"), QStringLiteral("lost"));
    rs->moveFirst();
    rs->requery();
    EXPECT_EQ(shortDesc(*rs), QStringLiteral("changed"));
    rs->moveNext();
    EXPECT_EQ(shortDesc(*rs), QStringLiteral("b"));
}

namespace {
QStringList findAll(RecordSet& rs, const Criteria& c)
{
    QStringList found;
    for (bool ok = rs.findFirst(c); ok; ok = rs.findNext(c))
        found << rs.value(QStringLiteral("ShortDescription")).toString();
    return found;
}
} // namespace

TEST_F(ItemDbFixture, IndexedFindsMatchPlainMatching)
{
    const char* const titles[] = {"Red Lamp", "O'Brien lamp shade", "100% wool", "blue_lamp", "bluexlamp",
                                  "lampshade", "clamp", "Chair"};
    for (const char* t : titles)
        addItem(QString::fromLatin1(t), {{QStringLiteral("BuyerName"), QStringLiteral("Smith of ") + QString::fromLatin1(t)}});
    auto rs = db->openRecordSet(viewQuery(ItemView::All));
    const char* const patterns[] = {"*lamp*", "*LAMP*", "*amp", "lamp*", "*o'b*", "*100%*", "*blue_l*",
                                    "blue?lamp", "*la*", "*", "Chair", "*xyz*"};
    for (const char* p : patterns) {
        const QString pattern = QString::fromLatin1(p);
        const QStringList viaIndex = findAll(*rs, Criteria::like(QStringLiteral("ShortDescription"), pattern));
        // A criteria text is matched by the engine row by row, without the index.
        const QStringList plain = findAll(
            *rs, Criteria::text(QStringLiteral("ShortDescription LIKE '%1'").arg(QString(pattern).replace(QLatin1Char('\''), QStringLiteral("''")))));
        EXPECT_EQ(viaIndex, plain) << p;
        EXPECT_EQ(findAll(*rs, Criteria::like(QStringLiteral("BuyerName"), QStringLiteral("Smith of ") + pattern)), plain) << p;
    }
    EXPECT_EQ(findAll(*rs, Criteria::like(QStringLiteral("ShortDescription"), QStringLiteral("*lamp*"))).size(), 6);
}

TEST_F(ItemDbFixture, IndexFollowsEditsDeletesAndStatements)
{
    const qint64 a = addItem(QStringLiteral("brass lamp"));
    const qint64 b = addItem(QStringLiteral("oak table"));
    addItem(QStringLiteral("glass vase"));
    auto rs = db->openRecordSet(viewQuery(ItemView::All));
    const Criteria lamp = Criteria::like(QStringLiteral("ShortDescription"), QStringLiteral("*lamp*"));
    EXPECT_EQ(findAll(*rs, lamp), QStringList{QStringLiteral("brass lamp")});

    rs->moveTo(1);
    rs->setValue(QStringLiteral("ShortDescription"), QStringLiteral("oak lamp table"));
    rs->update();
    db->execute(QStringLiteral("UPDATE Items SET ShortDescription = ? WHERE ID = ?"), {QStringLiteral("glass lamp"), 3});
    EXPECT_EQ(findAll(*rs, lamp), (QStringList{QStringLiteral("brass lamp"), QStringLiteral("oak lamp table"),
                                               QStringLiteral("glass lamp")}));
    rs->moveFirst();
    rs->deleteCurrent();
    EXPECT_EQ(findAll(*rs, lamp), (QStringList{QStringLiteral("oak lamp table"), QStringLiteral("glass lamp")}));
    // Other columns' updates leave the index alone and keep it right.
    db->execute(QStringLiteral("UPDATE Items SET LastPrice = '3' WHERE ID = ?"), {b});
    EXPECT_EQ(findAll(*rs, Criteria::like(QStringLiteral("ShortDescription"), QStringLiteral("oak lamp*"))),
              QStringList{QStringLiteral("oak lamp table")});
    (void)a;
}

TEST_F(ItemDbFixture, UpgradeBuildsTheIndexForOlderFiles)
{
    addItem(QStringLiteral("pewter lamp"));
    sqlite3* h = db->handle();
    ASSERT_EQ(sqlite3_exec(h, "DROP TABLE ItemsSearch; DROP TRIGGER IF EXISTS ItemsSearchInsert; "
                              "DROP TRIGGER IF EXISTS ItemsSearchDelete; DROP TRIGGER IF EXISTS ItemsSearchUpdate;",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    {
        auto rs = db->openRecordSet(viewQuery(ItemView::All));
        EXPECT_EQ(findAll(*rs, Criteria::like(QStringLiteral("ShortDescription"), QStringLiteral("*lamp"))),
                  QStringList{QStringLiteral("pewter lamp")});
    }
    UpgradeItemsSchema(*db);
    EXPECT_TRUE(db->hasTable(QStringLiteral("ItemsSearch")));
    addItem(QStringLiteral("tin lamp"));
    auto rs = db->openRecordSet(viewQuery(ItemView::All));
    EXPECT_EQ(findAll(*rs, Criteria::like(QStringLiteral("ShortDescription"), QStringLiteral("*lamp"))),
              (QStringList{QStringLiteral("pewter lamp"), QStringLiteral("tin lamp")}));
}

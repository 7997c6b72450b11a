// Opening, closing, compacting, columns, update statements and the schema step.

#include "ItemDbFixture.h"
#include "Money.h"

#include <QFile>

#include <sys/wait.h>
#include <unistd.h>

using namespace gw;
using gw::test::ItemDbFixture;

namespace {
std::unique_ptr<Database> openDb(const QString& path, OpenMode mode, DbError* e = nullptr)
{
    DbError local;
    return Database::open(path, mode, e ? e : &local);
}
} // namespace

TEST_F(ItemDbFixture, MissingFileIsReportedAsNotFound)
{
    DbError e;
    EXPECT_FALSE(openDb(dir.filePath(QStringLiteral("nothere.mdb")), OpenMode::Shared, &e));
    EXPECT_EQ(e.kind, DbErrorKind::FileNotFound);
    EXPECT_EQ(e.number, dberr::FileNotFound);
    EXPECT_FALSE(e.description.isEmpty());
}

TEST_F(ItemDbFixture, NotADatabaseIsAnOtherFailure)
{
    const QString junk = dir.filePath(QStringLiteral("junk.mdb"));
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(4096, 'x'));
    f.close();
    DbError e;
    EXPECT_FALSE(openDb(junk, OpenMode::Shared, &e));
    EXPECT_EQ(e.kind, DbErrorKind::Other);
    EXPECT_EQ(e.number, dberr::UnrecognizedFormat);
}

TEST_F(ItemDbFixture, ExclusiveAndSharedOpensExcludeEachOther)
{
    // db (shared) is open: a second shared open works, an exclusive one is refused.
    auto second = openDb(path, OpenMode::Shared);
    ASSERT_TRUE(second);
    DbError e;
    EXPECT_FALSE(openDb(path, OpenMode::Exclusive, &e));
    EXPECT_EQ(e.number, dberr::AlreadyOpenExclusive);
    EXPECT_EQ(e.kind, DbErrorKind::Other);

    second.reset();
    db.reset();
    auto exclusive = openDb(path, OpenMode::Exclusive);
    ASSERT_TRUE(exclusive);
    EXPECT_FALSE(openDb(path, OpenMode::Shared, &e));
    EXPECT_EQ(e.number, dberr::AlreadyOpenExclusive);
    EXPECT_FALSE(openDb(path, OpenMode::Exclusive));
    exclusive->close();
    EXPECT_TRUE(openDb(path, OpenMode::Shared));
}

TEST_F(ItemDbFixture, ExclusiveOpenIsRefusedToOtherProcesses)
{
    // Exit status of a child process that tries to open the file: 0 opened, 1 refused.
    auto childOpen = [this](OpenMode mode) {
        const pid_t pid = fork();
        if (pid == 0) {
            DbError e;
            auto other = Database::open(path, mode, &e);
            _exit(other ? 0 : (e.number == dberr::AlreadyOpenExclusive ? 1 : 2));
        }
        int status = -1;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(childOpen(OpenMode::Exclusive), 1); // db is open shared here
    EXPECT_EQ(childOpen(OpenMode::Shared), 0);
    db.reset();
    auto exclusive = openDb(path, OpenMode::Exclusive);
    ASSERT_TRUE(exclusive);
    EXPECT_EQ(childOpen(OpenMode::Shared), 1);
    exclusive.reset();
    EXPECT_EQ(childOpen(OpenMode::Exclusive), 0);
}

TEST_F(ItemDbFixture, CloseAllClosesEveryConnectionAndItsRecordSets)
{
    auto second = openDb(path, OpenMode::Shared);
    auto rs = db->openRecordSet(QStringLiteral("Select * from Items Order by ID"));
    EXPECT_EQ(Database::openCount(), 2);
    Database::closeAll();
    EXPECT_EQ(Database::openCount(), 0);
    EXPECT_FALSE(db->isOpen());
    EXPECT_FALSE(second->isOpen());
    EXPECT_THROW(rs->requery(), DbException);
    EXPECT_THROW(db->execute(QStringLiteral("UPDATE Items SET Cost = 1")), DbException);
    // With every connection closed the file can be taken exclusively.
    EXPECT_TRUE(openDb(path, OpenMode::Exclusive));
}

TEST_F(ItemDbFixture, CompactCopiesTheDataIntoANewFile)
{
    addItem(QStringLiteral("lamp"), {{QStringLiteral("Cost"), QStringLiteral("0.10")}});
    addItem(QStringLiteral("vase"));
    const QString target = dir.filePath(QStringLiteral("GW2new.mdb"));

    DbError e;
    EXPECT_FALSE(Database::compact(path, target, &e)) << "source still open";
    EXPECT_EQ(e.number, dberr::FileInUse);
    db->close();
    ASSERT_TRUE(Database::compact(path, target, &e)) << qPrintable(e.description);
    EXPECT_FALSE(Database::compact(path, target, &e)) << "target exists";
    EXPECT_EQ(e.number, dberr::FileExists);
    EXPECT_FALSE(Database::compact(dir.filePath(QStringLiteral("none.mdb")), dir.filePath(QStringLiteral("x.mdb")), &e));
    EXPECT_EQ(e.kind, DbErrorKind::FileNotFound);

    auto copy = openDb(target, OpenMode::Shared);
    ASSERT_TRUE(copy);
    auto rs = copy->openRecordSet(QStringLiteral("Select * from Items Order by ID"));
    ASSERT_EQ(rs->recordCount(), 2);
    EXPECT_EQ(rs->value(QStringLiteral("ShortDescription")).toString(), QStringLiteral("lamp"));
    EXPECT_EQ(rs->value(QStringLiteral("Cost")).value<Money>().toFixed(2), QStringLiteral("0.10"));
}

TEST_F(ItemDbFixture, AppendColumnAndColumnList)
{
    db->appendColumn(QStringLiteral("Items"), QStringLiteral("Flag"), ColumnType::YesNo, QStringLiteral("Yes"));
    db->appendColumn(QStringLiteral("Items"), QStringLiteral("Note"), ColumnType::Text, QStringLiteral("'it''s'"));
    const QStringList names = db->columnNames(QStringLiteral("Items"));
    ASSERT_EQ(names.size(), 40);
    EXPECT_EQ(names.first(), QStringLiteral("ID"));
    EXPECT_EQ(names.at(38), QStringLiteral("Flag"));
    EXPECT_THROW(db->appendColumn(QStringLiteral("Items"), QStringLiteral("flag"), ColumnType::YesNo, QString()),
                 DbException);
    EXPECT_THROW(db->appendColumn(QStringLiteral("Items"), QStringLiteral("Bad"), ColumnType::YesNo, QStringLiteral("Perhaps")),
                 DbException);
    EXPECT_THROW(db->columnNames(QStringLiteral("NoTable")), DbException);
    addItem(QStringLiteral("x"));
    auto rs = db->openRecordSet(QStringLiteral("Select * from Items Order by ID"));
    EXPECT_EQ(rs->value(QStringLiteral("Flag")), QVariant(true));
    EXPECT_EQ(rs->value(QStringLiteral("Note")), QVariant(QStringLiteral("it's")));
}

TEST_F(ItemDbFixture, UpdateByEbayIdBindsEveryValue)
{
    addItem(QStringLiteral("a"), {{QStringLiteral("EbayID"), QStringLiteral("100")}});
    addItem(QStringLiteral("b"), {{QStringLiteral("EbayID"), QStringLiteral("200")}});
    // Category and amount come from a page: quotes and SQL in them stay plain text.
    const QString hostile = QStringLiteral("Toys\" ; DROP TABLE Items; --'");
    const int changed = db->execute(
        QStringLiteral("UPDATE Items SET LastPrice = ?, LastChecked = ?, Category = ? WHERE EbayId = ?;"),
        {QStringLiteral("12.50"), QStringLiteral("5/1/2000 3:00:00 PM"), hostile, QStringLiteral("200")});
    EXPECT_EQ(changed, 1);
    db->execute(QStringLiteral("UPDATE Items SET  SalePrice = '0.10' WHERE EbayId = '200';"));
    db->execute(QStringLiteral("UPDATE Items SET ShippingCost = ? WHERE EbayId = ?"), {QStringLiteral("0.20"), QStringLiteral("200")});

    auto rs = db->openRecordSet(QStringLiteral("SELECT * FROM Items WHERE EbayId = ?"), {QStringLiteral("200")});
    ASSERT_EQ(rs->recordCount(), 1);
    EXPECT_EQ(rs->value(QStringLiteral("Category")).toString(), hostile);
    EXPECT_EQ(rs->value(QStringLiteral("LastPrice")).value<Money>().toFixed(2), QStringLiteral("12.50"));
    EXPECT_EQ(rs->value(QStringLiteral("LastChecked")).toDateTime(), QDateTime(QDate(2000, 5, 1), QTime(15, 0)));
    const Money sum = rs->value(QStringLiteral("SalePrice")).value<Money>() + rs->value(QStringLiteral("ShippingCost")).value<Money>();
    EXPECT_EQ(sum.toFixed(2), QStringLiteral("0.30"));

    // The engine adds the amounts exactly as well.
    auto total = db->openRecordSet(QStringLiteral("SELECT SalePrice + ShippingCost AS Total FROM Items WHERE EbayId = '200'"));
    EXPECT_EQ(Money::fromUnits(total->value(QStringLiteral("Total")).toLongLong()), *Money::parse(QStringLiteral("0.3")));

    EXPECT_THROW(db->execute(QStringLiteral("UPDATE Items SET LastPrice = ? WHERE EbayId = '200'"), {QStringLiteral("n/a")}),
                 DbException);
    EXPECT_EQ(db->openRecordSet(QStringLiteral("Select * from Items Order by ID"))->recordCount(), 2);
}

TEST_F(ItemDbFixture, UpgradeAddsTheLaterColumnsAndFillsImageLocation)
{
    db.reset();
    QFile::remove(path);
    makeDatabase(false);
    ASSERT_EQ(db->columnNames(QStringLiteral("Items")).size(), 36);
    for (const char* name : {"one", "two", "three"})
        addItem(QString::fromLatin1(name));

    UpgradeItemsSchema(*db);
    UpgradeItemsSchema(*db); // a second start changes nothing

    const QStringList names = db->columnNames(QStringLiteral("Items"));
    EXPECT_EQ(names.size(), 38);
    EXPECT_TRUE(names.contains(QStringLiteral("UseCounter")));
    EXPECT_TRUE(names.contains(QStringLiteral("ImageLocation")));
    auto rs = db->openRecordSet(QStringLiteral("Select * from Items Order by ID"));
    ASSERT_EQ(rs->recordCount(), 3);
    for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
        EXPECT_EQ(rs->value(QStringLiteral("ImageLocation")).toString(), QStringLiteral("Left"));
        EXPECT_EQ(rs->value(QStringLiteral("UseCounter")), QVariant(false));
    }
    // A record added afterwards gets the column defaults: UseCounter No, ImageLocation empty.
    addItem(QStringLiteral("four"));
    rs->requery();
    rs->moveLast();
    EXPECT_EQ(rs->value(QStringLiteral("UseCounter")), QVariant(false));
    EXPECT_TRUE(rs->value(QStringLiteral("ImageLocation")).isNull());
    EXPECT_EQ(rs->value(QStringLiteral("Active")), QVariant(true));
}

TEST_F(ItemDbFixture, TransactionsCommitOrDropStatements)
{
    const qint64 id = addItem(QStringLiteral("a"), {{QStringLiteral("EbayID"), QStringLiteral("9")}});
    auto price = [&] {
        auto rs = db->openRecordSet(QStringLiteral("SELECT * FROM Items WHERE ID = ?"), {id});
        return rs->value(QStringLiteral("LastPrice")).value<Money>().toFixed(2);
    };
    db->beginTrans();
    db->execute(QStringLiteral("UPDATE Items SET LastPrice = ? WHERE EbayId = ?"), {QStringLiteral("5"), QStringLiteral("9")});
    db->rollback();
    EXPECT_EQ(price(), QStringLiteral("0.00"));
    db->beginTrans();
    db->execute(QStringLiteral("UPDATE Items SET LastPrice = ? WHERE EbayId = ?"), {QStringLiteral("7.25"), QStringLiteral("9")});
    db->commitTrans();
    EXPECT_EQ(price(), QStringLiteral("7.25"));
    EXPECT_THROW(db->commitTrans(), DbException); // none open
}

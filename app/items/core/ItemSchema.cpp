#include "ItemSchema.h"

#include "DbSupport.h"

namespace gw {

const std::vector<ItemColumn>& itemColumns()
{
    using T = ColumnType;
    static const std::vector<ItemColumn> columns = {
        {"ID", T::Key, 0, nullptr},
        {"EbayID", T::Text, 12, nullptr},
        {"Category", T::Text, 250, nullptr},
        {"ShortDescription", T::Text, 45, nullptr},
        {"Description", T::Memo, 0, nullptr},
        {"Picture1Path", T::Text, 100, nullptr},
        {"Picture2Path", T::Text, 100, nullptr},
        {"Picture3Path", T::Text, 100, nullptr},
        {"Reserve", T::Money, 8, "0"},
        {"MinBid", T::Money, 8, "0"},
        {"Cost", T::Money, 8, "0"},
        {"SalePrice", T::Money, 0, "0"},
        {"DateAuctionStarted", T::Date, 0, nullptr},
        {"DateAuctionEnds", T::Date, 0, nullptr},
        {"DateBuyerContacted", T::Date, 0, nullptr},
        {"DateBuyerResponded", T::Date, 0, nullptr},
        {"BuyerEmail", T::Text, 80, nullptr},
        {"BuyerName", T::Text, 50, nullptr},
        {"BuyerStreet1", T::Text, 50, nullptr},
        {"BuyerStreet2", T::Text, 50, nullptr},
        {"BuyerStreet3", T::Text, 50, nullptr},
        {"BuyerCity", T::Text, 50, nullptr},
        {"BuyerState", T::Text, 2, nullptr},
        {"BuyerZip", T::Text, 10, nullptr},
        {"BuyerPhone", T::Text, 14, nullptr},
        {"DatePaymentRecd", T::Date, 0, nullptr},
        {"DatePaymentClrd", T::Date, 0, nullptr},
        {"DateItemShipped", T::Date, 0, nullptr},
        {"ShippingCost", T::Money, 0, "0"},
        {"InsuranceCost", T::Money, 0, "0"},
        // Yes by default, so that a new item belongs to the Active view.
        {"Active", T::YesNo, 0, "1"},
        {"LastPrice", T::Money, 0, "0"},
        {"LastChecked", T::Date, 0, nullptr},
        {"UseCounter", T::YesNo, 0, "0"},
        {"ImageLocation", T::Text, 6, nullptr},
        {"FeedbackComplete", T::YesNo, 0, "0"},
        {"TrackingNumber", T::Text, 50, nullptr},
        {"TransNotes", T::Memo, 0, nullptr},
    };
    return columns;
}

const ItemColumn* findItemColumn(const QString& name)
{
    for (const ItemColumn& c : itemColumns())
        if (name.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0)
            return &c;
    return nullptr;
}

namespace {

void runFixed(Database& db, const QString& sql)
{
    // Fixed definition text of our own, not the engine dialect: run as it is.
    dbsupport::Statement st(db.handle(), sql, QStringLiteral("DAO.Database"));
    st.step();
}

} // namespace

void ensureItemsSearchIndex(Database& db)
{
    if (db.hasTable(QStringLiteral("ItemsSearch")))
        return;
    const QString cols = QStringLiteral("EbayID, ShortDescription, Description, BuyerEmail, BuyerName");
    const QString newValues = QStringLiteral("new.EbayID, new.ShortDescription, new.Description, new.BuyerEmail, new.BuyerName");
    const QString oldValues = QStringLiteral("old.EbayID, old.ShortDescription, old.Description, old.BuyerEmail, old.BuyerName");
    runFixed(db, QStringLiteral("CREATE VIRTUAL TABLE ItemsSearch USING fts5(%1, content='Items', "
                                "content_rowid='ID', tokenize='trigram')").arg(cols));
    runFixed(db, QStringLiteral("CREATE TRIGGER ItemsSearchInsert AFTER INSERT ON Items BEGIN "
                                "INSERT INTO ItemsSearch(rowid, %1) VALUES (new.ID, %2); END").arg(cols, newValues));
    runFixed(db, QStringLiteral("CREATE TRIGGER ItemsSearchDelete AFTER DELETE ON Items BEGIN "
                                "INSERT INTO ItemsSearch(ItemsSearch, rowid, %1) VALUES ('delete', old.ID, %2); END")
                     .arg(cols, oldValues));
    runFixed(db, QStringLiteral("CREATE TRIGGER ItemsSearchUpdate AFTER UPDATE OF %1 ON Items BEGIN "
                                "INSERT INTO ItemsSearch(ItemsSearch, rowid, %1) VALUES ('delete', old.ID, %2); "
                                "INSERT INTO ItemsSearch(rowid, %1) VALUES (new.ID, %3); END")
                     .arg(cols, oldValues, newValues));
    runFixed(db, QStringLiteral("INSERT INTO ItemsSearch(ItemsSearch) VALUES ('rebuild')"));
}

void createItemsTable(Database& db, bool withLaterColumns)
{
    QStringList defs;
    for (const ItemColumn& c : itemColumns()) {
        const QString name = QLatin1String(c.name);
        if (!withLaterColumns && (name == QLatin1String("UseCounter") || name == QLatin1String("ImageLocation")))
            continue;
        QString def = dbsupport::quoteName(name) + QLatin1Char(' ');
        if (c.type == ColumnType::Key) {
            def += QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
        } else {
            def += declaredTypeName(c.type);
            if (c.type == ColumnType::Text && c.limit > 0)
                def += QStringLiteral("(%1)").arg(c.limit);
            if (c.defaultSql)
                def += QStringLiteral(" DEFAULT ") + QLatin1String(c.defaultSql);
        }
        defs << def;
    }
    runFixed(db, QStringLiteral("CREATE TABLE Items (%1)").arg(defs.join(QStringLiteral(", "))));
    ensureItemsSearchIndex(db);
}

void UpgradeItemsSchema(Database& db)
{
    const QStringList names = db.columnNames(QStringLiteral("Items"));
    if (!names.contains(QStringLiteral("UseCounter")))
        db.appendColumn(QStringLiteral("Items"), QStringLiteral("UseCounter"), ColumnType::YesNo,
                        QStringLiteral("No"));
    if (!names.contains(QStringLiteral("ImageLocation")))
        db.appendColumn(QStringLiteral("Items"), QStringLiteral("ImageLocation"), ColumnType::Text,
                        QString());
    db.execute(QStringLiteral("UPDATE ITEMS SET ImageLocation = 'Left' WHERE IsNull(ImageLocation)"));
    // The engine's own find index, for files made before it existed.
    ensureItemsSearchIndex(db);
}

} // namespace gw

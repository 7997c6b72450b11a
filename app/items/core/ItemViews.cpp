#include "ItemViews.h"

#include "ItemSchema.h"

namespace gw {

namespace {
const char* const NarrowColumns[] = {
    "ID", "EbayID", "Category", "ShortDescription", "Description", "Picture1Path", "Picture2Path",
    "Picture3Path", "Reserve", "MinBid", "Cost", "SalePrice", "DateAuctionStarted", "DateAuctionEnds",
    "DateBuyerContacted", "DateBuyerResponded", "BuyerEmail", "BuyerName", "BuyerStreet1",
    "BuyerStreet2", "BuyerStreet3", "BuyerCity", "BuyerState", "BuyerZip", "BuyerPhone",
    "DatePaymentRecd", "DatePaymentClrd", "DateItemShipped", "ShippingCost", "InsuranceCost",
    "Active", "LastPrice", "LastChecked", "UseCounter", "ImageLocation"};

QString narrowSelect()
{
    QStringList cols;
    for (const char* c : NarrowColumns)
        cols << QStringLiteral("Items.") + QLatin1String(c);
    return QStringLiteral("SELECT ") + cols.join(QStringLiteral(", "));
}
} // namespace

QString viewQuery(ItemView view)
{
    switch (view) {
    case ItemView::All:
        return QStringLiteral("Select * from Items Order by ID");
    case ItemView::Active:
        return narrowSelect() + QStringLiteral(" From Items WHERE (((Items.Active)=Yes)) ORDER BY ID;");
    case ItemView::Inactive:
        return narrowSelect() + QStringLiteral(" From Items WHERE (((Items.Active)=No)) ORDER BY ID;");
    }
    return QString();
}

QString viewCaption(ItemView view)
{
    switch (view) {
    case ItemView::All: return QStringLiteral("Gavelwise - Viewing All Auctions...");
    case ItemView::Active: return QStringLiteral("Gavelwise - Viewing all Active Auctions...");
    case ItemView::Inactive: return QStringLiteral("Gavelwise - Viewing all Inactive Auctions...");
    }
    return QString();
}

QString viewSavedName(ItemView view)
{
    switch (view) {
    case ItemView::All: return QStringLiteral("All");
    case ItemView::Active: return QStringLiteral("Open");
    case ItemView::Inactive: return QStringLiteral("Closed");
    }
    return QString();
}

std::optional<ItemView> viewFromSavedName(const QString& name)
{
    if (name == QLatin1String("All"))
        return ItemView::All;
    if (name == QLatin1String("Open"))
        return ItemView::Active;
    if (name == QLatin1String("Closed"))
        return ItemView::Inactive;
    return std::nullopt;
}

QStringList viewColumns(ItemView view)
{
    QStringList out;
    if (view == ItemView::All) {
        for (const ItemColumn& c : itemColumns())
            out << QLatin1String(c.name);
    } else {
        for (const char* c : NarrowColumns)
            out << QLatin1String(c);
    }
    return out;
}

QString noViewCaption() { return QStringLiteral("Gavelwise Heritage"); }

} // namespace gw

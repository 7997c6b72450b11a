#pragma once
// Table Items: its columns, the delivered empty table and the schema step run at start-up.

#include "ItemDatabase.h"

#include <vector>

namespace gw {

struct ItemColumn {
    const char* name;
    ColumnType type;
    int limit;              // most characters the program lets the user type; 0 = none
    const char* defaultSql; // column default in SQL, nullptr = none
};

// The 38 columns in the order of the record.
const std::vector<ItemColumn>& itemColumns();
const ItemColumn* findItemColumn(const QString& name); // case-insensitive; nullptr if none

// Creates table Items. Without the later columns the table has the 36 columns of the
// delivered database (no UseCounter, no ImageLocation).
void createItemsTable(Database& db, bool withLaterColumns);

// The text index that finds over EbayID, ShortDescription, Description, BuyerEmail and
// BuyerName use (table ItemsSearch, kept current by triggers). Created when missing.
void ensureItemsSearchIndex(Database& db);

// Adds UseCounter (yes/no, default No) and ImageLocation (text, no default) when missing,
// then sets ImageLocation to "Left" wherever it is null. Throws DbException.
void UpgradeItemsSchema(Database& db);

} // namespace gw

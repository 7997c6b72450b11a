#pragma once
// The three views of table Items: their queries, captions, saved names and column sets.

#include <QString>
#include <QStringList>

#include <optional>

namespace gw {

enum class ItemView { All, Active, Inactive };

QString viewQuery(ItemView view);
QString viewCaption(ItemView view);
// The text stored as "ItemsViewed": "All", "Open", "Closed".
QString viewSavedName(ItemView view);
std::optional<ItemView> viewFromSavedName(const QString& name);
// The columns a view's records carry (All: all 38; Active/Inactive: 35).
QStringList viewColumns(ItemView view);

// Caption of the main window before a view is chosen.
QString noViewCaption();

} // namespace gw

#pragma once
// Dates as text, in one fixed general form that does not depend on the user's locale:
// "M/D/YYYY" for a date at midnight, "M/D/YYYY h:mm:ss AM" otherwise
// (e.g. "1/1/1900", "3/5/2000 2:07:09 PM").

#include <QDateTime>
#include <QString>

#include <optional>

namespace gw {

QString toGeneralDate(const QDateTime& when);
QString toGeneralDate(const QDate& day);

// Accepts the general form (the time optional, "h:mm" or "h:mm:ss", with AM/PM or 24-hour)
// and the ISO forms "YYYY-MM-DD", "YYYY-MM-DDTHH:MM[:SS]" and "YYYY-MM-DD HH:MM[:SS]".
// Surrounding blanks are ignored. nullopt when the text is not a valid date.
std::optional<QDateTime> parseGeneralDate(const QString& text);

} // namespace gw

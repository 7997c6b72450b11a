#pragma once
// Date-and-time values of item columns: ISO text in the file, general date text on screen.
// A value whose date part is the zero date (30 Dec 1899) is a time of day only.

#include <QDateTime>
#include <QString>

#include <optional>

namespace gw {

// "yyyy-MM-ddTHH:mm:ss", the form kept in the database file.
QString toStorageDate(const QDateTime& value);
// The stored form back; nullopt for anything else.
std::optional<QDateTime> fromStorageDate(const QString& text);

// General date text: "5/1/2000" at midnight, "5/1/2000 3:04:05 PM" with a time,
// "12:00:00 PM" for a time of day only.
QString dateText(const QDateTime& value);
// Reads general date text (with or without seconds, 12- or 24-hour time, a time alone)
// or the stored form; nullopt when the text is no date.
std::optional<QDateTime> parseDateText(const QString& text);

// The zero date that carries time-only values.
QDate zeroDate();

} // namespace gw

#pragma once
// Shared text and file helpers of the program. All comparisons are case-sensitive.

#include <QString>

#include <functional>

namespace gw {

// Hands a file path or web address to the system's default handler (through prompt());
// the result is ignored and nothing is reported.
void OpenInBrowser(const QString& target);

// The characters after the last "\" or "/"; the whole text when it holds neither; empty for
// an empty path or one that ends in a separator.
QString FileNameOfPath(const QString& path);
// The characters up to and including the last "\" or "/"; empty when there is none.
QString FolderOfPath(const QString& path);

// Replaces the first occurrence; an empty search text puts the replacement in front.
QString ReplaceFirst(const QString& text, const QString& search, const QString& replacement);
// Replaces every occurrence, left to right, never scanning a replacement again.
// An empty search text returns the text unchanged.
QString ReplaceAll(const QString& text, const QString& search, const QString& replacement);
QString ReplaceChar(const QString& text, QChar c, const QString& replacement);

// 0x00BBGGRR -> "RRGGBB" (upper case, no "#"). Bits above the low 24 are ignored.
QString HtmlColor(quint32 value);

// The whole text file with every line end made CR LF (lines end at CR or CR LF and are then
// split at LF; every piece, the last included, gets CR LF). UTF-8, or Latin-1 when the file is
// not valid UTF-8. Empty on an empty path or any failure.
QString ReadTextFile(const QString& path);

// Waits `seconds` on the time-of-day clock, processing pending events on each turn.
// When the clock passes midnight the start moves back by 86400 s, so the wait still ends.
void Pause(double seconds);
// The same with the clock (seconds since midnight) and the event processing injected.
void Pause(double seconds, const std::function<double()>& secondsSinceMidnight,
           const std::function<void()>& processEvents);
// Seconds since local midnight, with fractions.
double SecondsSinceMidnight();

} // namespace gw

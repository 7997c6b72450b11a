#pragma once
// The one typed table of settings keys: section, key, text form and the default as the
// named reader applies it. Readers go through these entries, never through literals.
// Where two readers apply different defaults to the same key, there is one entry each.

#include "SettingsStore.h"

#include <QDateTime>
#include <QString>

namespace gw {

enum class SettingForm {
    Text,        // any text
    Trimmed,     // text the Options panel trims before writing
    Flag,        // "True"/"False" (any case) or a number, 0 = false
    Check,       // "0"/"1", read as a whole number
    Whole,       // decimal, 16-bit signed unless stated
    Whole32,     // decimal, 32-bit
    WindowSize,  // decimal text of a single-precision number of twips
    Date,        // general date text
    DateTime,    // general date text with time of day
};

struct SettingKey {
    const char* app;
    const char* section;
    const char* key;
    SettingForm form;
    const char* defaultText; // nullptr: the reader supplies a run-time default
};

namespace keys {
inline constexpr const char* App = "Gavelwise";
inline constexpr const char* Lotwatch = "Lotwatch";

// System
inline constexpr SettingKey ItemsViewed{App, "System", "ItemsViewed", SettingForm::Text, "All"};
// Options: new-item defaults
inline constexpr SettingKey DefaultReserveBid{App, "Options", "DefaultReserveBid", SettingForm::Text, "0"};
inline constexpr SettingKey DefaultMinimumBid{App, "Options", "DefaultMinimumBid", SettingForm::Text, "0"};
inline constexpr SettingKey DefaultImageLocation{App, "Options", "DefaultImageLocation", SettingForm::Text, "Left"};
inline constexpr SettingKey DefaultAuctionLength{App, "Options", "DefaultAuctionLength", SettingForm::Text, "7"};
inline constexpr SettingKey DefaultCounters{App, "Options", "DefaultCounters", SettingForm::Whole32, "0"};
} // namespace keys

// Read/write through the program-wide store.
QString readSetting(const SettingKey& k);
bool hasSetting(const SettingKey& k);
void writeSetting(const SettingKey& k, const QString& value);

} // namespace gw

#pragma once
// The one typed table of settings keys: section, key, text form and the default as the
// named reader applies it. Readers go through these entries, never through literals.
// Where two readers apply different defaults to the same key, there is one entry each.

#include "SettingsStore.h"

#include <QDateTime>
#include <QString>

#include <optional>

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

#define GW_KEY(name, section, key, form, def) \
    inline constexpr SettingKey name{App, section, key, SettingForm::form, def}

// Options: connections and picture upload
GW_KEY(FTPUserid, "Options", "FTPUserid", Trimmed, "");
GW_KEY(FTPPassword, "Options", "FTPPassword", Trimmed, "");
GW_KEY(RemoteHost, "Options", "RemoteHost", Trimmed, "");
GW_KEY(RemotePort, "Options", "RemotePort", Text, "21");
GW_KEY(ImageLoc, "Options", "ImageLoc", Trimmed, "");
GW_KEY(AuctionDirAtLoad, "Options", "AuctionDir", Trimmed, ".\\"); // main-window load
GW_KEY(AuctionDirInOptions, "Options", "AuctionDir", Trimmed, "");  // Options panel
GW_KEY(UploadRelative, "Options", "UploadRelative", Flag, "True");
GW_KEY(UploadAbsolute, "Options", "UploadAbsolute", Flag, nullptr); // stored only
GW_KEY(Passive, "Options", "Passive", Check, "0");
GW_KEY(Overwrite, "Options", "Overwrite", Flag, "False");
GW_KEY(RemoteSMTPHost, "Options", "RemoteSMTPHost", Trimmed, "");
GW_KEY(RemoteSMTPPort, "Options", "RemoteSMTPPort", Text, "25");
GW_KEY(UseProxy, "Options", "UseProxy", Check, "0");
GW_KEY(ProxyServer, "Options", "ProxyServer", Trimmed, "");
GW_KEY(ProxyPort, "Options", "ProxyPort", Text, "80");
GW_KEY(UseDefaultBrowser, "Options", "UseDefaultBrowser", Flag, "True");
GW_KEY(BrowserPath, "Options", "BrowserPath", Text, "");

// Options: seller data, notes and listing texts
GW_KEY(UserEmail, "Options", "UserEmail", Trimmed, "");
GW_KEY(eBayPassword, "Options", "eBayPassword", Trimmed, "");
GW_KEY(SendFrom, "Options", "SendFrom", Trimmed, "");
GW_KEY(DefaultCC, "Options", "DefaultCC", Trimmed, "");
GW_KEY(PayMsg, "Options", "PayMsg", Text, "Please send check or money order to:");
GW_KEY(SendAddress0, "Options", "SendAddress0", Text, "");
GW_KEY(SendAddress1, "Options", "SendAddress1", Text, "");
GW_KEY(SendAddress2, "Options", "SendAddress2", Text, "");
GW_KEY(SendAddress3, "Options", "SendAddress3", Text, "");
GW_KEY(RecdMsgForNote, "Options", "RecdMsg", Text, "");  // the payment-received note
GW_KEY(RecdMsgInOptions, "Options", "RecdMsg", Text, "We will ship as soon as payment clears.");
GW_KEY(Closing, "Options", "Closing", Text, "It's been a pleasure doing business with you.");
GW_KEY(Signature, "Options", "Signature", Text, "");
GW_KEY(Feedback, "Options", "Feedback", Trimmed, "");
GW_KEY(Location, "Options", "Location", Text, "");
GW_KEY(TaxMsg, "Options", "TaxMsg", Text, "");
GW_KEY(SubHeading, "Options", "SubHeading", Text, "");
GW_KEY(PayOptions, "Options", "PayOptions", Text,
       "Buyer to pay shipping/handling and insurance if desired. Please allow time for personal "
       "check to clear or send m.o. for quick shipping.");
GW_KEY(NoReserve, "Options", "NoReserve", Text, "NO RESERVE!");
GW_KEY(SeeOther, "Options", "SeeOther", Text,
       "Please check out the other auctions we currently have running on eBay.");

// Options: start-auction form defaults (families PaymentOpt, ShippingOpt, OtherCountry below)
GW_KEY(ShippingDestination, "Options", "ShippingDestination", Text, "HomeCountryOnly");
GW_KEY(Region, "Options", "Region", Text, "Do not list regionally");
GW_KEY(RegionNum, "Options", "RegionNum", Text, "Do not list regionally"); // as the auto-fill reads it
GW_KEY(Country, "Options", "Country", Text, "United States");
GW_KEY(CountryNum, "Options", "CountryNum", Text, "1");
GW_KEY(PICImageURL, "Options", "PICImageURL", Text, "http://www.ravenmoor.example/pbg.gif");
GW_KEY(RetrieveEveryTime, "Options", "RetrieveEveryTime", Flag, "False");
GW_KEY(NewCat, "Options", "NewCat", Flag, "True");

// Options: new-item defaults
GW_KEY(DefaultReserveBid, "Options", "DefaultReserveBid", Text, "0");
GW_KEY(DefaultMinimumBid, "Options", "DefaultMinimumBid", Text, "0");
GW_KEY(DefaultImageLocation, "Options", "DefaultImageLocation", Text, "Left");
GW_KEY(DefaultAuctionLength, "Options", "DefaultAuctionLength", Text, "7");
GW_KEY(DefaultCounters, "Options", "DefaultCounters", Whole32, "0");

// Options: web addresses. One host per server role.
GW_KEY(HomePage, "Options", "HomePage", Trimmed, "http://www.ravenmoor.example/");
GW_KEY(EbayStartPage, "Options", "EbayStartPage", Trimmed,
       "http://cgi.ebay.example/aw-cgi/eBayISAPI.dll?ListItemForSale");
GW_KEY(EbayLeaveFeedback, "Options", "EbayLeaveFeedback", Trimmed,
       "http://feedback.ebay.example/aw-cgi/eBayISAPI.dll?LeaveFeedbackShow");
GW_KEY(EbayViewFeedback, "Options", "EbayViewFeedback", Trimmed,
       "http://feedback.ebay.example/aw-cgi/eBayISAPI.dll?ViewFeedback&userid=");
GW_KEY(EbaySellerReport, "Options", "EbaySellerReport", Trimmed,
       "http://reports.ebay.example/aw-cgi/"
       "eBayISAPI.dll?MfcISAPICommand=ViewListedItemsWithEmails&rows=0&userid=");
GW_KEY(EbayListing, "Options", "EbayListing", Trimmed,
       "http://item.ebay.example/aw-cgi/eBayISAPI.dll?ViewItem&item=");
GW_KEY(EbayRelistPage, "Options", "EbayRelistPage", Text, nullptr);         // stored only
GW_KEY(EbayDutchBidHistory, "Options", "EbayDutchBidHistory", Text, nullptr); // stored only
// The feedback page address of older versions, replaced by EbayLeaveFeedback at load.
inline constexpr const char* OldLeaveFeedbackAddress = "http://pages.ebay.example/aw/user-feedback.html";

// Options: reports, counters, clean-up, links (families below), window state
GW_KEY(ShowPast, "Options", "ShowPast", Flag, "False");
GW_KEY(PastDaysForReport, "Options", "PastDays", Whole, "1");
GW_KEY(PastDaysInOptions, "Options", "PastDays", Whole, "2");
GW_KEY(HonestyEmail, "Options", "HonestyEmail", Trimmed, "");
GW_KEY(HonestyPass, "Options", "HonestyPass", Trimmed, "");
GW_KEY(HonestyDays, "Options", "HonestyDays", Whole, "0");
GW_KEY(CounterUserid, "Options", "CounterUserid", Text, nullptr);
GW_KEY(CounterPassword, "Options", "CounterPassword", Text, nullptr);
GW_KEY(CounterEmailAddress, "Options", "CounterEmailAddress", Text, nullptr);
GW_KEY(EraseHDImgs, "Options", "EraseHDImgs", Whole32, "1");
GW_KEY(EraseWebImgs, "Options", "EraseWebImgs", Whole32, "1");
GW_KEY(LeaveFeedbackNow, "Options", "LeaveFeedbackNow", Whole32, "1");
GW_KEY(ShowUpgradeNote, "Options", "Show Upgrade Note at Startup", Check, "1");
// Run-time defaults: the designed size at load (and 11800 / screen less 150 at start-up).
GW_KEY(MainFormHeight, "Options", "MainFormHeight", WindowSize, nullptr);
GW_KEY(MainFormWidth, "Options", "MainFormWidth", WindowSize, nullptr);
GW_KEY(ToolBar, "Options", "ToolBar", Flag, "True");          // written by the View command
GW_KEY(ToolbarAtLoad, "Options", "Toolbar", Flag, "True");    // read at window load
GW_KEY(StatusBar, "Options", "StatusBar", Flag, "True");
GW_KEY(StatusbarAtLoad, "Options", "Statusbar", Flag, "True");

// Maint
GW_KEY(BackupDays, "Maint", "BackupDays", Whole, "7");
GW_KEY(LastBackedUp, "Maint", "LastBackedUp", DateTime, nullptr); // run-time default: now
GW_KEY(UpgradeAlways, "Maint", "UpgradeAlways", Check, "1");
GW_KEY(DateUpgraded, "Maint", "DateUpgraded", Date, "1/1/1900");

// Screen (run-time defaults: the window's current value)
GW_KEY(MaintLeft, "Screen", "MaintLeft", WindowSize, nullptr);
GW_KEY(MaintWidth, "Screen", "MaintWidth", WindowSize, nullptr);
GW_KEY(MaintHeight, "Screen", "MaintHeight", WindowSize, nullptr);
GW_KEY(MaintTop, "Screen", "MaintTop", Whole, "0");
GW_KEY(SpellCheckLeft, "Screen", "SpellCheckLeft", Whole, "0");
GW_KEY(SpellCheckTop, "Screen", "SpellCheckTop", Whole, "0");

// States
GW_KEY(ImageDefFolder, "States", "ImageDefFolder", Text, "");
GW_KEY(ImgPlacement, "States", "ImgPlacement", Text, "Left");
GW_KEY(AutoMsgNum, "States", "AutoMsgNum", Whole, "0");
GW_KEY(ServerLocationVersion, "States", "ServerLocationVersion", Whole, "0");

// System, SystemData
GW_KEY(ItemsViewed, "System", "ItemsViewed", Text, "All");
GW_KEY(AppPath, "SystemData", "AppPath", Text, nullptr); // written at every start, never read
inline constexpr SettingKey LotwatchAppPath{Lotwatch, "SystemData", "AppPath", SettingForm::Text, ""};

#undef GW_KEY

// Key families. Numbers outside the family throw std::out_of_range.
SettingKey linkName(int n);     // "LinkName 1" ... "LinkName 10", default ""
SettingKey linkUrl(int n);      // "LinkURL 1" ... "LinkURL 10", default ""
SettingKey paymentOpt(int n);   // "PaymentOpt 1" ... "PaymentOpt 9", default "0", 9: "1"
SettingKey shippingOpt(int n);  // "ShippingOpt 1" ... "ShippingOpt 4", default "0", 4: "1"
SettingKey otherCountry(int n); // "OtherCountry0" ... "OtherCountry8", default "0"
SettingKey sendAddress(int n);  // "SendAddress0" ... "SendAddress3", default ""

// The three links seeded at start-up when their names are empty.
struct SeededLink {
    const char* name;
    const char* url;
};
inline constexpr SeededLink SeededLinks[3] = {
    {"USPS Tracking", "http://www.usps.example/cttgate/"},
    {"FedEx Tracking", "http://www.fedex.example/us/tracking/"},
    {"UPS Tracking", "http://www.ups.example/tracking/tracking.html"},
};
} // namespace keys

// Read/write through the program-wide store. A key without a table default reads as
// `runtimeDefault` (the first form: as "") when absent.
QString readSetting(const SettingKey& k);
QString readSetting(const SettingKey& k, const QString& runtimeDefault);
bool hasSetting(const SettingKey& k);
void writeSetting(const SettingKey& k, const QString& value);

// Text forms. Each parser accepts surrounding blanks and returns nullopt when the text cannot
// be converted (the reader's step then fails).
std::optional<bool> parseFlag(const QString& text); // "True"/"False" any case, or a number (0 = false)
QString flagText(bool value);                        // "True" / "False"
std::optional<qint16> parseWhole(const QString& text); // a number, rounded half to even, in range
std::optional<qint32> parseWhole32(const QString& text);
std::optional<double> parseWindowSize(const QString& text);
QString windowSizeText(double twips); // single-precision decimal text, e.g. "11800", "5385.5"

// Typed reads of the program-wide store through the key's form; nullopt when the stored text
// (or the default) cannot be converted. Dates: see DateText.h.
std::optional<bool> readFlag(const SettingKey& k);
std::optional<qint16> readWhole(const SettingKey& k);
std::optional<qint32> readWhole32(const SettingKey& k);
std::optional<double> readWindowSize(const SettingKey& k, double runtimeDefault);
std::optional<QDateTime> readDate(const SettingKey& k, const QDateTime& runtimeDefault);
void writeFlag(const SettingKey& k, bool value);
void writeDate(const SettingKey& k, const QDateTime& value);

} // namespace gw

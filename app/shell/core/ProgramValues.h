#pragma once
// Program-wide values: set once at start-up (or by the Parts that own them) and read
// everywhere. One instance, reached through values().

#include <QString>

#include <array>

namespace gw {

class Database; // the item database connection (item store library)

struct TimeZoneInfo {
    int biasMinutes = 0;          // UTC = local time + bias
    QString standardName;
    QString daylightName;
    int daylightBiasMinutes = 0;  // extra bias while daylight time applies
    bool hasDaylight = false;
};

struct ProgramValues {
    QString ProgramDir;    // never ends in a separator
    QString DatabasePath;  // ProgramDir + separator + "gw2.mdb"
    Database* ItemDatabase = nullptr;
    TimeZoneInfo LocalTimeZone;
    std::array<QString, 6> PictureFiles; // slots 1..5 used; [0] unused

    // The item shown in the main window.
    int CurrentItemId = 0; // widened from 16 bits so that IDs above 32767 work
    QString CurrentEbayId;
    QString CurrentShortDescription;

    // Copies of "Options" settings, read when the main window loads.
    QString FTPUserid, FTPPassword, RemoteHost, RemotePort;
    QString ImageLoc, AuctionDir;
    bool UploadRelative = true;
    QString RemoteSMTPHost, RemoteSMTPPort;
    QString Signature, DefaultCC;
    QString PayMsg, SendAddress0, SendAddress1, SendAddress2, SendAddress3, Closing, TaxMsg;
    QString UserEmail, eBayPassword, Location, Feedback;
    QString HomePage, EbayStartPage, EbayLeaveFeedback, EbayViewFeedback, EbayListing,
        EbaySellerReport;

    // A program file name: ProgramDir + platform separator + name.
    QString programFile(const QString& name) const;
};

ProgramValues& values();

} // namespace gw

#include "SettingCopies.h"

#include "ProgramValues.h"
#include "SettingKeys.h"

namespace gw {

void loadSettingCopies()
{
    ProgramValues& v = values();
    v.FTPUserid = readSetting(keys::FTPUserid);
    v.FTPPassword = readSetting(keys::FTPPassword);
    v.RemoteHost = readSetting(keys::RemoteHost);
    v.RemotePort = readSetting(keys::RemotePort);
    v.ImageLoc = readSetting(keys::ImageLoc);
    v.AuctionDir = readSetting(keys::AuctionDirAtLoad);
    // A flag that does not convert keeps the default rather than stopping the load.
    v.UploadRelative = readFlag(keys::UploadRelative).value_or(true);
    v.RemoteSMTPHost = readSetting(keys::RemoteSMTPHost);
    v.RemoteSMTPPort = readSetting(keys::RemoteSMTPPort);
    v.Signature = readSetting(keys::Signature);
    v.DefaultCC = readSetting(keys::DefaultCC);
    v.PayMsg = readSetting(keys::PayMsg);
    v.SendAddress0 = readSetting(keys::SendAddress0);
    v.SendAddress1 = readSetting(keys::SendAddress1);
    v.SendAddress2 = readSetting(keys::SendAddress2);
    v.SendAddress3 = readSetting(keys::SendAddress3);
    v.Closing = readSetting(keys::Closing);
    v.TaxMsg = readSetting(keys::TaxMsg);
    v.UserEmail = readSetting(keys::UserEmail);
    v.eBayPassword = readSetting(keys::eBayPassword);
    v.Location = readSetting(keys::Location);
    v.Feedback = readSetting(keys::Feedback);
    v.HomePage = readSetting(keys::HomePage);
    v.EbayStartPage = readSetting(keys::EbayStartPage);
    v.EbayLeaveFeedback = readSetting(keys::EbayLeaveFeedback);
    v.EbayViewFeedback = readSetting(keys::EbayViewFeedback);
    v.EbayListing = readSetting(keys::EbayListing);
    v.EbaySellerReport = readSetting(keys::EbaySellerReport);

    if (v.EbayLeaveFeedback == QLatin1String(keys::OldLeaveFeedbackAddress)) {
        v.EbayLeaveFeedback = QString::fromLatin1(keys::EbayLeaveFeedback.defaultText);
        writeSetting(keys::EbayLeaveFeedback, v.EbayLeaveFeedback);
    }
}

} // namespace gw

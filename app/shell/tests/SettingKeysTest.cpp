#include "ScriptedPrompt.h"
#include "core/DateText.h"
#include "core/SettingKeys.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

using namespace gw;

namespace {

struct KeysTest : ::testing::Test {
    test::TempSettings temp;
};

TEST_F(KeysTest, ReadersApplyTheirOwnDefaults)
{
    struct Case {
        SettingKey key;
        const char* section;
        const char* name;
        const char* absent;
    };
    const std::vector<Case> cases = {
        {keys::AuctionDirAtLoad, "Options", "AuctionDir", ".\\"},
        {keys::AuctionDirInOptions, "Options", "AuctionDir", ""},
        {keys::RecdMsgForNote, "Options", "RecdMsg", ""},
        {keys::RecdMsgInOptions, "Options", "RecdMsg", "We will ship as soon as payment clears."},
        {keys::PastDaysForReport, "Options", "PastDays", "1"},
        {keys::PastDaysInOptions, "Options", "PastDays", "2"},
        {keys::paymentOpt(1), "Options", "PaymentOpt 1", "0"},
        {keys::paymentOpt(8), "Options", "PaymentOpt 8", "0"},
        {keys::paymentOpt(9), "Options", "PaymentOpt 9", "1"},
        {keys::shippingOpt(3), "Options", "ShippingOpt 3", "0"},
        {keys::shippingOpt(4), "Options", "ShippingOpt 4", "1"},
        {keys::otherCountry(0), "Options", "OtherCountry0", "0"},
        {keys::otherCountry(8), "Options", "OtherCountry8", "0"},
        {keys::sendAddress(3), "Options", "SendAddress3", ""},
        {keys::linkName(10), "Options", "LinkName 10", ""},
        {keys::linkUrl(1), "Options", "LinkURL 1", ""},
        {keys::RemotePort, "Options", "RemotePort", "21"},
        {keys::RemoteSMTPPort, "Options", "RemoteSMTPPort", "25"},
        {keys::ProxyPort, "Options", "ProxyPort", "80"},
        {keys::UploadRelative, "Options", "UploadRelative", "True"},
        {keys::Closing, "Options", "Closing", "It's been a pleasure doing business with you."},
        {keys::PayMsg, "Options", "PayMsg", "Please send check or money order to:"},
        {keys::ShowUpgradeNote, "Options", "Show Upgrade Note at Startup", "1"},
        {keys::EbayStartPage, "Options", "EbayStartPage",
         "http://cgi.ebay.example/aw-cgi/eBayISAPI.dll?ListItemForSale"},
        {keys::EbaySellerReport, "Options", "EbaySellerReport",
         "http://reports.ebay.example/aw-cgi/"
         "eBayISAPI.dll?MfcISAPICommand=ViewListedItemsWithEmails&rows=0&userid="},
        {keys::BackupDays, "Maint", "BackupDays", "7"},
        {keys::UpgradeAlways, "Maint", "UpgradeAlways", "1"},
        {keys::DateUpgraded, "Maint", "DateUpgraded", "1/1/1900"},
        {keys::MaintTop, "Screen", "MaintTop", "0"},
        {keys::ImgPlacement, "States", "ImgPlacement", "Left"},
        {keys::ItemsViewed, "System", "ItemsViewed", "All"},
        {keys::LotwatchAppPath, "SystemData", "AppPath", ""},
    };
    for (const Case& c : cases) {
        EXPECT_STREQ(c.key.section, c.section) << c.name;
        EXPECT_STREQ(c.key.key, c.name);
        EXPECT_FALSE(hasSetting(c.key)) << c.name;
        EXPECT_EQ(readSetting(c.key), QString::fromUtf8(c.absent)) << c.name;
    }
    EXPECT_STREQ(keys::LotwatchAppPath.app, "Lotwatch");
    // A present empty value is not replaced by any reader's default.
    writeSetting(keys::RecdMsgForNote, "");
    EXPECT_EQ(readSetting(keys::RecdMsgInOptions), "");
    writeSetting(keys::paymentOpt(9), "0");
    EXPECT_EQ(readWhole(keys::paymentOpt(9)), std::optional<qint16>(0));
}

TEST_F(KeysTest, FamiliesNameTheirKeysAndRejectOtherNumbers)
{
    writeSetting(keys::linkName(10), "Tracking");
    const QByteArray file = [&] {
        QFile f(temp.path());
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }();
    EXPECT_TRUE(file.contains("\nLinkName 10=Tracking\n")) << file.constData();
    EXPECT_EQ(temp.store().read("Gavelwise", "Options", "linkname 10", ""), "Tracking");
    EXPECT_THROW(keys::linkName(0), std::out_of_range);
    EXPECT_THROW(keys::linkName(11), std::out_of_range);
    EXPECT_THROW(keys::paymentOpt(10), std::out_of_range);
    EXPECT_THROW(keys::shippingOpt(0), std::out_of_range);
    EXPECT_THROW(keys::otherCountry(9), std::out_of_range);
    EXPECT_THROW(keys::sendAddress(-1), std::out_of_range);
}

TEST_F(KeysTest, WrittenAndReadInDifferentCaseReachOneEntry)
{
    writeFlag(keys::ToolBar, false);
    EXPECT_EQ(readSetting(keys::ToolbarAtLoad), "False");
    EXPECT_EQ(readFlag(keys::ToolbarAtLoad), std::optional<bool>(false));
    writeFlag(keys::StatusBar, true);
    EXPECT_EQ(readFlag(keys::StatusbarAtLoad), std::optional<bool>(true));
}

TEST(TextForms, Flags)
{
    struct Case {
        const char* text;
        std::optional<bool> value;
    };
    const Case cases[] = {{"True", true},   {"false", false}, {"TRUE", true},  {" False ", false},
                          {"0", false},     {"1", true},      {"-1", true},    {"2.5", true},
                          {"0.0", false},   {"yes", std::nullopt}, {"", std::nullopt},
                          {"Tru", std::nullopt}};
    for (const Case& c : cases)
        EXPECT_EQ(parseFlag(c.text), c.value) << c.text;
    EXPECT_EQ(flagText(true), "True");
    EXPECT_EQ(flagText(false), "False");
}

TEST(TextForms, WholeNumbers)
{
    struct Case {
        const char* text;
        std::optional<qint16> v16;
        std::optional<qint32> v32;
    };
    const Case cases[] = {
        {"7", 7, 7},
        {" 0 ", 0, 0},
        {"-32768", -32768, -32768},
        {"32767", 32767, 32767},
        {"32768", std::nullopt, 32768},
        {"-32769", std::nullopt, -32769},
        {"2147483647", std::nullopt, 2147483647},
        {"2147483648", std::nullopt, std::nullopt},
        {"2.5", 2, 2}, // half to even
        {"3.5", 4, 4},
        {"abc", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"7 days", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseWhole(c.text), c.v16) << c.text;
        EXPECT_EQ(parseWhole32(c.text), c.v32) << c.text;
    }
}

TEST(TextForms, WindowSizes)
{
    EXPECT_EQ(windowSizeText(11800), "11800");
    EXPECT_EQ(windowSizeText(5385.5), "5385.5");
    EXPECT_EQ(windowSizeText(0), "0");
    EXPECT_EQ(parseWindowSize("11800"), std::optional<double>(11800));
    EXPECT_EQ(parseWindowSize(" 5385.5"), std::optional<double>(5385.5));
    EXPECT_EQ(parseWindowSize("wide"), std::nullopt);
    EXPECT_EQ(parseWindowSize(windowSizeText(1234.56)), std::optional<double>(static_cast<float>(1234.56)));
}

TEST(DateText, GeneralFormIsFixed)
{
    struct Case {
        QDateTime when;
        const char* text;
    };
    const Case cases[] = {
        {QDateTime(QDate(1900, 1, 1), QTime(0, 0)), "1/1/1900"},
        {QDateTime(QDate(2000, 3, 5), QTime(14, 7, 9)), "3/5/2000 2:07:09 PM"},
        {QDateTime(QDate(2000, 12, 31), QTime(0, 0, 1)), "12/31/2000 12:00:01 AM"},
        {QDateTime(QDate(2026, 7, 4), QTime(12, 30, 0)), "7/4/2026 12:30:00 PM"},
        {QDateTime(QDate(2026, 7, 4), QTime(11, 59, 59)), "7/4/2026 11:59:59 AM"},
    };
    const QLocale saved;
    for (const char* locale : {"en_US", "de_DE", "ja_JP"}) {
        QLocale::setDefault(QLocale(QString::fromLatin1(locale)));
        for (const Case& c : cases) {
            EXPECT_EQ(toGeneralDate(c.when), QString(c.text)) << locale;
            EXPECT_EQ(parseGeneralDate(c.text), std::optional<QDateTime>(c.when)) << c.text;
        }
    }
    QLocale::setDefault(saved);
}

TEST(DateText, ParserAcceptsIsoAndRejectsNonsense)
{
    struct Case {
        const char* text;
        std::optional<QDateTime> when;
    };
    const Case cases[] = {
        {"2000-03-05", QDateTime(QDate(2000, 3, 5), QTime(0, 0))},
        {"2000-03-05T14:07:09", QDateTime(QDate(2000, 3, 5), QTime(14, 7, 9))},
        {"2000-03-05 14:07", QDateTime(QDate(2000, 3, 5), QTime(14, 7))},
        {" 3/5/2000 ", QDateTime(QDate(2000, 3, 5), QTime(0, 0))},
        {"3/5/2000 14:07:09", QDateTime(QDate(2000, 3, 5), QTime(14, 7, 9))},
        {"3/5/2000 2:07 pm", QDateTime(QDate(2000, 3, 5), QTime(14, 7))},
        {"2/30/2000", std::nullopt},
        {"13/1/2000", std::nullopt},
        {"3/5/2000 13:00:00 PM", std::nullopt},
        {"3/5/2000 0:00:00 AM", std::nullopt},
        {"05.03.2000", std::nullopt},
        {"yesterday", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseGeneralDate(c.text), c.when) << c.text;
}

TEST_F(KeysTest, DatesRoundTripThroughTheStoreUnderAnotherLocale)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QDateTime when(QDate(2026, 11, 30), QTime(17, 45, 3));
    writeDate(keys::LastBackedUp, when);
    EXPECT_EQ(readSetting(keys::LastBackedUp), "11/30/2026 5:45:03 PM");
    EXPECT_EQ(readDate(keys::LastBackedUp, QDateTime()), std::optional<QDateTime>(when));
    QLocale::setDefault(saved);
    EXPECT_EQ(readDate(keys::LastBackedUp, QDateTime()), std::optional<QDateTime>(when));
    // Absent: the reader's run-time default; unconvertible: reported.
    const QDateTime now(QDate(2026, 1, 2), QTime(3, 4, 5));
    EXPECT_EQ(readDate(keys::DateUpgraded, now), std::optional<QDateTime>(QDateTime(QDate(1900, 1, 1), QTime(0, 0))));
    writeSetting(keys::LastBackedUp, "sometime");
    EXPECT_EQ(readDate(keys::LastBackedUp, now), std::nullopt);
}

} // namespace

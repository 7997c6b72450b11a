// Field rules of the main window's item fields.

#include "ItemBrowser.h"
#include "ItemDbFixture.h"
#include "ScriptedPrompt.h"

#include "core/ProgramValues.h"

#include <QDir>
#include <QFile>

using namespace gw;

namespace {

const QString InvalidEbayId = QStringLiteral(
    "eBayID's can only have numbers in them. This field should be filled with the unique number eBay "
    "assigns your auction.");

QString cantFind(const QString& path)
{
    return QStringLiteral("Can't find file: ") + path
           + QStringLiteral("\r\n\r\nYou cannot put the URL to a file on the internet here.  GW assumes it will be "
                            "uploading the image, so it expects the\r\npath to an image on the hard drive in this "
                            "box.  Please re-enter a valid path to an image on your hard drive.");
}

class FieldRulesTest : public gw::test::ItemDbFixture {
protected:
    void SetUp() override
    {
        ItemDbFixture::SetUp();
        addItem(QStringLiteral("one"));
        addItem(QStringLiteral("two"));
        browser = std::make_unique<ItemBrowser>(*db);
        browser->selectView(ItemView::All);
        browser->takeRequests();
    }
    void TearDown() override
    {
        browser.reset();
        ItemDbFixture::TearDown();
    }

    gw::test::TempSettings settingsFile;
    gw::test::ScriptedPrompt prompts;
    std::unique_ptr<ItemBrowser> browser;
};

} // namespace

TEST_F(FieldRulesTest, EbayIdAcceptsDigitsOnly)
{
    struct Keystroke {
        const char* text;
        bool refused;
        const char* field;
        bool commandsOn;
    };
    // Typing "12a" letter by letter, then other entries.
    const Keystroke steps[] = {
        {"1", false, "1", true},   {"12", false, "12", true}, {"12a", true, "", false},
        {" 345 ", false, "345", true}, {"", false, "", false}, {"1.5", true, "", false},
        {"-3", true, "", false},   {"123456789012", false, "123456789012", true},
    };
    for (const Keystroke& k : steps) {
        if (k.refused)
            prompts.expectMessage(InvalidEbayId, QStringLiteral("Invalid Userid"), PromptIcon::Warning,
                                  PromptButtons::Ok, PromptAnswer::Ok);
        browser->ebayIdChanged(QString::fromLatin1(k.text));
        EXPECT_EQ(browser->field(QStringLiteral("EbayID")), QString::fromLatin1(k.field)) << k.text;
        EXPECT_EQ(values().CurrentEbayId, QString::fromLatin1(k.field)) << k.text;
        EXPECT_EQ(browser->commands().endingAuction, k.commandsOn) << k.text;
        EXPECT_EQ(browser->commands().ebayListing, k.commandsOn) << k.text;
    }
}

TEST_F(FieldRulesTest, MoneyFieldsTakeDigitsAndPointOnly)
{
    struct Key {
        char16_t key;
        bool accepted;
    };
    const Key keys[] = {{u'0', true}, {u'9', true}, {u'.', true}, {u'\b', true}, {u'a', false},
                        {u'-', false}, {u',', false}, {u' ', false}, {u'\u0663', false}};
    int beeps = 0;
    for (const Key& k : keys) {
        EXPECT_EQ(browser->moneyKeyTyped(QChar(k.key)), k.accepted) << int(k.key);
        beeps += k.accepted ? 0 : 1;
    }
    EXPECT_EQ(browser->takeRequests().beeps, beeps);
    for (const char* c : {"Reserve", "MinBid", "Cost"}) {
        browser->moneyChanged(QLatin1String(c), QString());
        EXPECT_EQ(browser->field(QLatin1String(c)), QStringLiteral("0")) << c;
        browser->moneyChanged(QLatin1String(c), QStringLiteral("12.5"));
        EXPECT_EQ(browser->field(QLatin1String(c)), QStringLiteral("12.5")) << c;
    }
}

TEST_F(FieldRulesTest, StartDateAndLengthSetTheEnd)
{
    browser->auctionLengthChosen(QStringLiteral("7"));
    browser->dateStartedLeft(QStringLiteral("5/1/2000 3:00:00 PM"));
    EXPECT_EQ(browser->field(QStringLiteral("DateAuctionEnds")), QStringLiteral("5/8/2000 3:00:00 PM"));
    browser->auctionLengthChosen(QStringLiteral("10"));
    EXPECT_EQ(browser->field(QStringLiteral("DateAuctionEnds")), QStringLiteral("5/11/2000 3:00:00 PM"));
    browser->auctionLengthChosen(QStringLiteral("4")); // typed numbers work too
    EXPECT_EQ(browser->field(QStringLiteral("DateAuctionEnds")), QStringLiteral("5/5/2000 3:00:00 PM"));
    // An empty or unreadable start leaves the end alone.
    browser->dateStartedLeft(QString());
    browser->dateStartedLeft(QStringLiteral("someday"));
    EXPECT_EQ(browser->field(QStringLiteral("DateAuctionEnds")), QStringLiteral("5/5/2000 3:00:00 PM"));
    browser->auctionLengthLeft(QStringLiteral("  "));
    EXPECT_EQ(browser->auctionLength(), QStringLiteral("7"));
    browser->auctionLengthLeft(QStringLiteral("3"));
    EXPECT_EQ(browser->auctionLength(), QStringLiteral("3"));
}

TEST_F(FieldRulesTest, PicturePathsMustNameExistingFiles)
{
    const QString existing = dir.filePath(QStringLiteral("lamp.gif"));
    QFile f(existing);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("GIF89a");
    f.close();

    // An existing file and an empty field pass.
    browser->picturePathChanged(1, QStringLiteral("  ") + existing);
    EXPECT_TRUE(browser->picturePathLeft(1));
    EXPECT_TRUE(browser->commands().uploadImages);
    browser->picturePathChanged(2, QString());
    EXPECT_TRUE(browser->picturePathLeft(2));

    struct Case {
        QString path;
        QString firstMessage; // shown before the "Can't find file" message, if any
        QString firstCaption;
    };
    const Case cases[] = {
        {dir.filePath(QStringLiteral("missing.gif")), QString(), QString()},
        {QStringLiteral("http://example.com/a.gif"), QString(), QString()},
        {dir.path(), QString(), QString()}, // a folder is no file
        {existing + QStringLiteral("/inner.gif"),
         QStringLiteral("You have entered an invalid path for a media file.\n\rPlease note that HTML is not allowed "
                        "in these fields.  Please re-enter."),
         QStringLiteral("Invalid file")},
        {QStringLiteral("/") + QString(5000, QLatin1Char('x')),
         QStringLiteral("A file is bad or missing. Please ensure the drive with any referenced graphic files is available"),
         QStringLiteral("Missing file")},
    };
    for (const Case& c : cases) {
        browser->setPreviewedPicture(3);
        browser->picturePathChanged(3, c.path);
        EXPECT_EQ(browser->takeRequests().previewPicture, 3);
        if (!c.firstMessage.isEmpty())
            prompts.expectMessage(c.firstMessage, c.firstCaption, PromptIcon::Warning, PromptButtons::Ok,
                                  PromptAnswer::Ok);
        prompts.expectMessage(cantFind(c.path), QString(), PromptIcon::Warning, PromptButtons::Ok, PromptAnswer::Ok);
        EXPECT_FALSE(browser->picturePathLeft(3));
        EXPECT_EQ(browser->field(QStringLiteral("Picture3Path")), QString());
        EXPECT_EQ(browser->takeRequests().focusPicture, 3);
    }
    browser->picturePathChanged(1, QString());
    EXPECT_FALSE(browser->commands().uploadImages);
}

TEST_F(FieldRulesTest, ChosenPicturePathIsLimitedTo100Characters)
{
    const QString ok = QStringLiteral("/") + QString(99, QLatin1Char('p'));
    EXPECT_TRUE(browser->pictureChosen(2, ok));
    EXPECT_EQ(browser->field(QStringLiteral("Picture2Path")), ok);
    EXPECT_EQ(browser->takeRequests().previewPicture, 2);
    prompts.expectMessage(QStringLiteral("Filepaths cannot be longer than 100 characters.\r\n"
                                         "Please rename file or move to a shorter path."),
                          QStringLiteral("File path too long"), PromptIcon::Warning, PromptButtons::Ok, PromptAnswer::Ok);
    EXPECT_FALSE(browser->pictureChosen(2, ok + QLatin1Char('p')));
    EXPECT_EQ(browser->field(QStringLiteral("Picture2Path")), ok);
}

TEST_F(FieldRulesTest, DescriptionsDecideTheListingCommands)
{
    browser->shortDescriptionChanged(QString());
    EXPECT_TRUE(values().CurrentShortDescription.isEmpty());
    EXPECT_FALSE(browser->commands().viewListing);
    browser->descriptionChanged(QStringLiteral("text"));
    EXPECT_TRUE(browser->commands().viewListing);
    browser->descriptionChanged(QString());
    browser->shortDescriptionChanged(QStringLiteral("lamp"));
    EXPECT_TRUE(browser->commands().viewListing);
    EXPECT_EQ(values().CurrentShortDescription, QStringLiteral("lamp"));
    browser->idChanged(QStringLiteral(" 40000 "));
    EXPECT_EQ(values().CurrentItemId, 40000); // wider than 16 bits
}

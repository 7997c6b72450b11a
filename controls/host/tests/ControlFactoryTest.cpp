#include "AboutBox.h"
#include "ControlFactory.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>

using gw::ControlFactory;

namespace {

class ControlFactoryTest : public ::testing::Test {
protected:
    void usePath(const QStringList& folders)
    {
        qputenv("GW_CONTROL_PATH", folders.join(QDir::listSeparator()).toUtf8());
        ControlFactory::rescan();
    }
    void TearDown() override
    {
        qunsetenv("GW_CONTROL_PATH");
        ControlFactory::rescan();
    }
};

TEST_F(ControlFactoryTest, CreatesByClassIdWithoutRegardToCase)
{
    usePath({QStringLiteral(GW_FAKE_CONTROL_DIR)});
    QWidget parent;
    for (const char* id : {"Fake.FakeCtrl.1", "fake.fakectrl.1", "FAKE.FAKECTRL.1"}) {
        QString error = QStringLiteral("stale");
        QWidget* w = ControlFactory::create(QString::fromLatin1(id), &parent, &error);
        ASSERT_NE(w, nullptr) << id << " " << error.toStdString();
        EXPECT_EQ(w->objectName(), QStringLiteral("FakeControl"));
        EXPECT_EQ(w->parentWidget(), &parent);
        EXPECT_TRUE(error.isEmpty());
    }
    EXPECT_EQ(parent.findChildren<QWidget*>().size(), 3);
}

TEST_F(ControlFactoryTest, UnknownOrEmptyIdGivesNullAndText)
{
    usePath({QStringLiteral(GW_FAKE_CONTROL_DIR)});
    for (const char* id : {"Fake.Missing.1", "", "   ", "Fake.FakeCtrl"}) {
        QString error;
        std::unique_ptr<QWidget> w(ControlFactory::create(QString::fromLatin1(id), nullptr,
                                                          &error));
        EXPECT_EQ(w, nullptr) << id;
        EXPECT_FALSE(error.isEmpty()) << id;
    }
    // Without an error pointer the call still fails cleanly.
    EXPECT_EQ(ControlFactory::create(QStringLiteral("Nope.1"), nullptr), nullptr);
}

TEST_F(ControlFactoryTest, RegistryListsEachClassOnceAndSkipsForeignFiles)
{
    // A folder holding a non-library file that mentions the contract, plus the real
    // folder twice: the junk is skipped and the class is listed once.
    QTemporaryDir junk;
    ASSERT_TRUE(junk.isValid());
    QFile f(junk.filePath(QStringLiteral("libjunk.so")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a library gwControlClassIds gwCreateControl");
    f.close();
    usePath({junk.path(), QStringLiteral(GW_FAKE_CONTROL_DIR),
             QStringLiteral(GW_FAKE_CONTROL_DIR)});

    const QStringList ids = ControlFactory::classIds();
    EXPECT_EQ(ids.count(QStringLiteral("Fake.FakeCtrl.1")), 1) << ids.join(',').toStdString();
    const QString lib = ControlFactory::libraryFor(QStringLiteral("fake.fakectrl.1"));
    EXPECT_TRUE(lib.startsWith(QDir(QStringLiteral(GW_FAKE_CONTROL_DIR)).absolutePath()))
        << lib.toStdString();
    EXPECT_TRUE(ControlFactory::libraryFor(QStringLiteral("Decoy.1")).isEmpty());
    EXPECT_TRUE(ControlFactory::searchFolders().startsWith(junk.path()));
}

TEST_F(ControlFactoryTest, NothingFoundWhenPathHoldsNoControls)
{
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    usePath({empty.path()});
    // The test program's own folder holds no control library either.
    QString error;
    EXPECT_EQ(ControlFactory::create(QStringLiteral("Fake.FakeCtrl.1"), nullptr, &error),
              nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("Fake.FakeCtrl.1"))) << error.toStdString();
}

TEST(AboutBoxTest, ShowsNameAndVersion)
{
    std::unique_ptr<QDialog> dlg(
        gw::createAboutDialog({QStringLiteral("cvTest"), QStringLiteral("1.0"),
                               QStringLiteral("More words.")}));
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("About cvTest"));
    auto* title = dlg->findChild<QLabel*>(QStringLiteral("aboutTitle"));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->text(), QStringLiteral("cvTest Control, Version 1.0"));
    auto* text = dlg->findChild<QLabel*>(QStringLiteral("aboutText"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->text(), QStringLiteral("More words."));
}

} // namespace

#include "ScriptedPrompt.h"
#include "core/SettingsFile.h"
#include "core/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using gw::SettingsStore;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return f.readAll();
}

struct StoreTest : ::testing::Test {
    QTemporaryDir dir;
    QString path() const { return dir.filePath(QStringLiteral("sub/settings.ini")); }
};

TEST_F(StoreTest, NamesMatchWithoutRegardToCase)
{
    SettingsStore s(path());
    ASSERT_TRUE(s.write("Gavelwise", "Options", "ToolBar", "False"));
    EXPECT_EQ(s.read("Gavelwise", "Options", "Toolbar", "True"), "False");
    EXPECT_EQ(s.read("gavelwise", "OPTIONS", "toolbar", "True"), "False");
    ASSERT_TRUE(s.write("Gavelwise", "options", "TOOLBAR", "True"));
    EXPECT_EQ(s.read("Gavelwise", "Options", "ToolBar", ""), "True");
    // One entry only, under the name first written.
    const QByteArray text = fileBytes(path());
    EXPECT_EQ(text.count("ToolBar="), 1) << text.constData();
    EXPECT_EQ(text.toLower().count("toolbar="), 1) << text.constData();
}

TEST_F(StoreTest, AbsentKeyGivesDefaultButEmptyValueIsPresent)
{
    SettingsStore s(path());
    EXPECT_FALSE(s.contains("Gavelwise", "Options", "RecdMsg"));
    EXPECT_EQ(s.read("Gavelwise", "Options", "RecdMsg", "suggestion"), "suggestion");
    ASSERT_TRUE(s.write("Gavelwise", "Options", "RecdMsg", ""));
    EXPECT_TRUE(s.contains("Gavelwise", "Options", "RecdMsg"));
    EXPECT_EQ(s.read("Gavelwise", "Options", "RecdMsg", "suggestion"), "");
    // A fresh store on the same file sees the same.
    SettingsStore again(path());
    EXPECT_TRUE(again.contains("Gavelwise", "Options", "RecdMsg"));
    EXPECT_EQ(again.read("Gavelwise", "Options", "RecdMsg", "suggestion"), "");
}

TEST_F(StoreTest, ApplicationKeysAndSectionsAreSeparate)
{
    SettingsStore s(path());
    ASSERT_TRUE(s.write("Gavelwise", "SystemData", "AppPath", "/opt/gw"));
    ASSERT_TRUE(s.write("Lotwatch", "SystemData", "AppPath", "/opt/lw"));
    ASSERT_TRUE(s.write("Gavelwise", "System", "AppPath", "other"));
    SettingsStore again(path());
    EXPECT_EQ(again.read("Gavelwise", "SystemData", "AppPath", ""), "/opt/gw");
    EXPECT_EQ(again.read("lotwatch", "systemdata", "apppath", ""), "/opt/lw");
    EXPECT_EQ(again.read("Gavelwise", "System", "AppPath", ""), "other");
    EXPECT_FALSE(again.contains("Lotwatch", "System", "AppPath"));
}

TEST_F(StoreTest, AwkwardNamesAndValuesRoundTrip)
{
    const std::vector<std::pair<QString, QString>> cases = {
        {"LinkName 10", "UPS Tracking"},
        {"Show Upgrade Note at Startup", "1"},
        {"Multi", "line one\r\nline two\nline three\r"},
        {"Equals", "a=b==c"},
        {"Brackets", "[Gavelwise|Options]\n[x]"},
        {"Semicolon", ";not a comment"},
        {"Backslash", "C:\\pics\\x.jpg\\"},
        {"Escapes", "\\n is not a line break, \\x41 is not A"},
        {"Blanks", "  leading and trailing  "},
        {"NonAscii", QString::fromUtf8("Grüße – 日本 €")},
        {"Control", QString::fromUtf8("tab\there\x01\x7f end")},
        {"Weird = [key] ;|\\ name", "v"},
        {QString::fromUtf8("Schlüssel"), "umlaut key"},
    };
    SettingsStore s(path());
    for (const auto& [k, v] : cases)
        ASSERT_TRUE(s.write("Gavelwise", "Odd|Section]", k, v));
    ASSERT_TRUE(s.write("Gavelwise", "Ends in \\", "k", "v"));
    SettingsStore again(path());
    EXPECT_EQ(again.read("Gavelwise", "Ends in \\", "k", "<absent>"), "v");
    for (const auto& [k, v] : cases) {
        EXPECT_TRUE(again.contains("Gavelwise", "odd|section]", k)) << k.toStdString();
        EXPECT_EQ(again.read("Gavelwise", "Odd|Section]", k, "<absent>"), v) << k.toStdString();
    }
}

TEST_F(StoreTest, DamagedFileNeverCrashesAndKeepsGoodLines)
{
    const std::vector<QByteArray> damaged = {
        QByteArray("garbage before any section\n[Gavelwise|Options]\nGood=1\n"),
        QByteArray("[Gavelwise|Options]\n=no name\nno equals sign\nGood=1\n[broken header\nStill=2\n"),
        QByteArray("[Gavelwise|Options]\r\nGood=1\r\n[|]\nLost=3\n[Gavelwise|Options\n"),
        QByteArray("[Gavelwise|Options]\nGood=1\ntrailing=\\"),
        []{ static const char raw[] = "[Gavelwise|Options]\nGood=1\nbad\xff\xfe=\xc3\x28\n\x00\x00\x00";
            return QByteArray(raw, sizeof raw - 1); }(),
    };
    for (const QByteArray& bytes : damaged) {
        QFile f(dir.filePath("damaged.ini"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
        f.close();
        SettingsStore s(f.fileName());
        EXPECT_EQ(s.read("Gavelwise", "Options", "Good", "absent"), "1") << bytes.constData();
        EXPECT_FALSE(s.contains("Gavelwise", "Options", "Lost"));
        // Writing over a damaged file keeps the good entries and adds the new one.
        ASSERT_TRUE(s.write("Gavelwise", "Options", "New", "x"));
        SettingsStore again(f.fileName());
        EXPECT_EQ(again.read("Gavelwise", "Options", "Good", "absent"), "1");
        EXPECT_EQ(again.read("Gavelwise", "Options", "New", "absent"), "x");
    }
    // A trailing lone backslash is kept as written, not dropped.
    EXPECT_EQ(gw::parseSettingsText("[A|B]\nk=x\\\n").find("a", "b", "K")->value, "x\\");
}

TEST_F(StoreTest, FailedWriteLeavesPreviousFileByteIdentical)
{
    SettingsStore s(path());
    ASSERT_TRUE(s.write("Gavelwise", "Maint", "BackupDays", "7"));
    ASSERT_TRUE(s.write("Gavelwise", "Options", "PayMsg", "Please send\r\ncheck"));
    const QByteArray before = fileBytes(path());
    int calls = 0;
    s.setWriteFaultHook([&] {
        ++calls;
        return false;
    });
    EXPECT_FALSE(s.write("Gavelwise", "Maint", "BackupDays", "0"));
    EXPECT_FALSE(s.write("Gavelwise", "Options", "NewKey", "x"));
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(fileBytes(path()), before);
    // The store itself still answers with the old values, and no temp file is left behind.
    EXPECT_EQ(s.read("Gavelwise", "Maint", "BackupDays", ""), "7");
    EXPECT_FALSE(s.contains("Gavelwise", "Options", "NewKey"));
    EXPECT_EQ(QDir(dir.filePath("sub")).entryList(QDir::Files | QDir::Hidden).size(), 1);

    s.setWriteFaultHook(nullptr);
    EXPECT_TRUE(s.write("Gavelwise", "Maint", "BackupDays", "0"));
    EXPECT_EQ(SettingsStore(path()).read("Gavelwise", "Maint", "BackupDays", ""), "0");
}

TEST_F(StoreTest, FileIsReadableByOwnerOnly)
{
    SettingsStore s(path());
    ASSERT_TRUE(s.write("Gavelwise", "Options", "FTPPassword", "secret"));
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_TRUE(s.write("Gavelwise", "Options", "FTPPassword", "other"));
    ASSERT_EQ(::stat(QFile::encodeName(path()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(StoreTest, SeesWritesOfAnotherStoreOnTheSameFile)
{
    SettingsStore a(path());
    SettingsStore b(path());
    EXPECT_EQ(a.read("Lotwatch", "SystemData", "AppPath", ""), "");
    ASSERT_TRUE(b.write("Lotwatch", "SystemData", "AppPath", "/opt/lw"));
    EXPECT_EQ(a.read("Lotwatch", "SystemData", "AppPath", ""), "/opt/lw");
    ASSERT_TRUE(a.write("Gavelwise", "Options", "X", "1"));
    // a's write must not drop b's entry.
    EXPECT_EQ(b.read("Lotwatch", "SystemData", "AppPath", ""), "/opt/lw");
    EXPECT_EQ(b.read("Gavelwise", "Options", "X", ""), "1");
}

TEST_F(StoreTest, WriteIntoUnusablePlaceFailsQuietly)
{
    QFile blocker(dir.filePath("notafolder"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    SettingsStore s(dir.filePath("notafolder/settings.ini"));
    EXPECT_FALSE(s.write("Gavelwise", "Options", "X", "1"));
    EXPECT_EQ(s.read("Gavelwise", "Options", "X", "default"), "default");
}

TEST(TempSettingsTest, NestedFixturesRestoreTheOuterStore)
{
    gw::test::TempSettings outer;
    {
        gw::test::TempSettings inner;
        EXPECT_EQ(&gw::settings(), &inner.store());
        gw::settings().write("Gavelwise", "Options", "X", "inner");
    }
    EXPECT_EQ(&gw::settings(), &outer.store());
    EXPECT_EQ(SettingsStore::defaultPath(), outer.path());
    EXPECT_FALSE(outer.store().contains("Gavelwise", "Options", "X"));
}

TEST(DefaultPath, EnvironmentOverridesAndXdgFallback)
{
    gw::test::TempSettings temp; // sets GW_SETTINGS_FILE
    EXPECT_EQ(SettingsStore::defaultPath(), temp.path());
    EXPECT_EQ(&gw::settings(), &temp.store());
    const QByteArray saved = qgetenv("GW_SETTINGS_FILE");
    qunsetenv("GW_SETTINGS_FILE");
    const QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", "/tmp/cfg");
    EXPECT_EQ(SettingsStore::defaultPath(), "/tmp/cfg/gavelwise/settings.ini");
    qputenv("XDG_CONFIG_HOME", "relative/ignored");
    EXPECT_EQ(SettingsStore::defaultPath(), QDir::homePath() + "/.config/gavelwise/settings.ini");
    if (xdg.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", xdg);
    qputenv("GW_SETTINGS_FILE", saved);
}

} // namespace

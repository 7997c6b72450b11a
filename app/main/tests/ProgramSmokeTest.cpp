// Runs the real program on a temporary copy of the program folder.

#include "core/SettingsStore.h"
#include "core/SystemInfo.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ProgramRun {
    int exitCode = -1;
    bool finished = false;
    QString errors;
};

class ProgramTest : public ::testing::Test {
protected:
    QTemporaryDir root;
    QString programDir() const { return root.filePath("program"); }
    QString settingsFile() const { return root.filePath("config/settings.ini"); }
    QString lockFile() const { return root.filePath("run/gavelwise.lock"); }

    void copyProgram(bool withDatabase)
    {
        ASSERT_TRUE(QDir().mkpath(programDir()));
        QStringList files = {"gavwis2", "logormsm.gif"};
        if (withDatabase)
            files << "gw2.mdb";
        for (const QString& f : files) {
            const QString target = QDir(programDir()).filePath(f);
            ASSERT_TRUE(QFile::copy(QDir(GW_PROGRAM_FOLDER).filePath(f), target)) << f.toStdString();
            QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
        }
    }

    ProgramRun run()
    {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("GW_SETTINGS_FILE", settingsFile());
        env.insert("GW_INSTANCE_LOCK", lockFile());
        env.insert("GW_SKIP_SPLASH_PAUSE", "1");
        env.insert("GW_CLOSE_WHEN_SHOWN", "1");
        env.insert("GW_PROMPT_STDERR", "1");
        env.insert("XDG_DATA_HOME", root.filePath("data")); // no per-user folder
        env.insert("XDG_RUNTIME_DIR", root.filePath("run"));
        p.setProcessEnvironment(env);
        p.setProgram(QDir(programDir()).filePath("gavwis2"));
        p.start();
        ProgramRun r;
        if (!p.waitForStarted(10000))
            return r;
        r.finished = p.waitForFinished(60000);
        if (!r.finished)
            p.kill();
        r.exitCode = p.exitCode();
        r.errors = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    QString setting(const QString& section, const QString& key)
    {
        gw::SettingsStore s(settingsFile());
        return s.read("Gavelwise", section, key, "<absent>");
    }
};

TEST_F(ProgramTest, StartsOnTheDeliveredDatabaseAndClosesCleanly)
{
    copyProgram(true);
    QFile(QDir(programDir()).filePath("Start.htm")).open(QIODevice::WriteOnly);
    QFile(QDir(programDir()).filePath("Leave.htm")).open(QIODevice::WriteOnly);
    const ProgramRun r = run();
    ASSERT_TRUE(r.finished) << r.errors.toStdString();
    EXPECT_EQ(r.exitCode, 0) << r.errors.toStdString();
    EXPECT_TRUE(r.errors.contains("shown frmItems: Gavelwise - Viewing All Auctions... | Item: "))
        << r.errors.toStdString();
    EXPECT_FALSE(r.errors.contains("message [")) << r.errors.toStdString();
    // Start-up wrote the program folder and seeded the links; the close sequence saved the size.
    EXPECT_EQ(setting("SystemData", "AppPath"), programDir());
    EXPECT_EQ(setting("Options", "LinkName 1"), "USPS Tracking");
    EXPECT_NE(setting("Options", "MainFormWidth"), "<absent>");
    EXPECT_NE(setting("Options", "MainFormHeight"), "<absent>");
    EXPECT_FALSE(QFile::exists(QDir(programDir()).filePath("Start.htm")));
    EXPECT_FALSE(QFile::exists(QDir(programDir()).filePath("Leave.htm")));
}

TEST_F(ProgramTest, SavedWindowSizeStaysTheSameFromRunToRun)
{
    copyProgram(true);
    ASSERT_EQ(run().exitCode, 0);
    const QString height = setting("Options", "MainFormHeight");
    const QString width = setting("Options", "MainFormWidth");
    ASSERT_NE(height, "<absent>");
    for (int i = 0; i < 2; ++i) {
        const ProgramRun r = run();
        ASSERT_EQ(r.exitCode, 0) << r.errors.toStdString();
        EXPECT_EQ(setting("Options", "MainFormHeight"), height);
        EXPECT_EQ(setting("Options", "MainFormWidth"), width);
    }
}

TEST_F(ProgramTest, WithoutDatabaseShowsTheMessageAndEndsBeforeAnyWindow)
{
    copyProgram(false);
    const ProgramRun r = run();
    ASSERT_TRUE(r.finished) << r.errors.toStdString();
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.errors.contains(
        "message [Gavelwise] Gavelwise could not find the gw2.mdb file in the same directory as the "
        "Gavwis2.exe file.  Make sure you have placed the new Gavwis2.exe file in the Gavelwise "
        "directory with your database file (gw2.mdb).\n"))
        << r.errors.toStdString();
    EXPECT_FALSE(r.errors.contains("shown frmItems"));
    EXPECT_EQ(setting("SystemData", "AppPath"), "<absent>");
    EXPECT_FALSE(QFileInfo::exists(root.filePath("data/gavelwise")));
}

TEST_F(ProgramTest, SecondCopyShowsTheMessageAndEnds)
{
    copyProgram(true);
    gw::InstanceLock first(lockFile());
    ASSERT_TRUE(first.acquire());
    const ProgramRun r = run();
    ASSERT_TRUE(r.finished) << r.errors.toStdString();
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(r.errors.contains(
        "message [Gavelwise] A copy of Gavelwise is already running.  Please use the other copy.\n"))
        << r.errors.toStdString();
    EXPECT_FALSE(r.errors.contains("shown frmItems"));
    EXPECT_TRUE(first.held());
}

} // namespace

#include "ScriptedPrompt.h"
#include "core/ProgramDir.h"
#include "core/SystemInfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sys/wait.h>
#include <unistd.h>

using namespace gw;

namespace {

void touch(const QString& path, const QByteArray& content = "x")
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray bytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TEST(InstanceLock, OnlyOneHolderAtATime)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("run/gavelwise.lock");
    {
        InstanceLock first(path);
        ASSERT_TRUE(first.acquire());
        InstanceLock second(path);
        EXPECT_FALSE(second.acquire());
        EXPECT_FALSE(second.held());
        // Another process sees it held too.
        const pid_t child = ::fork();
        if (child == 0) {
            InstanceLock other(path);
            ::_exit(other.acquire() ? 1 : 0);
        }
        int status = -1;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // Released with its holder.
    InstanceLock later(path);
    EXPECT_TRUE(later.acquire());
}

TEST(InstanceLock, DefaultPathFollowsTheEnvironment)
{
    qputenv("GW_INSTANCE_LOCK", "/tmp/x/test.lock");
    EXPECT_EQ(InstanceLock::defaultPath(), "/tmp/x/test.lock");
    qunsetenv("GW_INSTANCE_LOCK");
    QTemporaryDir runtime;
    const QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    EXPECT_EQ(InstanceLock::defaultPath(), runtime.path() + "/gavelwise.lock");
    if (saved.isNull())
        qunsetenv("XDG_RUNTIME_DIR");
    else
        qputenv("XDG_RUNTIME_DIR", saved);
}

TEST(LocalTimeZone, ReadsBiasAndNames)
{
    struct Case {
        const char* tz;
        int bias;
        bool daylight;
        int daylightBias;
        const char* standardName;
        const char* daylightName;
    };
    const Case cases[] = {
        {"EST5EDT,M3.2.0,M11.1.0", 300, true, -60, "EST", "EDT"},
        {"UTC0", 0, false, 0, "UTC", nullptr},
        {"CET-1CEST,M3.5.0,M10.5.0/3", -60, true, -60, "CET", "CEST"},
        {"IST-5:30", -330, false, 0, "IST", nullptr},
    };
    const char* old = std::getenv("TZ");
    const std::string saved = old ? old : "";
    for (const Case& c : cases) {
        ::setenv("TZ", c.tz, 1);
        const TimeZoneInfo tz = readLocalTimeZone();
        EXPECT_EQ(tz.biasMinutes, c.bias) << c.tz;
        EXPECT_EQ(tz.hasDaylight, c.daylight) << c.tz;
        EXPECT_EQ(tz.daylightBiasMinutes, c.daylightBias) << c.tz;
        EXPECT_EQ(tz.standardName, QString(c.standardName)) << c.tz;
        if (c.daylightName) {
            EXPECT_EQ(tz.daylightName, QString(c.daylightName)) << c.tz;
        }
    }
    if (old)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

TEST(ProgramDir, TrailingSeparatorIsCut)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {{"/", ""}, {"C:\\", "C:"}, {"/opt/gw/", "/opt/gw"}, {"/opt/gw", "/opt/gw"}, {"", ""}};
    for (const auto& c : cases)
        EXPECT_EQ(cutTrailingSeparator(c.in), QString(c.out)) << c.in;
}

TEST(ProgramDir, ExecutableFolderWhenItHoldsTheDatabase)
{
    QTemporaryDir root;
    const QString exe = root.filePath("bin"), share = root.filePath("share/gavelwise"),
                  user = root.filePath("user/gavelwise");
    touch(exe + "/gw2.mdb");
    touch(share + "/gw2.mdb");
    EXPECT_EQ(resolveProgramDir(exe + "/", share, user), exe);
    EXPECT_FALSE(QFileInfo::exists(user));
}

TEST(ProgramDir, InstalledProgramSeedsTheUserFolderOnceAndKeepsUserFiles)
{
    QTemporaryDir root;
    const QString exe = root.filePath("bin"), share = root.filePath("share/gavelwise"),
                  user = root.filePath("user/gavelwise");
    QDir().mkpath(exe);
    touch(share + "/gw2.mdb", "empty db");
    touch(share + "/logormsm.gif", "GIF89a");
    touch(share + "/themes/standard.adt", "theme");
    EXPECT_EQ(resolveProgramDir(exe, share, user), user);
    EXPECT_EQ(bytes(user + "/gw2.mdb"), "empty db");
    EXPECT_EQ(bytes(user + "/themes/standard.adt"), "theme");
    // The user's database is never overwritten on later starts.
    touch(user + "/gw2.mdb", "my items");
    QFile::remove(user + "/logormsm.gif");
    EXPECT_EQ(resolveProgramDir(exe, share, user), user);
    EXPECT_EQ(bytes(user + "/gw2.mdb"), "my items");
}

TEST(ProgramDir, NoDatabaseAnywhereKeepsTheExecutableFolder)
{
    QTemporaryDir root;
    const QString exe = root.filePath("bin");
    QDir().mkpath(exe);
    EXPECT_EQ(resolveProgramDir(exe, root.filePath("share/gavelwise"), root.filePath("user/gavelwise")), exe);
    // A user folder with a database is used when nothing is installed.
    touch(root.filePath("user/gavelwise/gw2.mdb"));
    EXPECT_EQ(resolveProgramDir(exe, root.filePath("share/gavelwise"), root.filePath("user/gavelwise")),
              root.filePath("user/gavelwise"));
}

TEST(ProgramDir, UserDataFolderFollowsXdg)
{
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/tmp/data");
    EXPECT_EQ(userDataFolder(), "/tmp/data/gavelwise");
    qunsetenv("XDG_DATA_HOME");
    EXPECT_EQ(userDataFolder(), QDir::homePath() + "/.local/share/gavelwise");
    if (!saved.isNull())
        qputenv("XDG_DATA_HOME", saved);
}

} // namespace

#include "SystemInfo.h"

#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace gw {

TimeZoneInfo readLocalTimeZone()
{
    ::tzset();
    TimeZoneInfo tz;
    const time_t now = ::time(nullptr);
    struct tm cur {};
    ::localtime_r(&now, &cur);
    // Probe mid-winter and mid-summer of this year: whichever is not daylight time gives the
    // standard offset, the other (if daylight) the daylight offset.
    long standardOffset = cur.tm_isdst > 0 ? 0 : cur.tm_gmtoff;
    bool haveStandard = cur.tm_isdst <= 0;
    long daylightOffset = 0;
    for (int month : {0, 6}) {
        struct tm probe {};
        probe.tm_year = cur.tm_year;
        probe.tm_mon = month;
        probe.tm_mday = 15;
        probe.tm_hour = 12;
        probe.tm_isdst = -1;
        const time_t t = ::mktime(&probe);
        struct tm got {};
        ::localtime_r(&t, &got);
        if (got.tm_isdst > 0) {
            tz.hasDaylight = true;
            daylightOffset = got.tm_gmtoff;
        } else if (!haveStandard) {
            standardOffset = got.tm_gmtoff;
            haveStandard = true;
        }
    }
    tz.biasMinutes = static_cast<int>(-standardOffset / 60);
    tz.standardName = QString::fromLocal8Bit(tzname[0]);
    tz.daylightName = QString::fromLocal8Bit(tzname[1]);
    if (tz.hasDaylight)
        tz.daylightBiasMinutes = static_cast<int>(-(daylightOffset - standardOffset) / 60);
    return tz;
}

QString InstanceLock::defaultPath()
{
    const QByteArray over = qgetenv("GW_INSTANCE_LOCK");
    if (!over.isEmpty())
        return QFile::decodeName(over);
    const QString runtime = QFile::decodeName(qgetenv("XDG_RUNTIME_DIR"));
    if (!runtime.isEmpty() && QFileInfo(runtime).isDir())
        return runtime + QStringLiteral("/gavelwise.lock");
    return QFileInfo(SettingsStore::defaultPath()).absolutePath() + QStringLiteral("/gavelwise.lock");
}

InstanceLock::InstanceLock(QString path) : path_(std::move(path)) {}

InstanceLock::~InstanceLock()
{
    if (fd_ >= 0)
        ::close(fd_); // releases the lock
}

bool InstanceLock::acquire()
{
    if (fd_ >= 0)
        return true;
    QDir().mkpath(QFileInfo(path_).absolutePath());
    const int fd = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true; // cannot tell: let the program run rather than refuse to start
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

} // namespace gw

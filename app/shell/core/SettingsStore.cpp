#include "SettingsStore.h"

#include "SettingsFile.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace gw {

namespace {

// Identity of the file as last loaded, so that a change by another process is picked up.
struct FileStamp {
    bool exists = false;
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{};
    bool operator==(const FileStamp& o) const
    {
        return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size
            && mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
    }
};

FileStamp stampOf(const QByteArray& path)
{
    FileStamp s;
    struct stat st {};
    if (::stat(path.constData(), &st) == 0) {
        s.exists = true;
        s.dev = st.st_dev;
        s.ino = st.st_ino;
        s.size = st.st_size;
        s.mtime = st.st_mtim;
    }
    return s;
}

bool readWhole(const QByteArray& path, QByteArray* out)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        out->append(buf, static_cast<qsizetype>(n));
    }
    ::close(fd);
    return true;
}

bool writeAll(int fd, const QByteArray& data)
{
    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, static_cast<size_t>(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= n;
    }
    return true;
}

SettingsStore* g_store = nullptr;

} // namespace

struct SettingsStore::Impl {
    QString path;
    QByteArray nativePath;
    SettingsTree tree;
    FileStamp stamp;
    bool loaded = false;
    std::function<bool()> faultHook;

    void refresh()
    {
        const FileStamp now = stampOf(nativePath);
        if (loaded && now == stamp)
            return;
        QByteArray bytes;
        tree = SettingsTree();
        if (now.exists && readWhole(nativePath, &bytes))
            tree = parseSettingsText(bytes);
        stamp = now;
        loaded = true;
    }

    bool save(const QByteArray& bytes)
    {
        const QFileInfo info(path);
        const QString folder = info.absolutePath();
        if (!QDir().mkpath(folder))
            return false;
        QByteArray tmpl = QFile::encodeName(folder + QStringLiteral("/.") + info.fileName()
                                            + QStringLiteral(".XXXXXX"));
        const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
        if (fd < 0)
            return false;
        bool ok = ::fchmod(fd, 0600) == 0 && writeAll(fd, bytes) && ::fsync(fd) == 0;
        ok = (::close(fd) == 0) && ok;
        if (ok && faultHook)
            ok = faultHook();
        if (ok)
            ok = ::rename(tmpl.constData(), nativePath.constData()) == 0;
        if (!ok) {
            ::unlink(tmpl.constData());
            return false;
        }
        // Make the rename itself durable.
        const int dfd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dfd >= 0) {
            ::fsync(dfd);
            ::close(dfd);
        }
        return true;
    }
};

SettingsStore::SettingsStore(QString path) : d(std::make_unique<Impl>())
{
    d->path = std::move(path);
    d->nativePath = QFile::encodeName(d->path);
}

SettingsStore::~SettingsStore()
{
    if (g_store == this)
        g_store = nullptr;
}

QString SettingsStore::defaultPath()
{
    const QByteArray over = qgetenv("GW_SETTINGS_FILE");
    if (!over.isEmpty())
        return QFile::decodeName(over);
    QString base = QFile::decodeName(qgetenv("XDG_CONFIG_HOME"));
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/gavelwise/settings.ini");
}

const QString& SettingsStore::path() const
{
    return d->path;
}

QString SettingsStore::read(const QString& app, const QString& section, const QString& key,
                            const QString& defaultValue) const
{
    d->refresh();
    const SettingsEntry* e = d->tree.find(app, section, key);
    return e ? e->value : defaultValue;
}

bool SettingsStore::contains(const QString& app, const QString& section, const QString& key) const
{
    d->refresh();
    return d->tree.find(app, section, key) != nullptr;
}

bool SettingsStore::write(const QString& app, const QString& section, const QString& key,
                          const QString& value)
{
    d->refresh();
    SettingsTree next = d->tree;
    next.set(app, section, key, value);
    if (!d->save(formatSettingsText(next))) {
        d->loaded = false; // the file is unchanged; read it again next time
        return false;
    }
    d->tree = std::move(next);
    d->stamp = stampOf(d->nativePath);
    return true;
}

void SettingsStore::setWriteFaultHook(std::function<bool()> hook)
{
    d->faultHook = std::move(hook);
}

SettingsStore& settings()
{
    if (!g_store) {
        // Nobody installed a store: use the user's own file, created once and kept.
        static SettingsStore fallback(SettingsStore::defaultPath());
        return fallback;
    }
    return *g_store;
}

void setSettings(SettingsStore* store)
{
    g_store = store;
}

SettingsStore* installedSettings()
{
    return g_store;
}

} // namespace gw

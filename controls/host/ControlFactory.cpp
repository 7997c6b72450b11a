#include "ControlFactory.h"

#include "ControlExport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLibrary>
#include <QMutex>
#include <QMutexLocker>
#include <QWidget>

namespace gw {

namespace {

struct Registration {
    QString classId; // as the library spells it
    QString library; // absolute file path
};

struct Registry {
    bool scanned = false;
    QHash<QString, Registration> byId; // key: lower-case class id
    QStringList order;                 // keys in the order found
};

QMutex registryMutex;

Registry& registry()
{
    static Registry r;
    return r;
}

// Reading the file first keeps us from running the start-up code of libraries that are
// not controls (the program folder holds other libraries too).
bool mentionsContract(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = f.size();
    if (size <= 0)
        return false;
    const uchar* data = f.map(0, size);
    if (data == nullptr)
        return false;
    const QByteArrayView contents(reinterpret_cast<const char*>(data), size);
    const bool found = contents.indexOf(QByteArrayView(GW_CONTROL_CLASS_IDS_SYMBOL)) >= 0
                       && contents.indexOf(QByteArrayView(GW_CONTROL_CREATE_SYMBOL)) >= 0;
    f.unmap(const_cast<uchar*>(data));
    return found;
}

void scanLibrary(const QString& path, Registry& r)
{
    if (!mentionsContract(path))
        return;
    QLibrary lib(path);
    if (!lib.load())
        return;
    auto ids = reinterpret_cast<GwControlClassIdsFn>(lib.resolve(GW_CONTROL_CLASS_IDS_SYMBOL));
    auto create = lib.resolve(GW_CONTROL_CREATE_SYMBOL);
    if (ids == nullptr || create == nullptr) {
        lib.unload();
        return;
    }
    // A library stays loaded once a control of it may exist; keeping it loaded from the
    // scan on is simpler and costs nothing for the few control libraries there are.
    for (const char* const* id = ids(); id != nullptr && *id != nullptr; ++id) {
        const QString classId = QString::fromUtf8(*id);
        const QString key = classId.toLower();
        if (classId.isEmpty() || r.byId.contains(key))
            continue; // the first folder searched wins
        r.byId.insert(key, Registration{classId, path});
        r.order.append(key);
    }
}

void scanIfNeeded(Registry& r)
{
    if (r.scanned)
        return;
    r.scanned = true;
    for (const QString& folder : ControlFactory::searchFolders()) {
        const QDir dir(folder);
        const QFileInfoList files =
            dir.entryInfoList(QStringList{QStringLiteral("*.so"), QStringLiteral("*.dll"),
                                          QStringLiteral("*.dylib")},
                              QDir::Files | QDir::Readable, QDir::Name);
        for (const QFileInfo& fi : files)
            scanLibrary(fi.absoluteFilePath(), r);
    }
}

} // namespace

QStringList ControlFactory::searchFolders()
{
    QStringList folders;
    auto add = [&folders](const QString& f) {
        if (f.isEmpty())
            return;
        const QString clean = QDir::cleanPath(QDir(f).absolutePath());
        if (!folders.contains(clean) && QFileInfo(clean).isDir())
            folders.append(clean);
    };
    const QString env = qEnvironmentVariable("GW_CONTROL_PATH");
    for (const QString& f : env.split(QDir::listSeparator(), Qt::SkipEmptyParts))
        add(f);
    if (QCoreApplication::instance() != nullptr) {
        const QString appDir = QCoreApplication::applicationDirPath();
        add(appDir);
        add(appDir + QStringLiteral("/../lib"));
    }
    return folders;
}

void ControlFactory::rescan()
{
    QMutexLocker lock(&registryMutex);
    registry() = Registry{};
}

QStringList ControlFactory::classIds()
{
    QMutexLocker lock(&registryMutex);
    Registry& r = registry();
    scanIfNeeded(r);
    QStringList ids;
    for (const QString& key : r.order)
        ids.append(r.byId.value(key).classId);
    return ids;
}

QString ControlFactory::libraryFor(const QString& classId)
{
    QMutexLocker lock(&registryMutex);
    Registry& r = registry();
    scanIfNeeded(r);
    return r.byId.value(classId.toLower()).library;
}

QWidget* ControlFactory::create(const QString& classId, QWidget* parent, QString* error)
{
    auto fail = [error](const QString& text) -> QWidget* {
        if (error != nullptr)
            *error = text;
        return nullptr;
    };
    if (classId.trimmed().isEmpty())
        return fail(QStringLiteral("No control class was named."));

    Registration reg;
    {
        QMutexLocker lock(&registryMutex);
        Registry& r = registry();
        scanIfNeeded(r);
        reg = r.byId.value(classId.toLower());
    }
    if (reg.library.isEmpty())
        return fail(QStringLiteral("The control \"%1\" is not registered: no control library "
                                   "in %2 provides it.")
                        .arg(classId, searchFolders().join(QStringLiteral(", "))));

    QLibrary lib(reg.library);
    auto create = reinterpret_cast<GwCreateControlFn>(lib.resolve(GW_CONTROL_CREATE_SYMBOL));
    if (create == nullptr)
        return fail(QStringLiteral("The control library %1 cannot be loaded: %2")
                        .arg(reg.library, lib.errorString()));
    QWidget* w = create(reg.classId.toUtf8().constData(), parent);
    if (w == nullptr)
        return fail(QStringLiteral("The control library %1 did not create \"%2\".")
                        .arg(reg.library, classId));
    if (error != nullptr)
        error->clear();
    return w;
}

} // namespace gw

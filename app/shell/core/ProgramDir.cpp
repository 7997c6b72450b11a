#include "ProgramDir.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace gw {

namespace {
const QString kDatabase = QStringLiteral("gw2.mdb");

bool holdsDatabase(const QString& folder)
{
    return QFileInfo(QDir(folder).filePath(kDatabase)).isFile();
}

// Copies what is missing; never overwrites the user's own files.
void seedFolder(const QString& from, const QString& to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    const QDir src(from);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = QDir(to).filePath(src.relativeFilePath(path));
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else if (!QFileInfo::exists(target))
            QFile::copy(path, target);
    }
}
} // namespace

QString cutTrailingSeparator(const QString& folder)
{
    if (folder.endsWith(QChar('\\')) || folder.endsWith(QChar('/')))
        return folder.left(folder.size() - 1);
    return folder;
}

QString userDataFolder()
{
    QString base = QFile::decodeName(qgetenv("XDG_DATA_HOME"));
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/gavelwise");
}

QString resolveProgramDir(const QString& exeFolder, const QString& shareFolder, const QString& userFolder)
{
    if (holdsDatabase(exeFolder))
        return cutTrailingSeparator(exeFolder);
    if (QFileInfo(shareFolder).isDir()) {
        if (!holdsDatabase(userFolder))
            seedFolder(shareFolder, userFolder);
        return cutTrailingSeparator(userFolder);
    }
    if (holdsDatabase(userFolder))
        return cutTrailingSeparator(userFolder);
    // Nowhere: the program folder is the executable's, and start-up reports the missing file.
    return cutTrailingSeparator(exeFolder);
}

QString resolveProgramDir()
{
    const QString exe = QCoreApplication::applicationDirPath();
    return resolveProgramDir(exe, QDir(exe).filePath(QStringLiteral("../share/gavelwise")), userDataFolder());
}

} // namespace gw

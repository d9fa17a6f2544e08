#include "WinPath.h"

namespace WinPath {

bool IsUnc(const QString& path) {
    return path.size() > 2 && path.startsWith(QLatin1String("\\\\")) && path[2] != '\\';
}

QString Drive(const QString& path) {
    if (path.size() >= 2 && path[1] == ':' && path[0].isLetter())
        return path.left(2);
    if (IsUnc(path)) {
        const int hostEnd = path.indexOf('\\', 2);
        if (hostEnd < 0)
            return path;
        const int shareEnd = path.indexOf('\\', hostEnd + 1);
        return shareEnd < 0 ? path : path.left(shareEnd);
    }
    return QString();
}

QString Folder(const QString& path) {
    return path.left(path.lastIndexOf('\\') + 1);
}

QString FileName(const QString& path) {
    return path.mid(path.lastIndexOf('\\') + 1);
}

QString RelativeToDrive(const QString& path, const QString& drive) {
    if (drive.isEmpty() || !path.startsWith(drive, Qt::CaseInsensitive))
        return path;
    QString rest = path.mid(drive.size());
    if (rest.startsWith('\\'))
        rest.remove(0, 1);
    else if (!rest.isEmpty())
        return path; // "C:x" or "\\h\sharex": not on that drive
    return rest;
}

QString WithTrailingBackslash(const QString& folder) {
    QString f = folder;
    while (f.endsWith('\\'))
        f.chop(1);
    return f + '\\';
}

static int LastSep(const QString& path) {
    return std::max(path.lastIndexOf('\\'), path.lastIndexOf('/'));
}

QString FolderAnySep(const QString& path) {
    return path.left(LastSep(path) + 1);
}

QString FileNameAnySep(const QString& path) {
    return path.mid(LastSep(path) + 1);
}

} // namespace WinPath

#include <QCoreApplication>
#include <QDir>

QString HostProgramDir() {
    QString dir = qEnvironmentVariable("ZELM_HOST_DIR");
    if (dir.isEmpty())
        dir = QCoreApplication::applicationDirPath();
    dir = QDir(dir).absolutePath();
    return dir.endsWith('/') ? dir : dir + '/';
}

#include "FileAccess.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

QString BloccoOffice(const QString& fileName) {
    const QFileInfo info(fileName);
    return info.absolutePath() + QStringLiteral("/.~lock.") + info.fileName() + '#';
}

namespace {
QString LockFileOf(const QFileInfo& info) {
    return BloccoOffice(info.filePath());
}

/// Command lines of this host's office processes.
QList<QByteArray> OfficeCommandLines() {
    QList<QByteArray> lines;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        entry.toLongLong(&number);
        if (!number)
            continue;
        QFile f(QStringLiteral("/proc/") + entry + QStringLiteral("/cmdline"));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        QByteArray line = f.readAll();
        line.replace('\0', ' ');
        if (line.contains("soffice"))
            lines << line;
    }
    return lines;
}

bool SameHost(const QString& host) {
    return host.isEmpty() || host.compare(QSysInfo::machineHostName(), Qt::CaseInsensitive) == 0;
}
} // namespace

bool RimuoviBloccoOfficeOrfano(const QString& fileName) {
    const QFileInfo info(fileName);
    const QString lockName = LockFileOf(info);
    QFile lock(lockName);
    if (!lock.open(QIODevice::ReadOnly))
        return false;
    // ",<user>,<host>,<date>,<profile URL>;"
    const QStringList fields = QString::fromUtf8(lock.readAll()).trimmed().split(',');
    lock.close();
    const QString ownPrefix =
        QStringLiteral("/zelm-office-%1-").arg(QCoreApplication::applicationPid());
    bool live = false;
    if (fields.size() < 5) {
        // Cut short by the death of the office that was writing it: the private offices write
        // theirs whole, so it is stale unless the user's own office runs on this host.
        for (const QByteArray& line : OfficeCommandLines())
            live = live || !line.contains("-env:UserInstallation=");
    } else {
        if (!SameHost(fields[2]))
            return false;
        QString profile = fields[4].trimmed();
        if (profile.endsWith(';'))
            profile.chop(1);
        const QByteArray url = profile.toUtf8();
        if (!profile.contains(ownPrefix))
            for (const QByteArray& line : OfficeCommandLines()) {
                const bool privateProfile = line.contains("-env:UserInstallation=");
                if ((privateProfile && line.contains(url)) ||
                    (!privateProfile && !profile.contains(QStringLiteral("/zelm-office-"))))
                    live = true;
            }
    }
    if (live)
        return false;
    QFile::remove(lockName);
    for (const QString& tmp :
         QDir(info.absolutePath())
             .entryList({QStringLiteral("lu*.tmp")}, QDir::Files | QDir::Hidden))
        QFile::remove(info.absolutePath() + '/' + tmp);
    return true;
}

QString MotivoAccessoNegato(const QString& fileName) {
    const QFileInfo info(fileName);
    RimuoviBloccoOfficeOrfano(fileName);
    QString reason;
    const int fd = ::open(QFile::encodeName(info.absoluteFilePath()).constData(), O_RDWR);
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    // There are no share modes here: a lock of another process (flock or fcntl) stands for one.
    struct flock probe {};
    probe.l_type = F_WRLCK;
    probe.l_whence = SEEK_SET;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0 ||
        (fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type != F_UNLCK))
        reason = QStringLiteral("Il file è bloccato da un altro processo");
    else if (QFileInfo::exists(LockFileOf(info)))
        reason = QStringLiteral("Il file è aperto in LibreOffice");
    flock(fd, LOCK_UN);
    ::close(fd);
    return reason;
}

#include "FileAccess.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

QString MotivoAccessoNegato(const QString& fileName) {
    const QFileInfo info(fileName);
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
    else if (QFileInfo::exists(info.absolutePath() + "/.~lock." + info.fileName() + '#'))
        reason = QStringLiteral("Il file è aperto in LibreOffice");
    flock(fd, LOCK_UN);
    ::close(fd);
    return reason;
}

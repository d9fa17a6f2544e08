#include "Log.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

// Debug lines only when asked (QT_LOGGING_RULES="zelm.*.debug=true"); the rest is on.
Q_LOGGING_CATEGORY(zelmDb, "zelm.db", QtInfoMsg)
Q_LOGGING_CATEGORY(zelmOffice, "zelm.office", QtInfoMsg)
Q_LOGGING_CATEGORY(zelmImport, "zelm.import", QtInfoMsg)
Q_LOGGING_CATEGORY(zelmGrid, "zelm.grid", QtInfoMsg)
Q_LOGGING_CATEGORY(zelmLookup, "zelm.lookup", QtInfoMsg)
Q_LOGGING_CATEGORY(zelmUi, "zelm.ui", QtInfoMsg)
Q_LOGGING_CATEGORY(zelmSession, "zelm.session", QtInfoMsg)

namespace zelm::log {

QString Versione() {
    return QStringLiteral(ZELM_VERSION);
}

QString PercorsoPredefinito() {
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // A relative XDG_STATE_HOME is not to be trusted: the default takes its place.
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/zelm/zelm.log");
}

// --- the file --------------------------------------------------------------------------------
TFileLog::TFileLog(const QString& path, qint64 maxBytes, int files)
    : fPath(path), fMaxBytes(std::max<qint64>(maxBytes, 1024)), fFiles(std::max(files, 1)) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    Apri();
}

TFileLog::~TFileLog() {
    if (fFd >= 0)
        ::close(fFd);
}

bool TFileLog::Apri() {
    if (fFd >= 0)
        ::close(fFd);
    // Only its user reads it: it names databases, users and files.
    fFd = ::open(QFile::encodeName(fPath).constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC,
                 0600);
    return fFd >= 0;
}

bool TFileLog::Scrivi(const QByteArray& line) {
    if (fFd < 0 && !Apri())
        return false;
    // Another process may have rotated the file: this descriptor then writes to the older one.
    struct stat mine {
    }, named{};
    if (::fstat(fFd, &mine) == 0 &&
        (::stat(QFile::encodeName(fPath).constData(), &named) != 0 || named.st_ino != mine.st_ino ||
         named.st_dev != mine.st_dev) &&
        !Apri())
        return false;
    const QByteArray data = line + '\n';
    // One write per line: appends of two processes never interleave inside it.
    const char* p = data.constData();
    qint64 left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fFd, p, static_cast<size_t>(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        p += n;
        left -= n;
    }
    if (::fstat(fFd, &mine) == 0 && mine.st_size >= fMaxBytes)
        Ruota();
    return true;
}

void TFileLog::Ruota() {
    const QByteArray lockPath = QFile::encodeName(fPath + QStringLiteral(".lock"));
    const int lock = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lock < 0)
        return;
    if (::flock(lock, LOCK_EX) == 0) {
        // Whoever took the lock first rotated already: the file in place is a new one.
        struct stat named {};
        const QByteArray path = QFile::encodeName(fPath);
        if (::stat(path.constData(), &named) == 0 && named.st_size >= fMaxBytes) {
            auto numbered = [&](int i) {
                return i == 0 ? path : path + '.' + QByteArray::number(i);
            };
            ::unlink(numbered(fFiles - 1).constData());
            for (int i = fFiles - 2; i >= 0; --i)
                ::rename(numbered(i).constData(), numbered(i + 1).constData());
            if (fFiles == 1)
                ::unlink(path.constData());
        }
        ::flock(lock, LOCK_UN);
    }
    ::close(lock);
    Apri();
}

// --- the handler -----------------------------------------------------------------------------
namespace {
std::mutex gLock;
TFileLog* gFile = nullptr;
QtMessageHandler gPrevious = nullptr;

const char* Livello(QtMsgType type) {
    switch (type) {
    case QtDebugMsg:
        return "debug";
    case QtInfoMsg:
        return "info";
    case QtWarningMsg:
        return "warning";
    case QtCriticalMsg:
        return "critical";
    case QtFatalMsg:
        return "fatal";
    }
    return "?";
}

void Handler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const char* category = context.category ? context.category : "default";
    {
        // One entry, one line: the Italian messages carry line breaks.
        QString text = message;
        text.replace(QStringLiteral("\r\n"), QStringLiteral(" | "));
        text.replace(QLatin1Char('\n'), QStringLiteral(" | "));
        const QByteArray line = QDateTime::currentDateTime()
                                    .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"))
                                    .toUtf8() +
                                " [" + QByteArray::number(QCoreApplication::applicationPid()) +
                                "] " + category + ' ' + Livello(type) + ": " + text.toUtf8();
        const std::lock_guard g(gLock);
        if (gFile)
            gFile->Scrivi(line);
    }
    // A terminal keeps seeing what it saw: the product's own lines only from warnings up.
    const bool ours = std::strncmp(category, "zelm.", 5) == 0;
    if (gPrevious && (!ours || type == QtWarningMsg || type == QtCriticalMsg || type == QtFatalMsg))
        gPrevious(type, context, message);
}
} // namespace

void Installa(const QString& what) {
    static std::once_flag once;
    std::call_once(once, [&] {
        {
            const std::lock_guard g(gLock);
            gFile = new TFileLog(PercorsoPredefinito()); // lives as long as the process
        }
        gPrevious = qInstallMessageHandler(Handler);
        qCInfo(zelmSession).noquote()
            << "avvio:" << what << "zelm" << Versione() << "Qt" << qVersion();
    });
}

TFileLog* FileCorrente() {
    const std::lock_guard g(gLock);
    return gFile;
}

} // namespace zelm::log

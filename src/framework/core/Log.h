// The diagnostic log: Qt logging categories per layer (switched with QT_LOGGING_RULES) and a
// size-limited file in the user's state folder, shared by every process of the product.
#pragma once

#include <QLoggingCategory>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(zelmDb)
Q_DECLARE_LOGGING_CATEGORY(zelmOffice)
Q_DECLARE_LOGGING_CATEGORY(zelmImport)
Q_DECLARE_LOGGING_CATEGORY(zelmGrid)
Q_DECLARE_LOGGING_CATEGORY(zelmLookup)
Q_DECLARE_LOGGING_CATEGORY(zelmUi)
Q_DECLARE_LOGGING_CATEGORY(zelmSession)

namespace zelm::log {

/// The product's version (the package's).
QString Versione();

/// "$XDG_STATE_HOME/zelm/zelm.log" (default ~/.local/state/zelm/zelm.log).
QString PercorsoPredefinito();

/// Sends every Qt message of the process to the log file too (the handler found before keeps
/// receiving them: a terminal still shows warnings), once; the first call writes a line with
/// the versions of the product, Qt and `what` (the program or the host).
void Installa(const QString& what);

/// A log file rotated by size: `maxBytes` per file, `files` files at most (path, path.1, …).
/// Each line is one write to a file opened for appending, so that threads and processes
/// writing at once leave whole lines; the rotation is taken under a lock file beside it.
class TFileLog {
public:
    explicit TFileLog(const QString& path, qint64 maxBytes = 2 * 1024 * 1024, int files = 5);
    ~TFileLog();
    TFileLog(const TFileLog&) = delete;
    TFileLog& operator=(const TFileLog&) = delete;

    /// Writes `line` and a line break; false when the file cannot be written.
    bool Scrivi(const QByteArray& line);
    QString Path() const { return fPath; }

private:
    bool Apri();
    void Ruota();

    QString fPath;
    qint64 fMaxBytes;
    int fFiles;
    int fFd = -1;
};

/// The file the installed handler writes to (null before Installa); tests read its path.
TFileLog* FileCorrente();

} // namespace zelm::log

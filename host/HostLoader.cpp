#include "HostLoader.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>

#include <cstdint>

QString THostLoader::DefaultLibraryPath() {
    const QString env = qEnvironmentVariable("ZELM_PLUGIN");
    if (!env.isEmpty())
        return env;
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {dir + QStringLiteral("/libzelm.so"), dir + QStringLiteral("/../src/plugin/libzelm.so")})
        if (QFileInfo::exists(candidate))
            return QFileInfo(candidate).canonicalFilePath();
    return dir + QStringLiteral("/libzelm.so");
}

QString THostLoader::ConfigFile() {
    const QString env = qEnvironmentVariable("ZELM_CONF");
    return env.isEmpty() ? QStringLiteral("/etc/zelm/zelm.conf") : env;
}

QString THostLoader::HostFolder(QString* perche) {
    if (const QString env = qEnvironmentVariable("ZELM_HOST_DIR"); !env.isEmpty())
        return env;
    const QString conf = ConfigFile();
    if (QFileInfo::exists(conf)) {
        const QSettings settings(conf, QSettings::IniFormat);
        const QString folder = settings.value(QStringLiteral("folder")).toString().trimmed();
        if (!folder.isEmpty())
            return folder;
        if (perche)
            *perche = QStringLiteral("Il file %1 non indica la cartella dell'ospite "
                                     "(manca la riga folder=CARTELLA).")
                          .arg(conf);
        return QString();
    }
    const QString own = QCoreApplication::applicationDirPath();
    if (QFileInfo::exists(own + QStringLiteral("/user/user.fdb")))
        return own;
    if (perche)
        *perche = QStringLiteral(
                      "Nessuna cartella dell'ospite indicata. Indicarla con --folder CARTELLA, "
                      "con la variabile ZELM_HOST_DIR o nel file %1 (riga folder=CARTELLA); "
                      "una cartella nuova si prepara con: zelm-provision CARTELLA")
                      .arg(conf);
    return QString();
}

bool THostLoader::Load(const QString& path) {
    fLibrary.setFileName(path);
    return fLibrary.load();
}

bool THostLoader::Call(const QString& entry, int utente, int idFinestra) {
    using ShowFn = int32_t (*)(int32_t, int32_t);
    using ErrorFn = const char* (*)();
    auto show = reinterpret_cast<ShowFn>(fLibrary.resolve(entry.toLatin1().constData()));
    auto error = reinterpret_cast<ErrorFn>(fLibrary.resolve("ZelmUltimoErrore"));
    if (!show || !error) {
        fLastError = QStringLiteral("Funzione %1 non trovata nella libreria").arg(entry);
        return false;
    }
    show(utente, idFinestra);
    fLastError = QString::fromUtf8(error());
    return fLastError.isEmpty();
}

#include "HostLoader.h"

#include <QCoreApplication>
#include <QFileInfo>

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

// zelm-provision FOLDER [--empty] [--replace] [--server HOST/PORT:]
// Creates a host folder (user/user.fdb, dati/archivio.fdb, bin, temp, foto) for the demo, a test
// or a site. Databases already there are kept (an archive of an earlier version gains what it
// lacks) unless --replace is given.
#include "HostDb.h"

#include "framework/core/Log.h"
#include "framework/db/DBConnection.h"

#include "framework/core/ZavoError.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

namespace {
const char* const kUso =
    "Uso: zelm-provision CARTELLA [--empty] [--replace] [--server HOST/PORTA:]\n"
    "Prepara la cartella del programma ospite: user/user.fdb, dati/archivio.fdb, bin, temp, foto.\n"
    "  --empty     database vuoti, senza i dati dimostrativi\n"
    "  --replace   sostituisce i database già presenti (senza: sono mantenuti)\n"
    "  --keep      (il comportamento normale) mantiene i database già presenti\n"
    "  --server    crea i database attraverso un server Firebird (amministratore da\n"
    "              ISC_USER/ISC_PASSWORD)\n"
    "  --version   la versione; --help questo testo\n";
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    zelm::log::Installa(QStringLiteral("zelm-provision"));
    QStringList args = app.arguments().mid(1);
    QTextStream err(stderr), out(stdout);
    QString folder, server;
    bool demo = true, replace = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out << kUso;
            return 0;
        }
        if (a == QLatin1String("--version")) {
            out << "zelm-provision " << ZELM_VERSION << "\n";
            return 0;
        }
        if (a == QLatin1String("--empty")) {
            demo = false;
        } else if (a == QLatin1String("--replace")) {
            replace = true;
        } else if (a == QLatin1String("--keep")) {
            replace = false;
        } else if (a == QLatin1String("--server")) {
            if (i + 1 >= args.size()) {
                err << "Manca il valore dell'opzione --server\n" << kUso;
                return 2;
            }
            server = args[++i];
        } else if (a.startsWith(QLatin1Char('-'))) {
            err << "Opzione sconosciuta: " << a << "\n" << kUso;
            return 2;
        } else if (folder.isEmpty()) {
            folder = a;
        } else {
            err << "Una sola cartella, non anche " << a << "\n" << kUso;
            return 2;
        }
    }
    if (folder.isEmpty()) {
        err << kUso;
        return 2;
    }
    // A site's server has its own administrator password: given the Firebird way.
    if (!qEnvironmentVariableIsEmpty("ISC_PASSWORD"))
        ImpostaCredenzialiSito(qEnvironmentVariableIsEmpty("ISC_USER")
                                   ? QStringLiteral("SYSDBA")
                                   : qEnvironmentVariable("ISC_USER"),
                               qEnvironmentVariable("ISC_PASSWORD"));
    const THostFolder layout = HostFolderLayout(folder, server);
    const bool userThere = QFileInfo::exists(layout.userDb);
    const bool archiveThere = QFileInfo::exists(layout.archiveDb);
    try {
        const THostFolder f = ProvisionHostFolder(folder, demo, replace, server);
        const auto said = [&](bool there) {
            return !there    ? QStringLiteral("creato")
                   : replace ? QStringLiteral("sostituito")
                             : QStringLiteral("mantenuto");
        };
        out << "Database utenti " << said(userThere) << ": " << f.userDb << "\nArchivio "
            << said(archiveThere) << ": " << f.archiveDb << "\n";
    } catch (const EZavoError& e) {
        err << e.Message() << "\n";
        return 1;
    }
    return 0;
}

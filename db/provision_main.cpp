// zelm-provision FOLDER [--empty] [--keep] [--server HOST/PORT:]
// Creates a host folder (user/user.fdb, dati/archivio.fdb, bin, temp, foto) for the demo or a test.
#include "HostDb.h"
#include "framework/db/DBConnection.h"

#include "framework/core/ZavoError.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QTextStream err(stderr), out(stdout);
    if (args.isEmpty()) {
        err << "uso: zelm-provision CARTELLA [--empty] [--keep] [--server HOST/PORTA:]\n";
        return 2;
    }
    const QString folder = args.takeFirst();
    // A site's server has its own administrator password: given the Firebird way.
    if (!qEnvironmentVariableIsEmpty("ISC_PASSWORD"))
        ImpostaCredenzialiSito(qEnvironmentVariableIsEmpty("ISC_USER")
                                   ? QStringLiteral("SYSDBA")
                                   : qEnvironmentVariable("ISC_USER"),
                               qEnvironmentVariable("ISC_PASSWORD"));
    bool demo = !args.contains("--empty");
    bool replace = !args.contains("--keep");
    QString server;
    const int s = args.indexOf("--server");
    if (s >= 0 && s + 1 < args.size())
        server = args[s + 1];
    try {
        const THostFolder f = ProvisionHostFolder(folder, demo, replace, server);
        out << "Database utenti: " << f.userDb << "\nArchivio: " << f.archiveDb << "\n";
    } catch (const EZavoError& e) {
        err << e.Message() << "\n";
        return 1;
    }
    return 0;
}

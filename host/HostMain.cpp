// Stand-in for the host suite's program. For now it provisions the demo host folder on first run,
// opens the user database and the archive as the plug-in will, and reports what they hold.
#include "HostDb.h"

#include "framework/core/ZavoError.h"
#include "framework/db/DBConnection.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextStream>

namespace {
void Report(QTextStream& out, TIBDatabase& db, const QStringList& tables) {
    auto tr = CreaTransazioneReadCommitted(db);
    TIBSQL sql(&db, tr.get());
    for (const QString& t : tables) {
        sql.SetSQL(QStringLiteral("SELECT COUNT(*) FROM ") + t);
        sql.ExecQuery();
        out << "  " << t.leftJustified(30, '.') << ' ' << sql.Fields(0).AsInt64() << "\n";
    }
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout), err(stderr);
    QStringList args = app.arguments().mid(1);
    QString folder = qEnvironmentVariable("ZELM_HOST_DIR");
    const int f = args.indexOf("--folder");
    if (f >= 0 && f + 1 < args.size())
        folder = args[f + 1];
    if (folder.isEmpty())
        folder = QCoreApplication::applicationDirPath();
    try {
        THostFolder host = HostFolderLayout(folder);
        if (!QFileInfo::exists(host.userDb) || !QFileInfo::exists(host.archiveDb)) {
            out << "Preparazione dell'ambiente dimostrativo in " << host.root << "\n";
            host = ProvisionHostFolder(folder, true, false);
        }
        TIBDatabase user;
        ConnettiIBDatabase(user, host.userDb);
        out << "Database utenti " << host.userDb << ":\n";
        Report(out, user, {"UTENTI", "TABTREBON", "SELBALOGFUNZ", "TABSCRIPT"});

        QString archivio;
        {
            auto tr = CreaTransazioneReadCommitted(user);
            TIBSQL sql(&user, tr.get());
            sql.SetSQL("SELECT VALORE FROM TABTREBON WHERE UTENTE=1 AND PARAMETRO='Archivio'");
            sql.ExecQuery();
            archivio = sql.Eof() ? QString() : sql.Fields(0).AsString();
        }
        TIBDatabase archive;
        ConnettiIBDatabase(archive, archivio);
        out << "Archivio " << archivio << ":\n";
        Report(out, archive,
               {"ZELMMODEL", "ZELMMODELDETT", "ZELMMODELOPZ", "ZELMMODELPREFCOMP", "ZELMMODELSTO",
                "TAGLIEOPERATIVE", "ZELMSETOPZIONILAVORAZ", "ZELMSETPREFERENZECOMPONENTI",
                "CLIENTI", "CLASSIFICAZIONE1", "CLASSIFICAZIONE5", "ANAMAG"});
    } catch (const EZavoError& e) {
        err << "Errore: " << e.Message() << "\n";
        return 1;
    }
    return 0;
}

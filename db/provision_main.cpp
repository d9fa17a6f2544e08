// zelm-provision FOLDER [--empty] [--replace] [--server HOST/PORT:] [--ruoli] [--assegna R=U]…
//                [--archivio VALORE [--ditta NOME]…] | --ditte
// Creates a host folder (user/user.fdb, dati/archivio.fdb, bin, temp, foto) for the demo, a test
// or a site. Databases already there are kept (an archive of an earlier version gains what it
// lacks) unless --replace is given.
#include "HostDb.h"
#include "SiteRoles.h"

#include "framework/core/Log.h"
#include "framework/core/SlotGuard.h"
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
    "  --ruoli     crea i ruoli ZELM_OPERATORE, ZELM_LETTURA e ZELM_AMMINISTRATORE nei due\n"
    "              database e concede loro i diritti\n"
    "  --assegna RUOLO=UTENTE  l'utente del database agisce attraverso il ruolo (i diritti\n"
    "              dati all'utente direttamente sono tolti); ripetibile\n"
    "  --archivio VALORE  il parametro \"Archivio\" delle ditte indicate con --ditta NOME\n"
    "              (ripetibile; senza: la prima in ordine alfabetico) per ogni utente\n"
    "  --ditte     elenca le ditte del database utenti e termina, senza cambiare nulla\n"
    "  --version   la versione; --help questo testo\n";
}

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    zelm::log::Installa(QStringLiteral("zelm-provision"));
    QStringList args = app.arguments().mid(1);
    QTextStream err(stderr), out(stdout);
    QString folder, server, archivio;
    QStringList assegna, ditte;
    bool demo = true, replace = false, ruoli = false, elencaDitte = false;
    const auto value = [&](int& i, QString& into) {
        if (i + 1 >= args.size()) {
            err << "Manca il valore dell'opzione " << args[i] << "\n" << kUso;
            return false;
        }
        into = args[++i];
        return true;
    };
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
            if (!value(i, server))
                return 2;
        } else if (a == QLatin1String("--ruoli")) {
            ruoli = true;
        } else if (a == QLatin1String("--ditte")) {
            elencaDitte = true;
        } else if (a == QLatin1String("--archivio")) {
            if (!value(i, archivio))
                return 2;
        } else if (a == QLatin1String("--ditta") || a == QLatin1String("--assegna")) {
            QString v;
            if (!value(i, v))
                return 2;
            (a == QLatin1String("--ditta") ? ditte : assegna) << v;
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
    if (elencaDitte) {
        try {
            for (const QString& d : zelm::sito::Ditte(layout.Connection(layout.userDb)))
                out << d << "\n";
        } catch (const EZavoError& e) {
            err << LogCurrentError() << "\n";
            return 1;
        }
        return 0;
    }
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
        const QStringList connections{f.Connection(f.userDb), f.Connection(f.archiveDb)};
        if (ruoli) {
            for (const QString& c : connections)
                zelm::sito::ApplicaRuoli(c);
            out << "Ruoli: " << zelm::sito::Ruoli().join(QStringLiteral(", ")) << "\n";
        }
        for (const QString& a : assegna) {
            const QString ruolo = a.section(QLatin1Char('='), 0, 0).trimmed().toUpper();
            const QString utente = a.section(QLatin1Char('='), 1).trimmed();
            for (const QString& c : connections)
                zelm::sito::AssegnaRuolo(c, ruolo, utente);
            out << "Utente " << utente.toUpper() << ": ruolo " << ruolo << "\n";
        }
        if (!archivio.isEmpty()) {
            if (ditte.isEmpty()) {
                const QStringList tutte = zelm::sito::Ditte(f.Connection(f.userDb));
                if (!tutte.isEmpty())
                    ditte << tutte.first();
            }
            const int n = zelm::sito::PuntaArchivio(f.Connection(f.userDb), archivio, ditte);
            out << "Archivio " << archivio << " per " << ditte.join(QStringLiteral(", ")) << " ("
                << n << " parametri)\n";
        }
    } catch (const EZavoError& e) {
        err << LogCurrentError() << "\n";
        return 1;
    }
    return 0;
}

// zelm-import: the workbook import for scheduled jobs, the same driver as the import window.
//   zelm-import [--folder HOSTDIR] [--user N] [--foto] PATH...
// Each PATH is a workbook or a folder (its own workbooks). One line per attempted workbook on
// standard output, "ESITO<TAB>file name<TAB>NOTE" (a backslash, tab or line break inside a field
// written \\, \t, \n, \r); progress on standard error. Exit code 0 when
// every workbook ended "OK" or "FILE GIA ACQUISITO", 1 when any ended "ERRORE" or
// "FILE MANCANTE", 2 when nothing could be attempted.
#include "HostLoader.h"

#include "framework/core/Log.h"
#include "framework/core/SlotGuard.h"
#include "framework/core/WinPath.h"
#include "framework/core/ZavoError.h"
#include "framework/db/DBConnection.h"
#include "framework/session/Session.h"
#include "framework/session/ZavoUser.h"
#include "import/ImportXls.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QTextStream>

namespace {
/// A field of a result line: a backslash, tab or line break inside it would split the line, so
/// they are written as \\, \t, \n and \r.
QString Campo(QString text) {
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    text.replace(QLatin1Char('\r'), QStringLiteral("\\r"));
    return text;
}

int Uso(QTextStream& err, const QString& why) {
    err << why << "\n"
        << "Uso: zelm-import [--folder CARTELLA] [--user N] [--foto] PERCORSO...\n";
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    // Pictures are converted and scaled without any display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    zelm::log::Installa(QStringLiteral("zelm-import"));
    QTextStream out(stdout), err(stderr);
    QStringList args = QCoreApplication::arguments().mid(1);
    QString folder;
    int utente = 1;
    bool foto = false;
    QStringList paths;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--version")) {
            out << "zelm-import " << ZELM_VERSION << "\n";
            return 0;
        }
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            out << "Uso: zelm-import [--folder CARTELLA] [--user N] [--foto] PERCORSO...\n"
                << "Importa le cartelle di lavoro (.xls, .xlsx) del sistema di origine come "
                   "schede modello.\n"
                << "  --folder  la cartella del programma ospite; predefinita ZELM_HOST_DIR,\n"
                << "            poi folder= di /etc/zelm/zelm.conf (o del file in ZELM_CONF)\n";
            return 0;
        }
        const bool valued = a == QLatin1String("--folder") || a == QLatin1String("--user");
        if (valued && (i + 1 >= args.size() || args[i + 1].startsWith(QLatin1String("--"))))
            return Uso(err, QStringLiteral("Manca il valore dell'opzione %1").arg(a));
        if (a == QLatin1String("--folder")) {
            folder = args[++i];
        } else if (a == QLatin1String("--user")) {
            bool ok = false;
            utente = args[++i].toInt(&ok);
            if (!ok)
                return Uso(err, QStringLiteral("Utente non valido: %1").arg(args[i]));
        } else if (a == QLatin1String("--foto")) {
            foto = true;
        } else if (a.startsWith(QLatin1String("--"))) {
            return Uso(err, QStringLiteral("Opzione sconosciuta: %1").arg(a));
        } else {
            paths << a;
        }
    }
    if (paths.isEmpty())
        return Uso(err, QStringLiteral("Nessun file o cartella da importare"));
    if (folder.isEmpty()) {
        QString perche;
        folder = THostLoader::HostFolder(&perche);
        if (folder.isEmpty()) {
            err << perche << "\n";
            return 2;
        }
    }
    // A scheduled service hands the site's password over as a credential (systemd's
    // LoadCredential=password:…): it then sits in no unit, environment or dati.ini.
    if (const QString dir = qEnvironmentVariable("CREDENTIALS_DIRECTORY"); !dir.isEmpty()) {
        QFile credenziale(dir + QStringLiteral("/password"));
        if (credenziale.exists()) {
            if (!credenziale.open(QIODevice::ReadOnly)) {
                err << "Credenziale non leggibile: " << credenziale.fileName() << "\n";
                return 2;
            }
            const QString password =
                QString::fromUtf8(credenziale.readLine()).remove(QLatin1Char('\r')).trimmed();
            if (password.isEmpty()) {
                err << "Credenziale vuota: " << credenziale.fileName() << "\n";
                return 2;
            }
            ImpostaPasswordFornita(password);
        }
    }
    // The plug-in's code looks for "user/user.fdb" in the host program's folder.
    qputenv("ZELM_HOST_DIR", QFile::encodeName(QFileInfo(folder).absoluteFilePath()));

    // The office starts while the folders are listed and the session opens.
    TImportXls::PreparaOffice();
    QStringList files;
    for (const QString& p : paths)
        files << (QFileInfo(p).isDir() ? TImportXls::FileDellaCartella(p)
                                       : QStringList{QFileInfo(p).absoluteFilePath()});
    try {
        TSession session(nullptr, utente);
        TImportXls import(session.IBDatabase(), utente, session.ParametriTrebon()->TempDir(),
                          HostProgramDir());
        import.AcquisisciFoto = foto;
        import.NomeUtente = session.ZavoUser()->NomeUtente();
        int attempted = 0, failed = 0, setup = 0;
        for (int i = 0; i < files.size(); ++i) {
            err << QStringLiteral("[%1/%2] %3\n").arg(i + 1).arg(files.size()).arg(files[i]);
            err.flush();
            TEsitoXls esito;
            try {
                esito = import.Importa(files[i]);
            } catch (const EZavoError& e) {
                // The photo store is not set up: this workbook is not attempted; the next one
                // tries the set-up again (it may have been mended meanwhile).
                err << LogCurrentError() << "\n";
                err.flush();
                ++setup;
                continue;
            }
            ++attempted;
            out << esito.esito << '\t' << Campo(esito.nomeFile) << '\t' << Campo(esito.note)
                << "\n";
            out.flush();
            if (esito.esito == QLatin1String("ERRORE") ||
                esito.esito == QLatin1String("FILE MANCANTE"))
                ++failed;
        }
        if (attempted == 0)
            return setup > 0 ? 2
                             : Uso(err, QStringLiteral("Nessuna cartella di lavoro da importare"));
        return failed > 0 || setup > 0 ? 1 : 0;
    } catch (const EZavoError& e) {
        err << LogCurrentError() << "\n";
        return 2;
    }
}

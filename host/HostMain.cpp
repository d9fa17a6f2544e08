// Stand-in for the host suite's program:
//   zelm-host [--folder DIR] [--library PATH] [--check] [ENTRY [USER [IDFINESTRA]]]
// Provisions the demo host folder on first run, loads the plug-in, calls the entry point
// (ShowZelmModelFormX by default, user 1, opening 1) and runs until the last window closes.
// With --check it prints the captions of the windows that opened, closes them and exits.
// With --grid it opens the configurable grid over the demo model sheets instead.
#include "GridDemo.h"
#include "HostDb.h"
#include "HostLoader.h"

#include "framework/core/Log.h"
#include "framework/core/SlotGuard.h"
#include "framework/core/ZavoError.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QTextStream>
#include <QWidget>

#include <cstdio>
#include <cstring>

namespace {
const char* const kUso =
    "Uso: zelm-host [--folder CARTELLA] [--library PERCORSO] [--check] [--grid]\n"
    "               [FUNZIONE [UTENTE [IDFINESTRA]]]\n"
    "Apre una finestra del plug-in (ShowZelmModelFormX, ShowImpXlsHelvoFormX,\n"
    "ShowZelmCreaArtFormX; ShowZelmModelFormX 1 1 senza argomenti) come il programma ospite.\n"
    "  --folder    la cartella del programma ospite (user/user.fdb); predefinita ZELM_HOST_DIR,\n"
    "              poi folder= di /etc/zelm/zelm.conf (o del file in ZELM_CONF)\n"
    "  --library   il plug-in da caricare (predefinito: quello accanto al programma)\n"
    "  --check     apre, stampa i titoli delle finestre aperte, chiude ed esce\n"
    "  --grid      la griglia configurabile sulle schede dimostrative\n"
    "  --dialog-errors  gli errori anche in una finestra (avviato dal menu, senza terminale)\n"
    "  --version   la versione; --help questo testo\n";
}

int main(int argc, char** argv) {
    // Answered before any window system is needed: a terminal without a display asks them too.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUso, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("zelm-host %s\n", ZELM_VERSION);
            return 0;
        }
    }
    QApplication app(argc, argv);
    zelm::log::Installa(QStringLiteral("zelm-host"));
    QTextStream out(stdout), err(stderr);
    QStringList args = app.arguments().mid(1);
    auto option = [&](const QString& name) {
        const int i = args.indexOf(name);
        if (i < 0 || i + 1 >= args.size())
            return QString();
        const QString v = args[i + 1];
        args.remove(i, 2);
        return v;
    };
    QString folder = option("--folder");
    QString library = option("--library");
    const bool check = args.removeAll("--check") > 0;
    const bool grid = args.removeAll("--grid") > 0;
    const bool dialogErrors = args.removeAll("--dialog-errors") > 0;
    // Started from the desktop's menu nobody reads the standard error: the reason is shown too.
    auto fail = [&](const QString& text, int code) {
        err << text << "\n";
        err.flush();
        if (dialogErrors)
            QMessageBox::critical(nullptr, QStringLiteral("Schede modello"), text);
        return code;
    };
    for (const QString& a : args)
        if (a.startsWith(QLatin1Char('-'))) {
            err << "Opzione sconosciuta: " << a << "\n" << kUso;
            return 2;
        }
    if (folder.isEmpty()) {
        QString perche;
        folder = THostLoader::HostFolder(&perche);
        if (folder.isEmpty())
            return fail(perche, 1);
    }
    if (library.isEmpty())
        library = THostLoader::DefaultLibraryPath();
    const QString entry = args.value(0, QStringLiteral("ShowZelmModelFormX"));
    const int utente = args.value(1, QStringLiteral("1")).toInt();
    const int idFinestra = args.value(2, QStringLiteral("1")).toInt();

    if (!folder.isEmpty()) {
        // The plug-in looks for "user/user.fdb" in the host program's folder.
        qputenv("ZELM_HOST_DIR", QFile::encodeName(QFileInfo(folder).absoluteFilePath()));
        const THostFolder host = HostFolderLayout(folder);
        // A workstation's folder names its server in user/dati.ini: nothing to prepare there.
        const bool postazione =
            QFileInfo::exists(QFileInfo(host.userDb).dir().filePath(QStringLiteral("dati.ini")));
        if (!postazione &&
            (!QFileInfo::exists(host.userDb) || !QFileInfo::exists(host.archiveDb))) {
            out << "Preparazione dell'ambiente dimostrativo in " << host.root << "\n";
            out.flush();
            try {
                ProvisionHostFolder(folder, true, false);
            } catch (const EZavoError& e) {
                return fail(QStringLiteral("Errore: ") + LogCurrentError(), 1);
            }
        }
    }

    if (grid) {
        try {
            ShowGridDemo(args.value(1, QStringLiteral("1")).toInt());
        } catch (const EZavoError& e) {
            return fail(QStringLiteral("Errore: ") + LogCurrentError(), 1);
        }
        if (check) {
            app.processEvents();
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->isVisible()) {
                    out << "Finestra aperta: " << w->windowTitle() << "\n";
                    // ZELM_SCREENSHOT=file.png keeps a picture of what opened.
                    if (const QString shot = qEnvironmentVariable("ZELM_SCREENSHOT");
                        !shot.isEmpty())
                        w->grab().save(shot);
                }
            QApplication::closeAllWindows();
            return 0;
        }
        return app.exec();
    }

    THostLoader loader;
    if (!loader.Load(library))
        return fail(QStringLiteral("Libreria non caricata: ") + loader.ErrorString(), 1);
    if (!loader.Call(entry, utente, idFinestra))
        return fail(QStringLiteral("Errore: ") + loader.LastError(), 1);
    if (check) {
        app.processEvents();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible()) {
                out << "Finestra aperta: " << w->windowTitle() << "\n";
                if (const QString shot = qEnvironmentVariable("ZELM_SCREENSHOT"); !shot.isEmpty())
                    w->grab().save(shot);
            }
        out.flush();
        QApplication::closeAllWindows();
        app.processEvents();
        return 0;
    }
    return app.exec();
}

// card: "Mostra" on a sheet with 40 details, 30 options, 30 preferences and 200 annotations
// until the card is painted, against the service's Load of the same sheet plus one full repaint
// of the card already shown.
#include "BenchSupport.h"

#include "HostDb.h"

#include "control/ZelmModelService.h"
#include "framework/db/IBDatabase.h"
#include "view/zelmmodel/FrameRicerca.h"
#include "view/zelmmodel/FrameScheda.h"
#include "view/zelmmodel/ZelmModelForm.h"

#include <QApplication>

namespace {
const int kId = 100;

/// Sheet 100 (model 100) with its rows, and a preference set of 30 lines.
void AddSheet(const THostFolder& host) {
    QStringList sql{
        "INSERT INTO ZELMMODEL (ID, IDMODEL, IDVARIANTE, CODICECLIENTE, SIGLACLIENTE, CODICE, "
        "DATA, TAGLIAOPERATIVA, SETOPZIONILAVORAZ, SETPREFERENZECOMPONENTI, STATUSSCHEDA, "
        "QRCODE) VALUES (100, 100, 0, 'C001', 'MILANO MODA', 'BENCH-100', '2026-01-10', "
        "'D35-42', 1, 50, 'InPreparazione', 'M0000100V000')"};
    for (int i = 1; i <= 40; ++i)
        sql << QStringLiteral("INSERT INTO ZELMMODELDETT (ID, IDMODEL, TIPODETT, D1, D2, D3, D4, "
                              "D5, D6, D7, D8) VALUES (%1, 100, 'Misura %2', '1', '2', '3', '4', "
                              "'5', '6', '7', '8')")
                   .arg(1000 + i)
                   .arg(i);
    for (int i = 1; i <= 30; ++i) {
        sql << QStringLiteral("INSERT INTO ZELMMODELOPZ (ID, IDMODEL, IDVARIANTEMODEL, IDOPZIONE, "
                              "ETICHETTA, DESCRIZIONE) VALUES (%1, 100, 0, 1, 'Opzione %2', "
                              "'Descrizione %2')")
                   .arg(1000 + i)
                   .arg(i);
        sql << QStringLiteral("INSERT INTO ZELMSETPREFERENZECOMPONENTI (NSET, NRIGA, ETICHETTA) "
                              "VALUES (50, %1, 'Preferenza %1')")
                   .arg(i);
        sql << QStringLiteral("INSERT INTO ZELMMODELPREFCOMP (ID, IDMODEL, IDVARIANTEMODEL, "
                              "IDOPZIONE, ETICHETTA) VALUES (%1, 100, 0, 50, 'Preferenza %2')")
                   .arg(1000 + i)
                   .arg(i);
    }
    for (int i = 1; i <= 200; ++i)
        sql << QStringLiteral("INSERT INTO ZELMMODELSTO (ID, IDMODEL, TIPOANNOTAZIONE, "
                              "DATAANNOTAZIONE, ANNOTAZIONE) VALUES (%1, 100, 'Tipo %2', "
                              "DATEADD(%3 DAY TO DATE '2025-01-01'), 'Annotazione numero %1')")
                   .arg(1000 + i)
                   .arg(i % 7)
                   .arg((i * 37) % 365);
    TIBDatabase db;
    db.SetDatabaseName(host.archiveDb);
    db.Open();
    RunSqlScript(db, sql.join(";\n") + ";");
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const THostFolder host = ProvisionHostFolder(dir + "/card-host");
    qputenv("ZELM_HOST_DIR", QFile::encodeName(host.root));
    AddSheet(host);

    auto* form = new TFormZelmModel(1, 1);
    form->resize(1404, 860);
    form->show();
    QApplication::processEvents();
    form->FrameRicerca->FrameZavoGrid->RefreshGrid(QVariant(kId));
    auto mostra = [&] {
        QElapsedTimer t;
        t.start();
        form->Esegui(cmdMostra);
        form->repaint();
        const double s = Seconds(t);
        form->Esegui(cmdChiudi);
        return s;
    };
    mostra(); // first card: fonts and styles are loaded once per process
    form->Esegui(cmdMostra);
    auto anchor = [&] {
        QElapsedTimer t;
        t.start();
        form->Service()->EndTransaction(false);
        form->Service()->StartTransaction();
        std::unique_ptr<TZelmModelContext> context = form->Service()->Load(kId);
        form->repaint();
        return Seconds(t);
    };
    anchor();
    form->Esegui(cmdChiudi);
    RunBench(
        "card", 15, [&](int) { return mostra(); },
        [&](int) {
            form->Esegui(cmdMostra);
            const double s = anchor();
            form->Esegui(cmdChiudi);
            return s;
        });
    form->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}

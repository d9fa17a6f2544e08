// export: one full sheet (17 sizes, 10 details, 12 options, 24 preference lines, 30 annotations)
// exported through TExportExcelScheda, against the office's own floor for the same workbook: a new
// hidden spreadsheet, the same texts written with one setDataArray call, stored as "MS Excel 97"
// and closed; both on the warm office process. export-xlsx: the same form written directly as
// .xlsx, against the same floor; export-pdf: the form as one PDF page, against the same floor.
// A last line reports the office's cold start.
#include "BenchSupport.h"

#include "control/ExportExcelScheda.h"
#include "control/office/OfficeSuite.h"

#include <QCoreApplication>

namespace {
std::unique_ptr<TZelmModelContext> FullSheet() {
    auto ctx = std::make_unique<TZelmModelContext>();
    auto m = std::make_unique<TZelmModelData>();
    m->SetIdModel(42);
    m->SetSiglaCliente("MILANO MODA");
    m->SetLavorazione("Cucito a mano");
    m->SetCodice("DEC-101");
    m->SetForma("F100");
    m->SetTacco("T45");
    m->SetPlato("P10");
    m->SetData(QDate(2026, 9, 1));
    m->SetStagione("PE 2027");
    m->SetTipo("Donna");
    m->SetModoLavorazione("Montato");
    m->SetModello("Decolleté Aurora");
    m->SetLinea("Classica");
    m->SetIndustrializzatore("Mario Rossi");
    m->SetDataPrototipo(QDate(2026, 7, 1));
    m->SetDataCampione(QDate(2026, 8, 1));
    m->SetNoteVarie("Prima riga\nSeconda riga");
    m->SetNoteCuoio("Vitello pieno fiore");
    m->SetNoteCamp("Campionario");
    ctx->SetModel(std::move(m));
    auto sizes = std::make_unique<TTaglieOperativeDataList>();
    for (int i = 0; i < 17; ++i)
        sizes->Add(std::make_unique<TTaglieOperativeData>())
            ->SetDescrizione1(QString::number(36 + i * 0.5));
    ctx->SetTaglieOperative(std::move(sizes));
    auto dett = std::make_unique<TZelmModelDettDataList>();
    for (int i = 0; i < 10; ++i) {
        auto* d = dett->Add(std::make_unique<TZelmModelDettData>());
        d->SetTipoDett(QStringLiteral("Dettaglio %1").arg(i));
        for (int n = 1; n <= 17; ++n)
            d->SetD(n, QString::number(200 + n));
    }
    ctx->SetDett(std::move(dett));
    auto opz = std::make_unique<TZelmModelOpzDataList>();
    for (int i = 0; i < 12; ++i) {
        auto* o = opz->Add(std::make_unique<TZelmModelOpzData>());
        o->SetEtichetta(QStringLiteral("Opzione %1").arg(i));
        o->SetDescrizione(QStringLiteral("Valore %1").arg(i));
    }
    ctx->SetOpz(std::move(opz));
    auto set = std::make_unique<TZelmSetPreferenzeComponentiDataList>();
    auto chosen = std::make_unique<TZelmModelPrefCompDataList>();
    for (int i = 0; i < 24; ++i) {
        set->Add(std::make_unique<TZelmSetPreferenzeComponentiData>())
            ->SetEtichetta(QStringLiteral("Componente %1").arg(i));
        if (i % 3 == 0)
            chosen->Add(std::make_unique<TZelmModelPrefCompData>())
                ->SetEtichetta(QStringLiteral("Componente %1").arg(i));
    }
    ctx->SetSetPreferenzeComponenti(std::move(set));
    ctx->SetPrefComp(std::move(chosen));
    auto sto = std::make_unique<TZelmModelStoDataList>();
    for (int i = 0; i < 30; ++i) {
        auto* s = sto->Add(std::make_unique<TZelmModelStoData>());
        s->SetTipoAnnotazione(i % 5 == 0 ? "Modifica" : "Nota");
        s->SetDataAnnotazione(QDate(2026, 1, 1).addDays(i));
        s->SetAnnotazione(QStringLiteral("Annotazione %1").arg(i));
    }
    ctx->SetSto(std::move(sto));
    return ctx;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    TOfficeSuite& office = TOfficeSuite::Instance();

    QElapsedTimer cold;
    cold.start();
    office.NewSpreadsheet()->Close();
    const double coldStart = Seconds(cold);

    auto ctx = FullSheet();
    TExportExcelScheda exporter;
    exporter.Context = ctx.get();
    exporter.FileName = dir + "/export-ours.xls";
    exporter.Exec();
    // The floor writes exactly the texts our form holds.
    QList<QVariantList> texts = office.LoadSpreadsheet(exporter.FileName)->GetDataArray("A1:T160");
    const QString range = QStringLiteral("A1:T%1").arg(texts.size());

    double warmNew = 0;
    auto floor = [&](int) {
        QElapsedTimer t;
        t.start();
        auto doc = office.NewSpreadsheet();
        warmNew = Seconds(t);
        doc->SetDataArray(range, texts);
        doc->StoreAsExcel97(dir + "/export-floor.xls");
        doc->Close();
        return Seconds(t);
    };
    auto ours = [&](const QString& file) {
        return [&, file](int) {
            exporter.FileName = file;
            QElapsedTimer t;
            t.start();
            exporter.Exec();
            return Seconds(t);
        };
    };
    RunBench("export", 7, ours(dir + "/export-ours.xls"), floor);
    // The same form written directly as .xlsx: no office at all.
    RunBench("export-xlsx", 7, ours(dir + "/export-ours.xlsx"), floor);
    // One PDF page (no goal yet): the form converted by the office, against the same floor.
    RunBench("export-pdf", 7, ours(dir + "/export-ours.pdf"), floor);
    std::printf("office-start: ratio=%.3f ours=%.4f anchor=%.4f unit=s\n", coldStart / warmNew,
                coldStart, warmNew);
    office.Shutdown();
    return 0;
}

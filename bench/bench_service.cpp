// service: Load then Save of a sheet with 40 details, 30 options, 30 preferences and 200
// annotations through the model sheet service, against the same reads and writes issued directly
// on the database layer (one statement per row, no synchronisation).
#include "BenchSupport.h"

#include "HostDb.h"

#include "control/ZelmModelService.h"
#include "framework/db/DBConnection.h"
#include "framework/db/DbHelpers.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"
#include "framework/session/Session.h"

#include <QCoreApplication>

namespace {
constexpr int kSheet = 1; // demo sheet: model 1, variant 0

void Populate(TZelmModelService& service) {
    service.StartTransaction();
    auto ctx = service.Load(kSheet);
    auto dett = std::make_unique<TZelmModelDettDataList>();
    for (int i = 0; i < 40; ++i) {
        auto d = dett->Add(std::make_unique<TZelmModelDettData>());
        d->SetIdModel(1);
        d->SetTipoDett(QStringLiteral("Dettaglio %1").arg(i));
        for (int n = 1; n <= 17; ++n)
            d->SetD(n, QString::number(200 + n));
    }
    auto opz = std::make_unique<TZelmModelOpzDataList>();
    auto pref = std::make_unique<TZelmModelPrefCompDataList>();
    for (int i = 0; i < 30; ++i) {
        auto o = opz->Add(std::make_unique<TZelmModelOpzData>());
        o->SetIdModel(1);
        o->SetIdOpzione(1);
        o->SetEtichetta(QStringLiteral("Opzione %1").arg(i));
        o->SetDescrizione(QStringLiteral("Valore %1").arg(i));
        auto p = pref->Add(std::make_unique<TZelmModelPrefCompData>());
        p->SetIdModel(1);
        p->SetIdOpzione(1);
        p->SetEtichetta(QStringLiteral("Componente %1").arg(i));
    }
    auto sto = std::make_unique<TZelmModelStoDataList>();
    for (int i = 0; i < 200; ++i) {
        auto s = sto->Add(std::make_unique<TZelmModelStoData>());
        s->SetIdModel(1);
        s->SetTipoAnnotazione(QStringLiteral("Tipo %1").arg(i % 7));
        s->SetDataAnnotazione(QDate(2026, 1, 1).addDays(i));
        s->SetAnnotazione(QStringLiteral("Annotazione numero %1 del modello").arg(i));
    }
    ctx->SetDett(std::move(dett));
    ctx->SetOpz(std::move(opz));
    ctx->SetPrefComp(std::move(pref));
    ctx->SetSto(std::move(sto));
    service.Save(*ctx);
    service.EndTransaction(true);
}

double Ours(TZelmModelService& service) {
    QElapsedTimer t;
    t.start();
    service.StartTransaction();
    auto ctx = service.Load(kSheet);
    service.Save(*ctx);
    service.EndTransaction(true);
    return Seconds(t);
}

/// The same statements, one per row, written directly on the database layer.
class TAnchor {
public:
    explicit TAnchor(TIBDatabase& db)
        : fDb(db), fTr(CreaTransazione(db, TTipoTransazione::Snapshot, false)) {
        auto make = [&](const QStringList& lines) {
            auto s = std::make_unique<TIBSQL>(&fDb, fTr.get());
            s->SetSQL(lines);
            return s;
        };
        fSheet = make({"SELECT * FROM ZELMMODEL WHERE ID=:ID"});
        fCliente = make({"SELECT * FROM CLIENTI WHERE CODICE=:CODICE"});
        fDett = make({"SELECT * FROM ZELMMODELDETT WHERE IDMODEL=:IDMODEL ORDER BY ID"});
        fOpz = make({"SELECT * FROM ZELMMODELOPZ WHERE IDMODEL=:IDMODEL AND "
                     "IDVARIANTEMODEL=:IDVARIANTEMODEL ORDER BY ID"});
        fPref = make({"SELECT * FROM ZELMMODELPREFCOMP WHERE IDMODEL=:IDMODEL AND "
                      "IDVARIANTEMODEL=:IDVARIANTEMODEL ORDER BY ID"});
        fSto = make({"SELECT * FROM ZELMMODELSTO WHERE IDMODEL=:IDMODEL ORDER BY "
                     "DATAANNOTAZIONE, ID"});
        fTaglie = make({"SELECT * FROM TAGLIEOPERATIVE WHERE CODICE=:CODICE ORDER BY NRIGA"});
        fSetOpz = make({"SELECT * FROM ZELMSETOPZIONILAVORAZ WHERE NSET=:NSET ORDER BY NRIGA"});
        fSetPref =
            make({"SELECT * FROM ZELMSETPREFERENZECOMPONENTI WHERE NSET=:NSET ORDER BY NRIGA"});
        fUpSheet = make(UpsertLines("ZELMMODEL", TZelmModelData::Columns()));
        QStringList dettCols{"ID", "IDMODEL", "TIPODETT"};
        for (int n = 1; n <= 17; ++n)
            dettCols << QStringLiteral("D%1").arg(n);
        fUpDett = make(UpsertLines("ZELMMODELDETT", dettCols));
        fUpOpz = make(UpsertLines("ZELMMODELOPZ", {"ID", "IDMODEL", "IDVARIANTEMODEL", "IDOPZIONE",
                                                   "ETICHETTA", "DESCRIZIONE"}));
        fUpPref = make(UpsertLines("ZELMMODELPREFCOMP",
                                   {"ID", "IDMODEL", "IDVARIANTEMODEL", "IDOPZIONE", "ETICHETTA"}));
        fUpSto = make(UpsertLines("ZELMMODELSTO", {"ID", "IDMODEL", "TIPOANNOTAZIONE",
                                                   "DATAANNOTAZIONE", "ANNOTAZIONE"}));
    }

    double Run() {
        QElapsedTimer t;
        t.start();
        fTr->StartTransaction();
        using Row = std::vector<QVariant>;
        auto read = [](TIBSQL& s, std::vector<Row>& rows) {
            for (s.ExecQuery(); !s.Eof(); s.Next()) {
                Row r;
                for (int i = 0; i < s.FieldCount(); ++i)
                    r.push_back(s.Fields(i).AsVariant());
                rows.push_back(std::move(r));
            }
            s.Close();
        };
        std::vector<Row> sheet, cliente, dett, opz, pref, sto, taglie, setOpz, setPref;
        fSheet->ParamByName("ID").SetInteger(kSheet);
        read(*fSheet, sheet);
        fCliente->ParamByName("CODICE").SetString("C001");
        read(*fCliente, cliente);
        fDett->ParamByName("IDMODEL").SetInteger(1);
        read(*fDett, dett);
        for (TIBSQL* s : {fOpz.get(), fPref.get()}) {
            s->ParamByName("IDMODEL").SetInteger(1);
            s->ParamByName("IDVARIANTEMODEL").SetInteger(0);
        }
        read(*fOpz, opz);
        read(*fPref, pref);
        fSto->ParamByName("IDMODEL").SetInteger(1);
        read(*fSto, sto);
        fTaglie->ParamByName("CODICE").SetString("D35-42");
        read(*fTaglie, taglie);
        fSetOpz->ParamByName("NSET").SetInteger(1);
        read(*fSetOpz, setOpz);
        fSetPref->ParamByName("NSET").SetInteger(1);
        read(*fSetPref, setPref);

        auto write = [](TIBSQL& s, const std::vector<Row>& rows) {
            s.Prepare();
            for (const Row& r : rows) {
                for (int i = 0; i < s.ParamCount(); ++i)
                    s.Params(i).SetVariant(r[i]);
                s.ExecQuery();
            }
        };
        write(*fUpSheet, sheet);
        write(*fUpDett, dett);
        write(*fUpOpz, opz);
        write(*fUpPref, pref);
        write(*fUpSto, sto);
        fTr->Commit();
        return Seconds(t);
    }

private:
    TIBDatabase& fDb;
    std::unique_ptr<TIBTransaction> fTr;
    std::unique_ptr<TIBSQL> fSheet, fCliente, fDett, fOpz, fPref, fSto, fTaglie, fSetOpz, fSetPref;
    std::unique_ptr<TIBSQL> fUpSheet, fUpDett, fUpOpz, fUpPref, fUpSto;
};
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const THostFolder host = ProvisionHostFolder(dir + "/service-host");
    qputenv("ZELM_HOST_DIR", QFile::encodeName(host.root));
    TSession session(nullptr, 1);
    TZelmModelService service;
    service.SetSession(&session);
    Populate(service);
    TIBDatabase db;
    ConnettiIBDatabase(db, host.archiveDb);
    TAnchor anchor(db);
    Ours(service); // warm: statements prepared once, as in a window that stays open
    anchor.Run();
    RunBench(
        "service", 15, [&](int) { return Ours(service); }, [&](int) { return anchor.Run(); });
    return 0;
}

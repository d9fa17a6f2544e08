// records: 5,000 new detail rows saved as records with Save(AList), against the same upserts
// written directly on the database layer with identifiers from one GEN_ID(…, 5000).
// records-load: the same rows loaded back as records with LoadByModel, against a plain fetch.
#include "BenchSupport.h"

#include "HostDb.h"

#include "control/DataAccessManager.h"
#include "framework/db/DBConnection.h"
#include "framework/db/DbHelpers.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

#include <QCoreApplication>

namespace {
constexpr int kRows = 5000;
constexpr int kModel = 900;

QStringList DettColumns() {
    QStringList columns{"ID", "IDMODEL", "TIPODETT"};
    for (int n = 1; n <= 17; ++n)
        columns << QStringLiteral("D%1").arg(n);
    return columns;
}

QString Size(int row, int n) {
    return QString::number(200 + (row + n) % 300);
}

void Clean(TIBDatabase& db) {
    auto tr = CreaTransazione(db, TTipoTransazione::Snapshot);
    TIBSQL sql(&db, tr.get());
    sql.SetSQL(QStringLiteral("DELETE FROM ZELMMODELDETT WHERE IDMODEL=%1").arg(kModel));
    sql.ExecQuery();
    tr->Commit();
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const THostFolder host = ProvisionHostFolder(dir + "/records-host", false);
    TIBDatabase db;
    ConnettiIBDatabase(db, host.archiveDb);

    auto tr = CreaTransazione(db, TTipoTransazione::Snapshot, false);
    TDataAccessManager manager;
    manager.SetIBDatabase(&db);
    manager.SetIBTransaction(tr.get());
    TZelmModelDettDataAccess& access = manager.ZelmModelDettDataAccess();
    access.SetIBDatabase(&db);
    access.SetIBTransaction(tr.get());

    // Ours: records built, then saved as one list.
    auto ours = [&](int) {
        Clean(db);
        TZelmModelDettDataList list;
        for (int i = 0; i < kRows; ++i) {
            auto* d = list.Add(std::make_unique<TZelmModelDettData>());
            d->SetIdModel(kModel);
            d->SetTipoDett(QStringLiteral("Dettaglio %1").arg(i));
            for (int n = 1; n <= 17; ++n)
                d->SetD(n, Size(i, n));
        }
        QElapsedTimer t;
        t.start();
        tr->StartTransaction();
        access.Save(list);
        tr->Commit();
        return Seconds(t);
    };
    // Anchor: the same upserts, bound directly.
    auto anchorTr = CreaTransazione(db, TTipoTransazione::Snapshot, false);
    TIBSQL upsert(&db, anchorTr.get());
    upsert.SetSQL(UpsertLines("ZELMMODELDETT", DettColumns()));
    std::array<QByteArray, 17> dNames;
    for (int n = 1; n <= 17; ++n)
        dNames[n - 1] = QByteArray("D") + QByteArray::number(n);
    auto anchor = [&](int) {
        Clean(db);
        std::vector<QString> tipo(kRows);
        std::vector<std::array<QString, 17>> sizes(kRows);
        for (int i = 0; i < kRows; ++i) {
            tipo[i] = QStringLiteral("Dettaglio %1").arg(i);
            for (int n = 1; n <= 17; ++n)
                sizes[i][n - 1] = Size(i, n);
        }
        QElapsedTimer t;
        t.start();
        const int first =
            GeneratorNextValue(db, QStringLiteral("ID_ZELMMODELDETT_COUNTER"), kRows) - kRows + 1;
        anchorTr->StartTransaction();
        for (int i = 0; i < kRows; ++i) {
            upsert.ParamByName("ID").SetInteger(first + i);
            upsert.ParamByName("IDMODEL").SetInteger(kModel);
            upsert.ParamByName("TIPODETT").SetString(tipo[i]);
            for (int n = 1; n <= 17; ++n)
                upsert.ParamByName(dNames[n - 1].constData()).SetString(sizes[i][n - 1]);
            upsert.ExecQuery();
        }
        anchorTr->Commit();
        return Seconds(t);
    };
    ours(0); // statements prepared once, as in a service that stays open
    anchor(0);
    RunBench("records", 7, ours, anchor);

    // Loading the rows back: records against a plain fetch of the same statement.
    TIBSQL fetch(&db, anchorTr.get());
    fetch.SetSQL(QStringList{"SELECT * FROM ZELMMODELDETT WHERE IDMODEL=:IDMODEL ORDER BY ID"});
    auto loadOurs = [&](int) {
        QElapsedTimer t;
        t.start();
        tr->StartTransaction();
        TZelmModelDettDataList list;
        access.LoadByModel(kModel, list);
        tr->Commit();
        if (list.Count() != kRows)
            std::printf("records-load: %d rows read\n", list.Count());
        return Seconds(t);
    };
    auto loadAnchor = [&](int) {
        QElapsedTimer t;
        t.start();
        anchorTr->StartTransaction();
        std::vector<std::vector<QVariant>> rows;
        fetch.ParamByName("IDMODEL").SetInteger(kModel);
        for (fetch.ExecQuery(); !fetch.Eof(); fetch.Next()) {
            std::vector<QVariant> row(fetch.FieldCount());
            for (int i = 0; i < fetch.FieldCount(); ++i)
                row[i] = fetch.Fields(i).AsVariant();
            rows.push_back(std::move(row));
        }
        fetch.Close();
        anchorTr->Commit();
        return Seconds(t);
    };
    loadOurs(0);
    loadAnchor(0);
    RunBench("records-load", 15, loadOurs, loadAnchor);
    return 0;
}

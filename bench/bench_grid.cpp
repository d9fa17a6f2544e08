// grid: the configurable grid opened on a 1,000,000-row ZELMMODEL until its first screen is shown
// with the stored layout applied, against fetching the first 1,000 rows of the same query with the
// database layer. grid-qt: the same open against Qt's QSqlQueryModel over its Firebird driver
// in a QTableView. grid-memory: resident memory added by scrolling to row 50,000, against the same
// 50,000 rows held by a plain fetch (the engine's page cache filled before both).
#include "BenchSupport.h"
#include "BigArchive.h"

#include "HostDb.h"

#include "framework/db/DBConnection.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"
#include "framework/grid/FrameZavoGrid.h"
#include "framework/grid/ZavoGrid.h"
#include "framework/grid/ZavoQuery.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQueryModel>
#include <QTableView>

#include <malloc.h>
#include <unistd.h>

namespace {
const QStringList kBase{"SELECT ZELMMODEL.ID, ZELMMODEL.QRCODE, ZELMMODEL.CODICE, "
                        "ZELMMODEL.MODELLO, ZELMMODEL.STAGIONE, ZELMMODEL.STATUSSCHEDA, "
                        "ZELMMODEL.DATA",
                        "FROM ZELMMODEL"};

struct TList {
    TFrameZavoGrid frame;
    TZavoQuery& query = *frame.Query();
    TZavoGrid& grid = *frame.ZavoGrid();
    explicit TList(TIBDatabase& db) {
        frame.SQL = kBase;
        frame.SetDatabase(&db, 1);
        frame.SetTableName("ZELMMODEL");
        frame.SetSituazione(91);
        frame.resize(1000, 700);
    }
};
/// Seconds from building the list to its first screen painted with the stored layout.
double FirstScreen(TIBDatabase& db) {
    QElapsedTimer t;
    t.start();
    TList list(db);
    list.query.Open();
    list.frame.show();
    QApplication::processEvents(); // the first screen is painted
    const double s = Seconds(t);
    list.query.Close();
    return s;
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TIBDatabase db;
    ConnettiIBDatabase(db, BigArchive());
    {
        TList first(db); // a stored layout to apply
        first.query.Open();
        first.grid.SetColumnWidth(3, 240);
        first.grid.SalvaAspettoSuStorico();
        first.query.Close();
    }
    RunBench(
        "grid", 7, [&](int) { return FirstScreen(db); },
        [&](int) {
            QElapsedTimer t;
            t.start();
            auto tr = CreaTransazione(db, TTipoTransazione::ReadCommitted);
            TIBSQL sql(&db, tr.get());
            sql.SetSQL(kBase + QStringList{"ORDER BY ZELMMODEL.ID"});
            std::vector<std::vector<QVariant>> rows;
            int n = 0;
            for (sql.ExecQuery(); !sql.Eof() && n < 1000; sql.Next(), ++n) {
                std::vector<QVariant> row(sql.FieldCount());
                for (int i = 0; i < sql.FieldCount(); ++i)
                    row[i] = sql.Fields(i).AsVariant();
                rows.push_back(std::move(row));
            }
            return Seconds(t);
        });

    // grid-qt: what a Qt developer would write instead: Qt's own SQL model over its Firebird
    // driver in a plain table view, same query, same database, first screen painted.
    {
        QSqlDatabase qdb = QSqlDatabase::addDatabase(QStringLiteral("QIBASE"), "anchor");
        qdb.setDatabaseName(db.DatabaseName());
        qdb.setUserName(QStringLiteral("SYSDBA"));
        qdb.setPassword(QStringLiteral("plumbcore"));
        qdb.setConnectOptions(QStringLiteral("ISC_DPB_LC_CTYPE=UTF8"));
        if (!qdb.open()) {
            std::printf("grid-qt: not measured (%s)\n", qPrintable(qdb.lastError().text()));
        } else {
            const QString text = (kBase + QStringList{"ORDER BY ZELMMODEL.ID"}).join('\n');
            RunBench(
                "grid-qt", 7, [&](int) { return FirstScreen(db); },
                [&](int) {
                    QElapsedTimer t;
                    t.start();
                    QSqlQueryModel model;
                    QTableView view;
                    view.resize(1000, 700);
                    model.setQuery(text, qdb);
                    view.setModel(&model);
                    view.show();
                    QApplication::processEvents();
                    const double s = Seconds(t);
                    model.clear();
                    return s;
                });
        }
    }
    QSqlDatabase::removeDatabase("anchor");

    // Memory: the grid holds what was fetched, not the table. The embedded engine's page cache
    // grows with the pages the first reader of these rows brings in (about 9 MB here): it is
    // filled once before either side, so that each is measured for the rows it holds, not for
    // having gone first. Each side then starts from memory given back to the system, so
    // neither reuses what the other freed.
    {
        auto tr = CreaTransazione(db, TTipoTransazione::ReadCommitted);
        TIBSQL sql(&db, tr.get());
        sql.SetSQL(kBase + QStringList{"ORDER BY ZELMMODEL.ID"});
        int read = 0;
        for (sql.ExecQuery(); !sql.Eof() && read < 50000 + TZavoQuery::kChunk; sql.Next())
            ++read;
    }
    malloc_trim(0);
    long oursKb = 0;
    int fetched = 0;
    {
        TList list(db);
        list.query.Open();
        list.frame.show();
        QApplication::processEvents();
        const long before = ResidentKb();
        while (list.query.RecordCount() < 50000 && list.query.canFetchMore())
            list.query.fetchMore();
        list.grid.scrollTo(list.query.index(49999, 0));
        QApplication::processEvents();
        oursKb = ResidentKb() - before;
        fetched = list.query.RecordCount();
        list.query.Close();
    }
    malloc_trim(0);
    long anchorKb = 0;
    {
        const long before = ResidentKb();
        auto tr = CreaTransazione(db, TTipoTransazione::ReadCommitted);
        TIBSQL sql(&db, tr.get());
        sql.SetSQL(kBase + QStringList{"ORDER BY ZELMMODEL.ID"});
        std::vector<std::vector<QVariant>> rows;
        for (sql.ExecQuery(); !sql.Eof() && rows.size() < 50000; sql.Next()) {
            std::vector<QVariant> row(sql.FieldCount());
            for (int i = 0; i < sql.FieldCount(); ++i)
                row[i] = sql.Fields(i).AsVariant();
            rows.push_back(std::move(row));
        }
        anchorKb = ResidentKb() - before;
    }
    std::printf("grid-memory: ratio=%.3f ours=%.1f anchor=%.1f unit=MB (rows fetched %d of "
                "1000000)\n",
                anchorKb > 0 ? double(oursKb) / double(anchorKb) : 0.0, oursKb / 1024.0,
                anchorKb / 1024.0, fetched);
    return 0;
}

// list-export: the model-sheet list of the 1,000,000-row archive, searched to its last 100,000
// rows, exported by "Esporta in Excel…" (every row of the query in force, the visible columns,
// libxlsxwriter in constant-memory mode), against fetching the same statement directly and
// writing the same typed values with libxlsxwriter. list-export-memory: resident memory added.
#include "BenchSupport.h"
#include "BigArchive.h"

#include "framework/db/DBConnection.h"
#include "framework/grid/FrameZavoGrid.h"
#include "framework/grid/ZavoGrid.h"
#include "framework/grid/ZavoQuery.h"

#include <QApplication>

#include <xlsxwriter.h>

int main(int argc, char** argv) {
    OffscreenByDefault();
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const QString archive = BigArchive();
    TIBDatabase db;
    db.SetDatabaseName(archive);
    db.Open();
    TFrameZavoGrid frame;
    frame.SQL = QStringList{"SELECT ZELMMODEL.ID, ZELMMODEL.QRCODE, ZELMMODEL.CODICE, "
                            "ZELMMODEL.MODELLO, ZELMMODEL.STAGIONE, ZELMMODEL.STATUSSCHEDA, "
                            "ZELMMODEL.DATA",
                            "FROM ZELMMODEL"};
    frame.SetDatabase(&db, 1);
    frame.SetTableName("ZELMMODEL");
    frame.SetSituazione(92);
    frame.resize(1000, 700);
    frame.Query()->Open();
    TParametriRicerca p;
    p.testo = "900001"; // ID >= 900001: the last 100,000 rows
    p.tipo = 0;
    p.ordinamento = 0;
    frame.ZavoGrid()->EseguiRicerca(frame.Query()->FieldIndex("ID"), p);
    const QString ours = dir + "/lista.xlsx", anchor = dir + "/lista-diretta.xlsx";
    const long before = StatusKb("VmRSS:");
    int rows = 0;
    RunBench(
        "list-export", 3,
        [&](int) {
            QElapsedTimer t;
            t.start();
            TZavoGridExcel job = frame.ZavoGrid()->LavoroExcel(ours);
            job.Esegui(&rows);
            return Seconds(t);
        },
        [&](int) {
            QElapsedTimer t;
            t.start();
            lxw_workbook_options options{};
            options.constant_memory = LXW_TRUE;
            lxw_workbook* wb = workbook_new_opt(QFile::encodeName(anchor).constData(), &options);
            lxw_worksheet* ws = workbook_add_worksheet(wb, nullptr);
            lxw_format* date = workbook_add_format(wb);
            format_set_num_format(date, "dd/mm/yyyy");
            auto tr = CreaTransazione(db, TTipoTransazione::ReadCommitted);
            TIBSQL sql(&db, tr.get());
            sql.ParamCheck = false;
            sql.SetSQL(frame.Query()->SQL.join('\n'));
            lxw_row_t r = 1;
            for (sql.ExecQuery(); !sql.Eof(); sql.Next(), ++r) {
                worksheet_write_number(ws, r, 0, sql.Fields(0).AsInteger(), nullptr);
                for (int c = 1; c < 6; ++c)
                    worksheet_write_string(ws, r, static_cast<lxw_col_t>(c),
                                           sql.Fields(c).AsString().toUtf8().constData(), nullptr);
                const QDate d = sql.Fields(6).AsDate();
                lxw_datetime dt{d.year(), d.month(), d.day(), 0, 0, 0};
                worksheet_write_datetime(ws, r, 6, &dt, date);
            }
            workbook_close(wb);
            return Seconds(t);
        });
    std::printf("list-export-memory: added=%.1f MB rows=%d\n",
                (StatusKb("VmHWM:") - before) / 1024.0, rows);
    return 0;
}

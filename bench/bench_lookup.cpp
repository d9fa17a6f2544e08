// lookup: FindCliente on an archive of 100,000 customers until the dialog's first screen is
// painted, against opening one connection to that archive and fetching the first 1,000 rows of
// the same query.
#include "BenchSupport.h"

#include "HostDb.h"

#include "framework/db/DBConnection.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"
#include "framework/lookup/RicercheZavo.h"
#include "framework/lookup/ZavoRicercheForm.h"
#include "framework/session/Session.h"

#include <QApplication>
#include <QPushButton>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const THostFolder host = ProvisionHostFolder(dir + "/lookup-host");
    qputenv("ZELM_HOST_DIR", QFile::encodeName(host.root));
    {
        TIBDatabase db;
        ConnettiIBDatabase(db, host.archiveDb);
        TIBTransaction tr(&db);
        tr.StartTransaction();
        TIBSQL sql(&db, &tr);
        sql.ParamCheck = false;
        sql.SetSQL("EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= 100000) DO BEGIN "
                   "INSERT INTO CLIENTI VALUES ('K' || LPAD(:I, 7, '0'), 'Cliente numero ' || :I, "
                   "'SIGLA ' || :I); I = I + 1; END END");
        sql.ExecQuery();
        tr.Commit();
    }
    InstallaRicercheZavo();
    TSession session(nullptr, 1);
    const QString text = "SELECT CODICE,RAGSOC,DESCRIZIONESINTETICA FROM CLIENTI WHERE 1=1 "
                         "ORDER BY CLIENTI.CODICE";
    RunBench(
        "lookup", 7,
        [&](int) {
            QElapsedTimer t;
            double s = 0;
            SetOnRicercaAperta([&](TZavoRicercheForm& f) {
                QApplication::processEvents(); // the first screen is painted
                s = Seconds(t);
                f.ButtonChiudi->click();
            });
            t.start();
            QString codice;
            session.Ricerche()->FindCliente(codice);
            return s;
        },
        [&](int) {
            QElapsedTimer t;
            t.start();
            TIBDatabase db;
            ConnettiIBDatabase(db, host.archiveDb);
            auto tr = CreaTransazione(db, TTipoTransazione::ReadCommitted);
            TIBSQL sql(&db, tr.get());
            sql.SetSQL(text);
            std::vector<std::vector<QVariant>> rows;
            for (sql.ExecQuery(); !sql.Eof() && rows.size() < 1000; sql.Next()) {
                std::vector<QVariant> row(sql.FieldCount());
                for (int i = 0; i < sql.FieldCount(); ++i)
                    row[i] = sql.Fields(i).AsVariant();
                rows.push_back(std::move(row));
            }
            return Seconds(t);
        });
    return 0;
}

#include "StoricoDataAccess.h"

#include "framework/core/Log.h"
#include "framework/db/DbHelpers.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"
#include "model/Storico.h"

#include <QHash>

#include <mutex>

void SegnaStorico(TIBDatabase& database, TIBTransaction& tr, const QString& operazione,
                  const QString& utente, const QString& programma) {
    StoricoPresente(database);
    using namespace zelm::storico;
    TIBSQL sql(&database, &tr);
    sql.SetSQL(QStringLiteral("SELECT RDB$SET_CONTEXT('USER_TRANSACTION', '%1', :OPERAZIONE), "
                              "RDB$SET_CONTEXT('USER_TRANSACTION', '%2', :UTENTE), "
                              "RDB$SET_CONTEXT('USER_TRANSACTION', '%3', :PROGRAMMA) "
                              "FROM RDB$DATABASE")
                   .arg(kVarOperazione, kVarUtente, kVarProgramma));
    sql.ParamByName("OPERAZIONE").SetString(operazione);
    sql.ParamByName("UTENTE").SetString(utente.left(64));
    sql.ParamByName("PROGRAMMA").SetString(programma);
    sql.ExecQuery();
    sql.Close();
}

bool StoricoPresente(TIBDatabase& database) {
    static std::mutex lock;
    static QHash<QString, bool> known;
    {
        const std::lock_guard guard(lock);
        const auto it = known.constFind(database.DatabaseName());
        if (it != known.constEnd())
            return *it;
    }
    TIBTransaction tr(&database);
    tr.StartTransaction();
    TIBSQL sql(&database, &tr);
    const bool present = !TabelleEsistenti(sql, {zelm::storico::kTabella}).isEmpty();
    tr.Commit();
    if (!present)
        qCInfo(zelmDb).noquote() << "l'archivio" << database.DatabaseName()
                                 << "non ha lo storico delle schede: le modifiche non vi sono "
                                    "registrate (zelm-provision CARTELLA --keep lo aggiunge)";
    const std::lock_guard guard(lock);
    known.insert(database.DatabaseName(), present);
    return present;
}

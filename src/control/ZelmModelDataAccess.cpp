#include "ZelmModelDataAccess.h"

#include "framework/db/DBConnection.h"
#include "framework/db/DatabaseError.h"
#include "framework/db/IBTransaction.h"

bool TZelmModelDataAccess::Load(int id, TZelmModelData& to) {
    TIBSQL& sql = Sql(fSelect, {"SELECT * FROM ZELMMODEL WHERE ID=:ID"});
    sql.ParamByName("ID").SetInteger(id);
    return LoadRecord(sql, to);
}

void TZelmModelDataAccess::Delete(int id) {
    TIBSQL& sql = Sql(fDelete, {"DELETE FROM ZELMMODEL WHERE ID=:ID"});
    sql.ParamByName("ID").SetInteger(id);
    sql.ExecQuery();
}

void TZelmModelDataAccess::Save(TZelmModelData& data) {
    if (data.Id() == 0)
        data.SetId(GenId());
    if (data.IdModel() == 0)
        data.SetIdModel(GenIdModel());
    if (data.StatusScheda().isEmpty())
        data.SetStatusScheda(sInPreparazione);
    if (data.QrCode().isEmpty())
        data.UpdateQrCode();
    TIBSQL& sql = Sql(fUpsert, UpsertLines("ZELMMODEL", TZelmModelData::Columns()));
    TStatementRow row(sql);
    data.AssignTo(row);
    sql.ExecQuery();
}

void TZelmModelDataAccess::Lock(int id) {
    TIBSQL& sql = Sql(fLock, {"UPDATE ZELMMODEL SET", "  ID=ID", "WHERE", "  ID=:ID"});
    sql.ParamByName("ID").SetInteger(id);
    try {
        sql.ExecQuery();
    } catch (const EDatabaseError& e) {
        // Only a row held by another transaction is "occupied"; any other failure (a dropped
        // connection, a refused write) keeps its own message.
        if (e.IsLockConflict())
            throw ERecordLocked(QStringLiteral("Record occupato da un altro utente"));
        throw;
    }
    if (sql.RowsAffected() == 0)
        throw ERecordNotFound(QStringLiteral("Record eliminato in un'altra sessione"));
}

int TZelmModelDataAccess::GenId() {
    return NextValue(QStringLiteral("ID_ZELMMODEL_COUNTER"));
}

int TZelmModelDataAccess::GenIdModel() {
    return NextValue(QStringLiteral("IDMODEL_ZELMMODEL_COUNTER"));
}

int TZelmModelDataAccess::GenIdVariante(int idModel) {
    TIBSQL& sql = Sql(fMaxVariante, {"SELECT", "  MAX(IDVARIANTE) AS MAX_IDVARIANTE", "FROM",
                                     "  ZELMMODEL", "WHERE", "  IDMODEL=:IDMODEL"});
    sql.ParamByName("IDMODEL").SetInteger(idModel);
    sql.ExecQuery();
    int next = 1;
    if (!sql.Eof() && !sql.FieldByName("MAX_IDVARIANTE").IsNull())
        next = sql.FieldByName("MAX_IDVARIANTE").AsInteger() + 1;
    sql.Close();
    return next;
}

bool TZelmModelDataAccess::Exists(int id) {
    TIBSQL& sql = Sql(fExists, {"SELECT", "  ID", "FROM", "  ZELMMODEL", "WHERE", "  ID=:ID"});
    sql.ParamByName("ID").SetInteger(id);
    sql.ExecQuery();
    const bool found = !sql.Eof();
    sql.Close();
    return found;
}

int TZelmModelDataAccess::CommittedId(int idModel, int idVariante) {
    auto tr = CreaTransazione(*IBDatabase(), TTipoTransazione::ReadCommitted);
    TIBSQL sql(IBDatabase(), tr.get());
    sql.SetSQL(QStringList{"SELECT", "  ID", "FROM", "  ZELMMODEL", "WHERE",
                           "  IDMODEL=:IDMODEL AND IDVARIANTE=:IDVARIANTE"});
    sql.ParamByName("IDMODEL").SetInteger(idModel);
    sql.ParamByName("IDVARIANTE").SetInteger(idVariante);
    sql.ExecQuery();
    const int id = sql.Eof() ? 0 : sql.FieldByName("ID").AsInteger();
    sql.Close();
    tr->Commit();
    return id;
}

int TZelmModelDataAccess::CommittedMaxVariante(int idModel) {
    // Read committed, outside the caller's snapshot: what other users have stored meanwhile.
    auto tr = CreaTransazione(*IBDatabase(), TTipoTransazione::ReadCommitted);
    TIBSQL sql(IBDatabase(), tr.get());
    sql.SetSQL(QStringList{"SELECT", "  MAX(IDVARIANTE) AS MAX_IDVARIANTE", "FROM", "  ZELMMODEL",
                           "WHERE", "  IDMODEL=:IDMODEL"});
    sql.ParamByName("IDMODEL").SetInteger(idModel);
    sql.ExecQuery();
    const int max = sql.Eof() ? -1
                    : sql.FieldByName("MAX_IDVARIANTE").IsNull()
                        ? -1
                        : sql.FieldByName("MAX_IDVARIANTE").AsInteger();
    return max;
}

int TZelmModelDataAccess::CountModel(int idModel) {
    TIBSQL& sql = Sql(fCount, {"SELECT", "  COUNT(*) AS TOT", "FROM", "  ZELMMODEL", "WHERE",
                               "  IDMODEL=:IDMODEL"});
    sql.ParamByName("IDMODEL").SetInteger(idModel);
    sql.ExecQuery();
    const int count = sql.FieldByName("TOT").AsInteger();
    sql.Close();
    return count;
}

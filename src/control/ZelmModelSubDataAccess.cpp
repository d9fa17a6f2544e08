#include "ZelmModelSubDataAccess.h"

#include "framework/db/DBConnection.h"
#include "framework/db/IBTransaction.h"

// --- shared ---------------------------------------------------------------------------------
TIBSQL& TSubRowsAccess::ById(int id) {
    TIBSQL& sql = Sql(fById, {QStringLiteral("SELECT * FROM %1 WHERE ID=:ID").arg(Texts().table)});
    sql.ParamByName("ID").SetInteger(id);
    return sql;
}

TIBSQL& TSubRowsAccess::ByKey() {
    return Sql(fByKey, Texts().byKey);
}

void TSubRowsAccess::DeleteOne(int id) {
    TIBSQL& sql = Sql(fDelete, {QStringLiteral("DELETE FROM %1 WHERE ID=:ID").arg(Texts().table)});
    sql.ParamByName("ID").SetInteger(id);
    sql.ExecQuery();
}

TIBSQL& TSubRowsAccess::DeleteByKeyStatement() {
    return Sql(fDeleteByKey, Texts().deleteByKey);
}

TIBSQL& TVarianteRowsAccess::ByVariante(int idModel, int idVarianteModel) {
    TIBSQL& sql = ByKey();
    sql.ParamByName("IDMODEL").SetInteger(idModel);
    sql.ParamByName("IDVARIANTEMODEL").SetInteger(idVarianteModel);
    return sql;
}

void TVarianteRowsAccess::DeleteByVarianteModel(int idModel, int idVarianteModel) {
    TIBSQL& sql = DeleteByKeyStatement();
    sql.ParamByName("IDMODEL").SetInteger(idModel);
    sql.ParamByName("IDVARIANTEMODEL").SetInteger(idVarianteModel);
    sql.ExecQuery();
}

namespace {
QStringList DettUpsert() {
    QStringList l{"UPDATE OR INSERT INTO ZELMMODELDETT(", "  ID,", "  IDMODEL,", "  TIPODETT"};
    for (int n = 1; n <= 17; ++n)
        l << QStringLiteral("  ,D%1").arg(n);
    l << ")"
      << "VALUES("
      << "  :ID,"
      << "  :IDMODEL,"
      << "  :TIPODETT";
    for (int n = 1; n <= 17; ++n)
        l << QStringLiteral("  ,:D%1").arg(n);
    l << ")";
    return l;
}

QStringList VarianteSelect(const char* table) {
    return {"SELECT",   "  *",
            "FROM",     QStringLiteral("  %1").arg(table),
            "WHERE",    "  IDMODEL=:IDMODEL",
            "  AND",    "  IDVARIANTEMODEL=:IDVARIANTEMODEL",
            "ORDER BY", "  ID"};
}

QStringList VarianteDelete(const char* table) {
    return {QStringLiteral("DELETE FROM %1").arg(table), "WHERE", "  IDMODEL=:IDMODEL", "  AND",
            "  IDVARIANTEMODEL=:IDVARIANTEMODEL"};
}
} // namespace

// --- details --------------------------------------------------------------------------------
const TSubRowsAccess::TTexts& TZelmModelDettDataAccess::Texts() const {
    static const TTexts texts{"ZELMMODELDETT",
                              "ID_ZELMMODELDETT_COUNTER",
                              {"SELECT", "  *", "FROM", "  ZELMMODELDETT", "WHERE",
                               "  IDMODEL=:IDMODEL", "ORDER BY", "  ID"},
                              {"DELETE FROM ZELMMODELDETT WHERE IDMODEL=:IDMODEL"},
                              DettUpsert()};
    return texts;
}

bool TZelmModelDettDataAccess::Load(int id, TZelmModelDettData& to) {
    return LoadRecord(ById(id), to);
}
bool TZelmModelDettDataAccess::LoadByModel(int idModel, TZelmModelDettDataList& to) {
    TIBSQL& sql = ByKey();
    sql.ParamByName("IDMODEL").SetInteger(idModel);
    return LoadList(sql, to);
}
void TZelmModelDettDataAccess::DeleteByModel(int idModel) {
    TIBSQL& sql = DeleteByKeyStatement();
    sql.ParamByName("IDMODEL").SetInteger(idModel);
    sql.ExecQuery();
}

// --- options --------------------------------------------------------------------------------
const TSubRowsAccess::TTexts& TZelmModelOpzDataAccess::Texts() const {
    static const TTexts texts{
        "ZELMMODELOPZ", "ID_ZELMMODELOPZ_COUNTER", VarianteSelect("ZELMMODELOPZ"),
        VarianteDelete("ZELMMODELOPZ"),
        UpsertLines("ZELMMODELOPZ",
                    {"ID", "IDMODEL", "IDVARIANTEMODEL", "IDOPZIONE", "ETICHETTA", "DESCRIZIONE"})};
    return texts;
}

bool TZelmModelOpzDataAccess::Load(int id, TZelmModelOpzData& to) {
    return LoadRecord(ById(id), to);
}
bool TZelmModelOpzDataAccess::LoadByVarianteModel(int idModel, int idVarianteModel,
                                                  TZelmModelOpzDataList& to) {
    return LoadList(ByVariante(idModel, idVarianteModel), to);
}
// --- preferences ----------------------------------------------------------------------------
const TSubRowsAccess::TTexts& TZelmModelPrefCompDataAccess::Texts() const {
    static const TTexts texts{"ZELMMODELPREFCOMP", "ID_ZELMMODELPREFCOMP_COUNTER",
                              VarianteSelect("ZELMMODELPREFCOMP"),
                              VarianteDelete("ZELMMODELPREFCOMP"),
                              UpsertLines("ZELMMODELPREFCOMP", {"ID", "IDMODEL", "IDVARIANTEMODEL",
                                                                "IDOPZIONE", "ETICHETTA"})};
    return texts;
}

bool TZelmModelPrefCompDataAccess::Load(int id, TZelmModelPrefCompData& to) {
    return LoadRecord(ById(id), to);
}
bool TZelmModelPrefCompDataAccess::LoadByVarianteModel(int idModel, int idVarianteModel,
                                                       TZelmModelPrefCompDataList& to) {
    return LoadList(ByVariante(idModel, idVarianteModel), to);
}
// --- annotations ----------------------------------------------------------------------------
const TSubRowsAccess::TTexts& TZelmModelStoDataAccess::Texts() const {
    static const TTexts texts{"ZELMMODELSTO",
                              "ID_ZELMMODELSTO_COUNTER",
                              {"SELECT", "  *", "FROM", "  ZELMMODELSTO", "WHERE",
                               "  IDMODEL=:IDMODEL", "ORDER BY", "  DATAANNOTAZIONE,", "  ID"},
                              {"DELETE FROM ZELMMODELSTO WHERE IDMODEL=:IDMODEL"},
                              UpsertLines("ZELMMODELSTO", {"ID", "IDMODEL", "TIPOANNOTAZIONE",
                                                           "DATAANNOTAZIONE", "ANNOTAZIONE"})};
    return texts;
}

bool TZelmModelStoDataAccess::Load(int id, TZelmModelStoData& to) {
    return LoadRecord(ById(id), to);
}
bool TZelmModelStoDataAccess::LoadByModel(int idModel, TZelmModelStoDataList& to) {
    TIBSQL& sql = ByKey();
    sql.ParamByName("IDMODEL").SetInteger(idModel);
    return LoadList(sql, to);
}
void TZelmModelStoDataAccess::DeleteByModel(int idModel) {
    TIBSQL& sql = DeleteByKeyStatement();
    sql.ParamByName("IDMODEL").SetInteger(idModel);
    sql.ExecQuery();
}
void TZelmModelStoDataAccess::LoadDistinctTipoAnnotazione(QStringList& to) {
    LoadTexts(Sql(fTipi, {"SELECT", "  DISTINCT(TIPOANNOTAZIONE) AS TIPOANNOTAZIONE", "FROM",
                          "  ZELMMODELSTO", "WHERE", "  TIPOANNOTAZIONE IS NOT NULL", "ORDER BY",
                          "  TIPOANNOTAZIONE"}),
              to);
}

QStringList TipiAnnotazione(TIBDatabase& database) {
    std::unique_ptr<TIBTransaction> tr = CreaTransazione(database, TTipoTransazione::Snapshot);
    TZelmModelStoDataAccess access;
    access.SetIBDatabase(&database);
    access.SetIBTransaction(tr.get());
    QStringList types;
    access.LoadDistinctTipoAnnotazione(types);
    tr->Rollback();
    return types;
}

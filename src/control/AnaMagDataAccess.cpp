#include "AnaMagDataAccess.h"

bool TAnaMagDataAccess::Load(int id, TAnaMagData& to) {
    TIBSQL& sql = Sql(fById, {"SELECT * FROM ANAMAG WHERE ID=:ID"});
    sql.ParamByName("ID").SetInteger(id);
    return LoadRecord(sql, to);
}

bool TAnaMagDataAccess::Load(const QString& codice, TAnaMagDataList& to) {
    TIBSQL& sql = Sql(fByCode, {"SELECT", "  *", "FROM", "  ANAMAG", "WHERE", "  CODICE=:CODICE",
                                "ORDER BY", "  ESTENSIONE"});
    sql.ParamByName("CODICE").SetString(codice.left(20));
    return LoadList(sql, to);
}

int TAnaMagDataAccess::GenId() {
    return NextValue(QStringLiteral("IDANAMAGCOUNTER"));
}

void TAnaMagDataAccess::Save(TAnaMagData& data) {
    if (data.Id() == 0)
        data.SetId(GenId());
    TIBSQL& sql = Sql(fInsert, InsertLines("ANAMAG", TAnaMagData::Columns()));
    TStatementRow row(sql);
    data.AssignTo(row);
    sql.ExecQuery();
}

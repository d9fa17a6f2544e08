#include "PhotoDataAccess.h"

bool TLumetraControlAccess::Load(int codiceSituazione, const QString& controlloCodice,
                                 TLumetraControlData& to) {
    TIBSQL& sql = Sql(fLoad, {"SELECT", "  *", "FROM", "  LUMETRACONTROL", "WHERE",
                              "  CODICESITUAZIONE=:CODICESITUAZIONE", "  AND",
                              "  CONTROLLOCODICE=:CONTROLLOCODICE"});
    sql.ParamByName("CODICESITUAZIONE").SetInteger(codiceSituazione);
    sql.ParamByName("CONTROLLOCODICE").SetString(controlloCodice);
    return LoadRecord(sql, to);
}

bool TOrvoItemPhotoAccess::Load(int id, TOrvoItemPhotoData& to) {
    TIBSQL& sql = Sql(fLoad, {"SELECT * FROM ORVOITEMPHOTO WHERE ID=:ID"});
    sql.ParamByName("ID").SetInteger(id);
    return LoadRecord(sql, to);
}

std::vector<std::unique_ptr<TOrvoItemPhotoData>>
TOrvoItemPhotoAccess::LoadItem(const QString& codiceItem) {
    TIBSQL& sql =
        Sql(fLoadItem,
            {"SELECT * FROM ORVOITEMPHOTO WHERE CODICEITEM=:CODICEITEM", "  AND STATUS='ATTIVO'",
             "ORDER BY CASE WHEN CLASSIFICAZIONE='COVER' THEN 0 ELSE 1 END,", "  NOMEFILE, ID"});
    sql.ParamByName("CODICEITEM").SetString(codiceItem);
    std::vector<std::unique_ptr<TOrvoItemPhotoData>> out;
    for (sql.ExecQuery(); !sql.Eof(); sql.Next()) {
        auto photo = std::make_unique<TOrvoItemPhotoData>();
        photo->Assign(TStatementRow(sql));
        out.push_back(std::move(photo));
    }
    sql.Close();
    return out;
}

void TOrvoItemPhotoAccess::Insert(TOrvoItemPhotoData& data) {
    if (data.Id() == 0) {
        TIBSQL& gen = Sql(fGen, {"SELECT GEN_ID(IDORVOITEMPHOTOCOUNTER,1) FROM RDB$DATABASE"});
        gen.ExecQuery();
        data.SetId(gen.Fields(0).AsInteger());
        gen.Close();
    }
    TIBSQL& sql =
        Sql(fInsert, InsertLines(QStringLiteral("ORVOITEMPHOTO"), TOrvoItemPhotoData::Columns()));
    TStatementRow row(sql);
    data.AssignTo(row);
    sql.ExecQuery();
}

void TOrvoItemPhotoAccess::ResetCover(int idAlbum, int exceptId) {
    TIBSQL& sql = Sql(fCover, {"MERGE INTO ORVOITEMPHOTO A",
                               "USING",
                               "  (",
                               "    SELECT",
                               "      C.IDITEMPHOTO",
                               "    FROM",
                               "      ORVOTRANSFLOG C",
                               "      LEFT JOIN ORVOITEMPHOTO D ON",
                               "      C.IDITEMPHOTO=D.ID",
                               "    WHERE",
                               "      C.IDALBUM=:IDALBUM",
                               "      AND",
                               "      D.CLASSIFICAZIONE='COVER'",
                               "      AND",
                               "      D.ID IS DISTINCT FROM :ID",
                               "  ) B",
                               "ON",
                               "  A.ID=B.IDITEMPHOTO",
                               "WHEN MATCHED THEN UPDATE SET",
                               "  A.CLASSIFICAZIONE=NULL"});
    sql.ParamByName("IDALBUM").SetInteger(idAlbum);
    if (exceptId == 0)
        sql.ParamByName("ID").SetNull();
    else
        sql.ParamByName("ID").SetInteger(exceptId);
    sql.ExecQuery();
}

bool TOrvoViewerCallDataAccess::Load(int id, TOrvoViewerCallData& to) {
    TIBSQL& sql = Sql(fLoad, {"SELECT * FROM ORVOVIEWERCALL WHERE ID=:ID"});
    sql.ParamByName("ID").SetInteger(id);
    return LoadRecord(sql, to);
}

void TOrvoViewerCallDataAccess::Save(TOrvoViewerCallData& data) {
    if (data.Id() == 0)
        data.SetId(NextValue(QStringLiteral("ID_ORVOVIEWERCALL_COUNTER")));
    TIBSQL& sql =
        Sql(fSave, UpsertLines(QStringLiteral("ORVOVIEWERCALL"), TOrvoViewerCallData::Columns()));
    TStatementRow row(sql);
    data.AssignTo(row);
    sql.ExecQuery();
}

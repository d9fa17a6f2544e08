#include "ReferenceDataAccess.h"

bool TTaglieOperativeDataAccess::Load(const QString& codice, TTaglieOperativeDataList& to) {
    TIBSQL& sql = Sql(fSizes, {"SELECT", "  *", "FROM", "  TAGLIEOPERATIVE", "WHERE",
                               "  CODICE=:CODICE", "ORDER BY", "  NRIGA"});
    sql.ParamByName("CODICE").SetString(codice.left(10));
    return LoadList(sql, to);
}

void TTaglieOperativeDataAccess::LoadDistinctCodice(QStringList& to) {
    LoadTexts(Sql(fCodes, {"SELECT", "  DISTINCT(CODICE) AS CODICE", "FROM", "  TAGLIEOPERATIVE",
                           "ORDER BY", "  CODICE"}),
              to);
}

TZelmSetDataAccess::TZelmSetDataAccess(const char* table, QObject* owner)
    : TDataAccessObject(owner), fTable(QString::fromLatin1(table)) {}

TIBSQL& TZelmSetDataAccess::Labels(int nSet) {
    TIBSQL& sql = Sql(fLabels, {"SELECT", "  *", "FROM", "  " + fTable, "WHERE", "  NSET=:NSET",
                                "ORDER BY", "  NRIGA"});
    sql.ParamByName("NSET").SetInteger(nSet);
    return sql;
}

void TZelmSetDataAccess::LoadDistinctNSet(QStringList& to) {
    // NSET is numeric: the database orders 1, 2, 10, and the texts keep that order.
    LoadTexts(Sql(fNumbers, {"SELECT", "  DISTINCT(NSET) AS NSET", "FROM", "  " + fTable,
                             "ORDER BY", "  NSET"}),
              to);
}

bool TClientiDataAccess::Load(const QString& codice, TClientiData& to) {
    TIBSQL& sql = Sql(fSelect, {"SELECT * FROM CLIENTI WHERE CODICE=:CODICE"});
    sql.ParamByName("CODICE").SetString(codice.left(10));
    return LoadRecord(sql, to);
}

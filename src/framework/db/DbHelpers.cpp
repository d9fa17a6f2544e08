#include "DbHelpers.h"

#include "DBConnection.h"

#include "IBDatabase.h"
#include "IBSQL.h"
#include "IBTransaction.h"

int GeneratorNextValue(TIBDatabase& database, const QString& generator, int step) {
    auto tr = CreaTransazione(database, TTipoTransazione::Snapshot, false);
    TIBSQL sql(&database, tr.get());
    sql.ParamCheck = false;
    sql.SetSQL(QStringLiteral("SELECT GEN_ID(") + generator + ',' + QString::number(step) +
               QStringLiteral(") FROM RDB$DATABASE"));
    // The transaction rolls back when `tr` goes out of scope, also after a failure.
    tr->StartTransaction();
    sql.ExecQuery();
    const int value = static_cast<int>(sql.Fields(0).AsInt64());
    sql.Close();
    tr->Rollback();
    return value;
}

bool CreaTabellaSeManca(TIBSQL& sql, const QString& table, const QStringList& createLines) {
    sql.ParamCheck = false;
    sql.SetSQL(QStringList{"select RDB$RELATION_NAME from RDB$RELATIONS",
                           QStringLiteral("WHERE RDB$RELATION_NAME ='%1'")
                               .arg(QString(table).replace('\'', QStringLiteral("''")))});
    sql.ExecQuery();
    const bool exists = !sql.Eof();
    sql.Close();
    if (exists)
        return false;
    QStringList lines = createLines;
    if (!lines.isEmpty() && lines.last().endsWith(';'))
        lines.last().chop(1); // one statement at a time: no terminator
    sql.SetSQL(lines);
    sql.ExecQuery();
    return true;
}

void EseguiIstruzione(TIBDatabase& database, TIBTransaction& tr, const QString& statement) {
    TIBSQL sql(&database, &tr);
    sql.ParamCheck = false;
    sql.SetSQL(statement);
    sql.ExecQuery();
}

QStringList TabelleEsistenti(TIBSQL& sql, const QStringList& tables) {
    QStringList quoted;
    for (const QString& t : tables)
        quoted << '\'' + QString(t).replace('\'', QStringLiteral("''")) + '\'';
    sql.ParamCheck = false;
    sql.SetSQL(
        QStringList{"select RDB$RELATION_NAME from RDB$RELATIONS",
                    QStringLiteral("WHERE RDB$RELATION_NAME IN (%1)").arg(quoted.join(','))});
    QStringList found;
    for (sql.ExecQuery(); !sql.Eof(); sql.Next())
        found << sql.Fields(0).AsString().trimmed();
    sql.Close();
    return found;
}

#include "UpdateSQL.h"

#include "DBConnection.h"
#include "IBSQL.h"
#include "IBTransaction.h"

void GeneraSQLAggiornamento(TIBDatabase& database, const QString& querySql,
                            const QString& tableName, const QString& kind, TIBUpdateSQL& update) {
    const QString k = kind.toUpper();
    if (k != QLatin1String("UPDATE") && k != QLatin1String("INSERT"))
        return;
    QStringList columns;
    {
        auto tr = CreaTransazione(database, TTipoTransazione::ReadCommitted);
        TIBSQL sql(&database, tr.get());
        sql.ParamCheck = false;
        sql.SetSQL(querySql);
        sql.Prepare(); // the description is enough: nothing is fetched
        for (const TFieldInfo& f : sql.FieldInfos())
            columns << f.name;
    }
    const QString table = '"' + tableName + '"';
    const int last = static_cast<int>(columns.size()) - 1;
    if (k == QLatin1String("UPDATE")) {
        update.ModifySQL.clear();
        update.ModifySQL << QStringLiteral("UPDATE ") + table << QStringLiteral("SET");
        for (int i = 0; i <= last; ++i)
            update.ModifySQL << columns[i] + QStringLiteral("=:") + columns[i] +
                                    (i < last ? QStringLiteral(",") : QString());
        return;
    }
    update.InsertSQL.clear();
    update.InsertSQL << QStringLiteral("INSERT INTO ") + table << QStringLiteral("(");
    for (int i = 0; i <= last; ++i)
        update.InsertSQL << columns[i] + (i < last ? QStringLiteral(",") : QString());
    update.InsertSQL << QStringLiteral(")") << QStringLiteral("VALUES") << QStringLiteral("(");
    for (int i = 0; i <= last; ++i)
        update.InsertSQL << ':' + columns[i] + (i < last ? QStringLiteral(",") : QString());
    update.InsertSQL << QStringLiteral(")");
}

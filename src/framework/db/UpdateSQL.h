// The modify and insert statements of a table derived from the columns a query returns.
#pragma once

#include <QString>
#include <QStringList>

class TIBDatabase;

struct TIBUpdateSQL {
    QStringList ModifySQL;
    QStringList InsertSQL;
};

/// `kind` "UPDATE" fills ModifySQL, "INSERT" fills InsertSQL (case-insensitive); anything else
/// changes nothing. The columns are those of `querySql`, in its order; parameters are named
/// after them. The caller appends the WHERE lines of the modify statement.
void GeneraSQLAggiornamento(TIBDatabase& database, const QString& querySql,
                            const QString& tableName, const QString& kind, TIBUpdateSQL& update);

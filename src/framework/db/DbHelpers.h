// Identifier generators.
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class TIBDatabase;
class TIBTransaction;

/// Next value of `generator` drawn in a short transaction of its own that is always rolled back:
/// generators are outside transactions, so two callers never get the same value.
int GeneratorNextValue(TIBDatabase& database, const QString& generator, int step = 1);

class TIBSQL;

/// Creates `table` with `createLines` (a trailing ";" is dropped) when RDB$RELATIONS does not
/// list it; `sql` runs in the caller's transaction. Returns true when it was created.
bool CreaTabellaSeManca(TIBSQL& sql, const QString& table, const QStringList& createLines);
/// Runs one statement without parameters (DDL, grants) in `tr`.
void EseguiIstruzione(TIBDatabase& database, TIBTransaction& tr, const QString& statement);
/// Of `tables`, those RDB$RELATIONS lists, read in one statement.
QStringList TabelleEsistenti(TIBSQL& sql, const QStringList& tables);

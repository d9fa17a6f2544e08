// The statements a lookup runs: the searched table's columns from the catalogue, the query built
// from the filter boxes and the fixed filter, the table's key columns, and the returned text.
// Every value a user typed goes through the one quoting routine of the grid; every name is
// checked against the catalogue before a statement is built from it.
#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

class TIBDatabase;
class TIBTransaction;
class TZavoFiltro;

/// A column of the searched table and its catalogue type ("VARCHAR", "INTEGER", "DATE", …).
struct TColonnaRicerca {
    QString nome;
    QString tipo;
};

/// The table's columns in position order; "Tabella \"…\" non trovata" when it has none.
std::vector<TColonnaRicerca> LeggiColonne(TIBDatabase& database, TIBTransaction& transaction,
                                          const QString& table);

/// The condition a filter box with `text` adds on `column` of catalogue type `type`.
QString CondizioneFiltro(const QString& column, const QString& type, const QString& text);

/// The condition the fixed filter adds (empty without one).
QString CondizioneFissa(const TZavoFiltro* filter);

/// The lookup's query: every column of the table, one condition per non-empty filter box (name,
/// text), then the fixed filter. A filter on a name the table does not have raises
/// "Campo \"…\" non presente nella tabella …".
QString QueryRicerca(const QString& table, const std::vector<TColonnaRicerca>& columns,
                     const std::vector<std::pair<QString, QString>>& filters,
                     const TZavoFiltro* filter);

/// The table's key columns: those of its first unique or foreign-key index, else all columns.
QStringList ColonneChiave(TIBDatabase& database, TIBTransaction& transaction, const QString& table);

/// The returned text: the values joined by ";".
inline QString TestoRitorno(const QStringList& values) {
    return values.join(';');
}

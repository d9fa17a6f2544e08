// What the grid writes into its query: search conditions, the all-columns search, the ORDER BY
// lines of the title orderings and of the primary key. Plain functions over texts: they need
// neither an application object nor a database.
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

/// What a column search asks for.
struct TParametriRicerca {
    QString testo;
    int tipo = 0; ///< 0 ">=", 1 "LIKE %%", 2 "LIKE %"
    bool upper = true;
    int ordinamento = 1;  ///< 0 no, 1 ascending, 2 descending
    QString data1, data2; ///< dd/mm/yyyy, for date fields
};

/// Field classes of the search conditions.
enum TClasseCampo { clTesto, clNumero, clData, clDataOra, clBlob };

/// The class of a field from its Firebird SQL type.
TClasseCampo ClasseDaTipoSql(int sqlType);

/// A typed value as it may stand between quotes in a condition: a quote becomes "´", so the text
/// can never end the literal and change the statement.
QString LiteraleRicerca(QString text);

/// The longest literal (characters, quotes doubled) a search puts between quotes: on a UTF8
/// connection the engine refuses a literal of more than 16,383 characters, and the wildcards
/// around it need a few.
constexpr int kMaxLiteraleRicerca = 16000;

/// The text of a literal: each quote doubled, so nothing typed can end it. Raises an Italian
/// message for a text longer than kMaxLiteraleRicerca.
QString LiteraleSql(const QString& text);

/// `test` applied to the literal of `text`; a text with an apostrophe ("'" or the host's "´")
/// gives one test per spelling joined by OR, so "L'Aquila" finds rows stored either way. With
/// `soloAscii` (a number's or a date's column) spellings outside ASCII are left out; "1=0" when
/// none is left.
QString OgniGrafia(const QString& text, const std::function<QString(const QString&)>& test,
                   bool soloAscii = false);

/// A typed number as the engine reads it ("1,5" → "1.5"); raises "'…' non è un numero valido".
QString NumeroRicerca(const QString& text);

/// True when a line of the base query holds "WHERE": a condition then starts with "AND".
bool HaWhere(const QStringList& base);

/// A date-time search needs a readable first date; anything else does nothing.
bool RicercaApplicabile(TClasseCampo classe, const TParametriRicerca& p);

/// The condition line of a column search on `origin` ("WHERE(…)" or "AND(…)"), empty when the
/// search has no value. Dates are read as the short-date box reads them ("5/3/2024", "15/08/26"),
/// an upper date bound includes its whole day; an unreadable date raises "'<text>' non è una data
/// valida", a number that is not one "'<text>' non è un numero valido".
QString CondizioneRicerca(TClasseCampo classe, const QString& origin, const TParametriRicerca& p,
                          bool baseHasWhere);

/// The ORDER BY line a column search asks for, empty when it asks for none.
QString OrdinamentoRicerca(TClasseCampo classe, const QString& origin, const TParametriRicerca& p);

/// One column as the all-columns search sees it.
struct TCampoRicerca {
    QString origin; ///< empty: an expression, never searched
    TClasseCampo classe = clTesto;
};

/// The base query followed by one CONTAINING test per column, joined by OR.
QStringList RicercaGenericaLines(const QStringList& base, const std::vector<TCampoRicerca>& fields,
                                 const QString& testo);

/// One ordering column: field name (upper case), its origin, its column index and direction
/// (1 ascending, 2 descending).
struct TOrdEntry {
    QString field, origin;
    int column = -1;
    int direction = 1;
};

/// The ORDER BY lines of the title orderings. `mode` 1 orders on `single`, 2 on `multi`; a column
/// applies when it is a custom field or the base query has its origin (`origins`, upper case).
QStringList OrderingLines(int mode, const TOrdEntry& single, const std::vector<TOrdEntry>& multi,
                          const QStringList& customFields, const QStringList& origins,
                          bool orderBy);

/// "ORDER BY T.A,T.B" from the primary key's columns (blanks removed), empty without columns.
QString OrdinamentoChiavePrimaria(const QString& table, const QStringList& keyColumns);

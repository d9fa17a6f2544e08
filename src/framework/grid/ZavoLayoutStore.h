// Where a grid keeps each user's layout: the column rows of STOASP1 (order, width, title, colour,
// visibility, ordering) and the per-user settings of SETGRID. Used by the grid and by its
// customisation dialog; every access runs in a transaction of its own on the settings database.
#pragma once

#include "ZavoGridSql.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class TIBDatabase;
class TIBSQL;

/// A grid's per-user settings (SETGRID), with the defaults of a missing row or a 0 colour.
struct TZavoGridSettings {
    int coloreRecordSelezionato = static_cast<int>(0xFF000001u);
    int coloreCampiIndicizzati = 0x0000FFFF;
    int coloreCampoOrdinamento = 0x000000FF;
    bool timerRicerca = true;
    bool ricercaF5Sempre = false;
    /// The per-user parameter 'DisabilitaMemPosGriglie' of TABX; none when unreadable.
    std::optional<bool> disabilitaMemPosGriglie;
};

/// One stored column of a layout.
struct TZavoLayoutRow {
    QString field; ///< NOMECAMPO, upper case
    QString title; ///< NOMECOLONNA
    QString origin;
    int position = 0;
    int width = 0;
    int colour = 0; ///< 0: the grid's own
    bool visible = true;
    std::optional<int> ordinamento; ///< NULL: not an ordering column
};

class TZavoLayoutStore {
public:
    /// The layout of (`project`, `situation`, `user`) in `layoutTable`; `situation` as the grid
    /// holds it (negative for a window's own copy).
    TZavoLayoutStore(TIBDatabase& database, const QString& layoutTable, int project, int situation,
                     int user);

    /// "WHERE (CodiceSituazione=…)", "AND (CodiceUtente=…)", "AND (CodiceProgetto=…)".
    QStringList KeyLines() const;

    /// The stored rows (no ordering).
    std::vector<TZavoLayoutRow> ReadRows() const;
    /// The ordering columns among `rows`, in the order of ABS(ORDINAMENTO); a custom field's
    /// origin is its decoding, an empty origin the field name.
    static std::vector<TOrdEntry> Orderings(const std::vector<TZavoLayoutRow>& rows,
                                            const QStringList& customFields,
                                            const QStringList& customDecodings);
    /// Writes `columns` (in column order) when they differ from the stored rows: their number,
    /// a field, position or width, or in single mode (`checkOrdering`) the ordering value of an
    /// ordering column. `rewrite` writes in every case. Texts are cut to the table's sizes.
    /// Returns true when the rows were written.
    bool Save(const std::vector<TZavoLayoutRow>& columns, bool checkOrdering, bool rewrite) const;
    /// Deletes the layout rows and, in `placementTable`, the search dialog's position.
    void Reset(const QString& placementTable) const;

    /// The customisation dialog's list: NomeCampo, NomeColonna, ColoreColonna, Visibile,
    /// Posizione.
    QString ListQuery() const;
    /// The modify statement of one listed row (parameters NOMECAMPO, NOMECOLONNA, COLORECOLONNA,
    /// VISIBILE, POSIZIONE), derived from the listed columns.
    QStringList ModifyLines() const;

    /// The settings row of (`project`, `user`) in `settingsTable`, and the user's TABX flag,
    /// read in one transaction.
    static TZavoGridSettings ReadSettings(TIBDatabase& database, const QString& settingsTable,
                                          int project, int user);

    /// The statements creating the layout and settings tables.
    static QStringList CreateLayoutTableLines(const QString& table);
    static QStringList CreateSettingsTableLines(const QString& table);

    TIBDatabase& Database() const { return fDatabase; }
    int Situation() const { return fSituation; }

private:
    TIBDatabase& fDatabase;
    QString fTable;
    int fProject, fSituation, fUser;
};

// The configurable grid every list is shown in: the widget with its title ordering (one column,
// or several with Ctrl) and its context menu. The layout store (ZavoLayoutStore), the texts it
// writes into the query (ZavoGridSql) and the search flow (ZavoGridSearch.cpp) live beside it.
#pragma once

#include "ZavoGridExcel.h"
#include "ZavoGridSql.h"
#include "ZavoLayoutStore.h"
#include "ZavoQuery.h"

#include <QColor>
#include <QPointer>
#include <QStringList>
#include <QTableView>

#include <functional>
#include <map>
#include <optional>

class QAction;
class QMenu;
class QTimer;
class TIBDatabase;
class TRZavoGridForm;

class TZavoGrid : public QTableView {
    Q_OBJECT
public:
    explicit TZavoGrid(QWidget* parent = nullptr);
    ~TZavoGrid() override;

    // --- set by the owner
    QStringList SQLIniziale;
    int CodiceProgetto = 0;
    int Situazione() const { return std::abs(fSituazione); }
    void SetSituazione(int situazione) { fSituazione = situazione; }
    /// The situation code the layout is stored under (negative: this window's own copy).
    int SituazioneMemorizzata() const { return fSituazione; }
    int Utente = 0;
    int TipoTabella = 0;
    QString NomeTabellaQuery;
    bool TabellaPiccola = false;
    QString CampiIndicizzati; ///< ";"-separated searchable fields of a large list
    QStringList CampiPersonalizzati, CampiPersonalizzatiDecodifica;
    bool OrderBy = true;
    bool AbilitaOrdinamento = true;
    bool AbilitaRicercheF5 = true;
    bool ChiavePrimariaOrdDefault = true;
    /// The ORDER BY line of a list the user has not ordered, in place of the primary key's
    /// (e.g. a history newest first); empty: the primary key's.
    QString OrdinamentoDefault;
    TIBDatabase* DatabaseImpostazioni = nullptr;
    QString TabellaAspettoGriglia = QStringLiteral("STOASP1");
    QString TabellaPosizioneFinestre = QStringLiteral("STOPOS1");
    QString TabellaAspettoGriglie = QStringLiteral("SETGRID");
    QString NomeProgetto;
    QString FDirectoryBin;

    // --- read by the owner
    bool DisabilitaMemPosGriglie = false;
    bool RicercaInCorso = false;
    bool RecuperoAspettoBaseInCorso = false;
    /// The condition line of the search in force (empty: none).
    QString SQLFiltro;
    QColor ColoreRecordSelezionato() const { return fColoreRecordSelezionato; }

    TZavoQuery* SorgenteDati() const { return fQuery; }
    /// Attaches the data set: chains the grid's before/after-open work after the owner's and
    /// reads the user's grid settings.
    void SetSorgenteDati(TZavoQuery* query);

    /// The store of this grid's layout, under the situation code in use.
    TZavoLayoutStore LayoutStore() const;
    void SalvaAspettoSuStorico();
    void RecuperaAspettodaStorico();
    /// Creates STOASP1, STOPOS1, SETGRID and TABX where they are missing.
    void CheckTabZavoGrid();
    void SettaGridPerForzaturaOrdinamento();
    /// Halves the current column's width.
    void DimezzaLarghezzaColonna();
    /// The customisation dialog over the stored layout ("Personalizza Griglia").
    void Personalizza();
    /// The basic-aspect reset: the stored layout and search position go, the owner's columns
    /// come back.
    bool AspettoBase();
    /// Ordering by a title, as a double-click does (Ctrl held or not).
    void OrdinaPerTitolo(int column, bool ctrl);

    // --- searching (F5, F6)
    std::function<void()> OnInizioRicerca, OnFineRicerca;
    /// Opens the search dialog on the current column (modal).
    void AttivaRicerche();
    /// The open search dialog, none when no search runs.
    TRZavoGridForm* SearchDialog() const { return fSearchDialog; }
    /// Re-queries with the condition (and ordering) of a search on `field`. A refused search
    /// leaves the list, its condition and its query as they were, and raises the error.
    void EseguiRicerca(int field, const TParametriRicerca& p);
    /// The text searched on every column that has an origin; refused, it leaves the list as it
    /// was.
    void RicercaGenerica(const QString& testo);
    /// Gives the base list back and drops the condition in force (F6).
    void AnnullaRicerca();

    // --- context menu
    /// The menu the entries are in (the seven of the list and "Esporta in Excel…"): the grid's
    /// own, or the owner's.
    QMenu* Menu() const { return fMenu; }
    /// The seven entries, in order.
    const QList<QAction*>& MenuEntries() const { return fEntries; }
    /// Appends the seven entries (after a separator) to the owner's pop-up menu; `onPopup` runs
    /// first each time the menu pops up.
    void SetMenuProprietario(QMenu* menu, std::function<void()> onPopup = {});
    /// Enables the entries as the rules say now (their keys follow the same state).
    void AggiornaMenu();
    /// "Query": the list's table in the host suite's query tool.
    void ApriQuery();
    /// "Stampa": the layout saved, then the print dialog.
    void ApriStampa();
    /// "Esporta in Excel…": every row of the query in force to an .xlsx file, with progress.
    void EsportaExcel();
    /// The export of the query in force and its visible columns to `fileName`, not yet run.
    TZavoGridExcel LavoroExcel(const QString& fileName) const;

    using TClasse = TClasseCampo;
    TClasse Classe(int field) const;

    // --- ordering state
    int ModoOrdinamento() const { return fMode; }
    QString CampoOrdinamento() const { return fOrd.field; }
    int DirezioneOrdinamento() const { return fOrd.direction; }
    QColor ColoreCampiIndicizzati() const { return fColoreCampiIndic; }
    QColor ColoreCampoOrdinamento() const { return fColoreCampoOrd; }

    /// Width of a column, hidden ones included (they keep the width they had).
    int ColumnWidth(int field) const;
    void SetColumnWidth(int field, int width);

    /// The owner's design of a column: its title, and its width in pixels (0: wide enough for
    /// the title and the first screen's values).
    struct TProgettoColonna {
        QString titolo;
        int larghezza = 0;
    };
    /// The owner's columns by field name (upper case). With a design, a list without a stored
    /// layout opens with these titles and readable widths, and "Aspetto Base" brings them back;
    /// a user's stored layout still wins. Without one the fields' names are the titles.
    std::map<QString, TProgettoColonna> ProgettoColonne;
    /// Titles and widths of the owner's design on every column.
    void ApplicaProgetto();
    void SetColumnVisible(int field, bool visible);

    /// A colour as the layout tables keep it (red in the low byte) and back; 0 = none.
    static int ToStored(const QColor& color);
    static QColor FromStored(int value);

private:
    TIBDatabase& SettingsDatabase() const;
    QString Origin(int field) const;
    bool Searchable(int field) const;
    bool EntryEnabled(int entry) const;
    QString TableOfBaseQuery() const;
    void ReadSettings();
    void GridBeforeOpen();
    void GridAfterOpen();
    void ColourTitles();
    int FieldOfColumn(int visual) const;
    std::vector<TZavoLayoutRow> CurrentLayout() const;
    void ApplyLayout(const std::vector<TZavoLayoutRow>& rows);
    void BuildMenu();
    void ReopenBase();
    void StartSearch();
    void EndSearch();
    /// Puts back a query that a refused re-query closed.
    void RestoreQuery(const QStringList& sql, bool wasActive);
    void LeggiPosizioneRicerca(TRZavoGridForm& form);
    void ScriviPosizioneRicerca(const TRZavoGridForm& form);

    QPointer<TZavoQuery> fQuery; // the owner may destroy the data set before the grid
    std::function<void()> fOwnerBeforeOpen, fOwnerAfterOpen;
    QMetaObject::Connection fOpened, fClosed;
    int fSituazione = 0;
    int fMode = 0; // 0 not determined, 1 single, 2 multi
    TOrdEntry fOrd;
    std::vector<TOrdEntry> fMulti;
    QColor fColoreRecordSelezionato, fColoreCampiIndic, fColoreCampoOrd;
    std::map<int, int> fHiddenWidths;
    std::optional<std::vector<TZavoLayoutRow>> fRowsOfOpen;
    QMenu* fOwnMenu = nullptr;
    QMenu* fMenu = nullptr;
    QList<QAction*> fEntries;
    std::function<void()> fOwnerPopup;
    QTimer* fTimer = nullptr;
    TRZavoGridForm* fSearchDialog = nullptr;
    int fCampoRicerca = -1;
    bool fSearchQuery = false; ///< a search is re-opening the query with its own ordering
    bool fTimerRic = true;
    bool fRicF5Sempre = false;
};

/// Visual index of the first grid column bound to `fieldName` (exact match), -1 when none.
int FindColumnByField(const TZavoGrid& grid, const QString& fieldName);

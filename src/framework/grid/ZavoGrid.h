// The configurable grid every list is shown in: a per-user column layout kept in STOASP1,
// ordering by double-clicking titles (one column, or several with Ctrl) turned into ORDER BY,
// and the per-user settings of SETGRID.
#pragma once

#include "ZavoQuery.h"

#include <QColor>
#include <QPointer>
#include <QStringList>
#include <QTableView>

#include <functional>
#include <map>

class QMenu;
class QTimer;
class TIBDatabase;
class TRZavoGridForm;

/// What a column search asks for.
struct TParametriRicerca {
    QString testo;
    int tipo = 0; ///< 0 ">=", 1 "LIKE %%", 2 "LIKE %"
    bool upper = true;
    int ordinamento = 1;  ///< 0 no, 1 ascending, 2 descending
    QString data1, data2; ///< dd/mm/yyyy, for date fields
};

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
    /// come back. Asks first; false when the user cancelled.
    bool AspettoBase();
    /// Ordering by a title, as a double-click does (Ctrl held or not).
    void OrdinaPerTitolo(int column, bool ctrl);

    // --- searching (F5, F6)
    std::function<void()> OnInizioRicerca, OnFineRicerca;
    /// Opens the search dialog on the current column (modal).
    void AttivaRicerche();
    /// The open search dialog, none when no search runs.
    TRZavoGridForm* SearchDialog() const { return fSearchDialog; }
    /// Re-queries with the condition (and ordering) of a search on `field`.
    void EseguiRicerca(int field, const TParametriRicerca& p);
    /// The text searched on every column that has an origin.
    void RicercaGenerica(const QString& testo);
    /// Gives the base list back and drops the condition in force (F6).
    void AnnullaRicerca();
    /// The grid's context menu (seven entries).
    QMenu* Menu() const { return fMenu; }
    /// Field classes of the search conditions.
    enum TClasse { clTesto, clNumero, clData, clDataOra, clBlob };
    TClasse Classe(int field) const;

    // --- ordering state
    int ModoOrdinamento() const { return fMode; }
    QString CampoOrdinamento() const { return fOrdField; }
    int DirezioneOrdinamento() const { return fOrdDirection; }
    QColor ColoreCampiIndicizzati() const { return fColoreCampiIndic; }
    QColor ColoreCampoOrdinamento() const { return fColoreCampoOrd; }

    /// Width of a column, hidden ones included (they keep the width they had).
    int ColumnWidth(int field) const;
    void SetColumnWidth(int field, int width);
    void SetColumnVisible(int field, bool visible);

    /// A colour as the layout tables keep it (red in the low byte) and back; 0 = none.
    static int ToStored(const QColor& color);
    static QColor FromStored(int value);

private:
    struct TOrdEntry {
        QString field, origin;
        int column = -1;
        int direction = 1;
    };
    TIBDatabase& SettingsDatabase() const;
    QStringList KeyLines() const;
    QString Origin(int field) const;
    bool Searchable(int field) const;
    void ReadSettings();
    void GridBeforeOpen();
    void GridAfterOpen();
    void ColourTitles();
    int FieldOfColumn(int visual) const;

    QPointer<TZavoQuery> fQuery; // the owner may destroy the data set before the grid
    std::function<void()> fOwnerBeforeOpen, fOwnerAfterOpen;
    int fSituazione = 0;
    int fMode = 0; // 0 not determined, 1 single, 2 multi
    QString fOrdField, fOrdOrigin;
    int fOrdColumn = -1;
    int fOrdDirection = 1;
    std::vector<TOrdEntry> fMulti;
    QColor fColoreRecordSelezionato, fColoreCampiIndic, fColoreCampoOrd;
    std::map<int, int> fHiddenWidths;
    void BuildMenu();
    void ReopenBase();
    void StartSearch();
    void EndSearch();
    QStringList OrderingLines(const QStringList& origins) const;
    void LeggiPosizioneRicerca(TRZavoGridForm& form);
    void ScriviPosizioneRicerca(const TRZavoGridForm& form);
    QMenu* fMenu = nullptr;
    QTimer* fTimer = nullptr;
    TRZavoGridForm* fSearchDialog = nullptr;
    int fCampoRicerca = -1;
    bool fSearchQuery = false; ///< a search is re-opening the query with its own ordering
    bool fTimerRic = true;
    bool fRicF5Sempre = false;
};

/// Visual index of the first grid column bound to `fieldName` (exact match), -1 when none.
int FindColumnByField(const TZavoGrid& grid, const QString& fieldName);

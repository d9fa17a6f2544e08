#include "ZavoGrid.h"

#include "PZavoGridForm.h"
#include "ZavoQuery.h"

#include "Dravik.h"
#include "StZavoGridForm.h"
#include "ZavoGridStampa.h"

#include "framework/core/Dialogs.h"
#include "framework/core/ScopeExit.h"
#include "framework/core/SlotGuard.h"
#include "framework/core/ZavoError.h"
#include "framework/db/DBConnection.h"
#include "framework/db/DbHelpers.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"
#include "framework/session/ZavoTabX.h"
#include "framework/ui/PlacementStore.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QHash>
#include <QHeaderView>
#include <QMenu>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QStyledItemDelegate>

namespace {
const QColor kSecondOrd = TZavoGrid::FromStored(0x00B4B4F3);
const QColor kLaterOrd = TZavoGrid::FromStored(0x0077A4FF);
const QString kNonIndicizzato = QStringLiteral(
    "Attenzione: Non è possibile eseguire la ricerca su un campo non indicizzato di una tabella "
    "di grandi dimensioni");

enum { eRicerca, eAnnulla, eChiave, eQuery, eDimezza, ePersonalizza, eStampa, eExcel };

/// The primary key's columns of `table`; a table's key does not change while the program runs,
/// so it is read once per database and table.
QStringList PrimaryKeyColumns(TIBDatabase& db, const QString& table) {
    static QHash<QString, QStringList> cache;
    const QString key = db.DatabaseName() + '|' + table;
    if (auto it = cache.find(key); it != cache.end())
        return *it;
    auto tr = CreaTransazione(db, TTipoTransazione::ReadCommitted);
    TIBSQL sql(&db, tr.get());
    sql.ParamCheck = false;
    sql.SetSQL(QStringList{"SELECT B.RDB$FIELD_NAME", "FROM RDB$RELATION_CONSTRAINTS A LEFT JOIN",
                           "RDB$INDEX_SEGMENTS B ON", "(A.RDB$INDEX_NAME=B.RDB$INDEX_NAME)",
                           QStringLiteral("WHERE (A.RDB$RELATION_NAME='%1')")
                               .arg(QString(table).replace('\'', QStringLiteral("''"))),
                           "AND(A.RDB$CONSTRAINT_TYPE='PRIMARY KEY')",
                           "ORDER BY B.RDB$FIELD_POSITION"});
    QStringList found;
    for (sql.ExecQuery(); !sql.Eof(); sql.Next())
        found << sql.Fields(0).AsString();
    cache.insert(key, found);
    return found;
}
/// Cells painted as a data grid paints them: background, text clipped to the cell, selection.
/// The read-only grid needs none of the item view's general machinery (icons, check boxes,
/// word wrap, elision), which lays every text out several times per paint.
class TCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette::ColorGroup group =
            option.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
        if (selected) {
            painter->fillRect(option.rect, option.palette.brush(group, QPalette::Highlight));
        } else {
            const QVariant background = index.data(Qt::BackgroundRole);
            if (background.isValid())
                painter->fillRect(option.rect, background.value<QColor>());
        }
        const QString text = index.data(Qt::DisplayRole).toString();
        if (!text.isEmpty()) {
            painter->save();
            painter->setPen(
                option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
            painter->setFont(option.font);
            const QRect area = option.rect.adjusted(3, 0, -3, 0);
            painter->setClipRect(area);
            const QVariant alignment = index.data(Qt::TextAlignmentRole);
            const int flags =
                alignment.isValid() ? alignment.toInt() : int(Qt::AlignLeft | Qt::AlignVCenter);
            painter->drawText(area, flags | Qt::TextSingleLine, text);
            painter->restore();
        }
        if (option.state & QStyle::State_HasFocus) {
            painter->save();
            painter->setPen(QPen(option.palette.color(group, QPalette::Text), 1, Qt::DotLine));
            painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
            painter->restore();
        }
    }
};
} // namespace

TZavoGrid::TZavoGrid(QWidget* parent) : QTableView(parent) {
    setItemDelegate(new TCellDelegate(this));
    setEditTriggers(QAbstractItemView::NoEditTriggers); // the grid never edits what it shows
    // A list, not a sheet of cells: Tab leaves it for the next control, the arrows move in it.
    setTabKeyNavigation(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // A data grid shows no row numbers; the current row is the highlighted one.
    verticalHeader()->hide();
    horizontalHeader()->setSectionsMovable(true);
    connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this,
            Guarded([this](int logical) {
                if (!AbilitaOrdinamento)
                    return;
                OrdinaPerTitolo(horizontalHeader()->visualIndex(logical),
                                QApplication::keyboardModifiers() & Qt::ControlModifier);
            }));
    fColoreRecordSelezionato = palette().color(QPalette::Highlight);
    fColoreCampiIndic = FromStored(0x0000FFFF);
    fColoreCampoOrd = FromStored(0x000000FF);
    BuildMenu();
}

TZavoGrid::~TZavoGrid() {
    if (fQuery) {
        fQuery->BeforeOpen = fOwnerBeforeOpen;
        fQuery->AfterOpen = fOwnerAfterOpen;
    }
}

int TZavoGrid::ToStored(const QColor& c) {
    return c.isValid() ? c.red() | (c.green() << 8) | (c.blue() << 16) : 0;
}

QColor TZavoGrid::FromStored(int v) {
    if (v == 0)
        return QColor();
    if ((static_cast<quint32>(v) & 0xFF000000u) == 0xFF000000u) // a system colour by number
        return QApplication::palette().color(QPalette::Highlight);
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

TIBDatabase& TZavoGrid::SettingsDatabase() const {
    if (DatabaseImpostazioni)
        return *DatabaseImpostazioni;
    if (fQuery && fQuery->Database())
        return *fQuery->Database();
    throw EZavoError(QStringLiteral("Database delle impostazioni della griglia non impostato"));
}

TZavoLayoutStore TZavoGrid::LayoutStore() const {
    return TZavoLayoutStore(SettingsDatabase(), TabellaAspettoGriglia, CodiceProgetto, fSituazione,
                            Utente);
}

QString TZavoGrid::Origin(int field) const {
    const QString name = fQuery->FieldName(field).toUpper();
    const int custom = CampiPersonalizzati.indexOf(name);
    if (custom >= 0 && custom < CampiPersonalizzatiDecodifica.size())
        return CampiPersonalizzatiDecodifica[custom];
    const QString origin = fQuery->FieldOrigin(field);
    return origin.isEmpty() ? name : origin;
}

TZavoGrid::TClasse TZavoGrid::Classe(int field) const {
    return ClasseDaTipoSql(fQuery->FieldType(field));
}

int TZavoGrid::ColumnWidth(int field) const {
    auto it = fHiddenWidths.find(field);
    return isColumnHidden(field) && it != fHiddenWidths.end() ? it->second : columnWidth(field);
}

void TZavoGrid::SetColumnWidth(int field, int width) {
    if (isColumnHidden(field))
        fHiddenWidths[field] = width;
    else
        setColumnWidth(field, width);
}

void TZavoGrid::SetColumnVisible(int field, bool visible) {
    if (visible == !isColumnHidden(field))
        return;
    if (!visible) {
        fHiddenWidths[field] = columnWidth(field);
        setColumnHidden(field, true);
    } else {
        setColumnHidden(field, false);
        if (auto it = fHiddenWidths.find(field); it != fHiddenWidths.end())
            setColumnWidth(field, it->second);
        fHiddenWidths.erase(field);
    }
}

int TZavoGrid::FieldOfColumn(int visual) const {
    return horizontalHeader()->logicalIndex(visual);
}

void TZavoGrid::SetSorgenteDati(TZavoQuery* query) {
    if (fQuery) {
        fQuery->BeforeOpen = fOwnerBeforeOpen;
        fQuery->AfterOpen = fOwnerAfterOpen;
        disconnect(fOpened);
        disconnect(fClosed);
    }
    fQuery = query;
    setModel(query);
    if (!query) {
        AggiornaMenu();
        return;
    }
    TipoTabella = 0;
    fOwnerBeforeOpen = query->BeforeOpen;
    fOwnerAfterOpen = query->AfterOpen;
    query->BeforeOpen = [this] {
        if (fOwnerBeforeOpen)
            fOwnerBeforeOpen();
        GridBeforeOpen();
    };
    query->AfterOpen = [this] {
        if (fOwnerAfterOpen)
            fOwnerAfterOpen();
        GridAfterOpen();
    };
    fOpened = connect(query, &TZavoQuery::Opened, this, &TZavoGrid::AggiornaMenu);
    fClosed = connect(query, &TZavoQuery::Closed, this, &TZavoGrid::AggiornaMenu);
    if (TabellaAspettoGriglia.isEmpty())
        TabellaAspettoGriglia = QStringLiteral("STOASP1");
    if (TabellaPosizioneFinestre.isEmpty())
        TabellaPosizioneFinestre = QStringLiteral("STOPOS1");
    if (TabellaAspettoGriglie.isEmpty())
        TabellaAspettoGriglie = QStringLiteral("SETGRID");
    AggiornaMenu();
    if (DatabaseImpostazioni || query->Database())
        ReadSettings();
}

void TZavoGrid::ReadSettings() {
    TIBDatabase& db = SettingsDatabase();
    const TZavoGridSettings s =
        TZavoLayoutStore::ReadSettings(db, TabellaAspettoGriglie, CodiceProgetto, Utente);
    fColoreRecordSelezionato = FromStored(s.coloreRecordSelezionato);
    fColoreCampiIndic = FromStored(s.coloreCampiIndicizzati);
    fColoreCampoOrd = FromStored(s.coloreCampoOrdinamento);
    fTimerRic = s.timerRicerca;
    fRicF5Sempre = s.ricercaF5Sempre;
    if (s.disabilitaMemPosGriglie)
        DisabilitaMemPosGriglie = *s.disabilitaMemPosGriglie;
}

std::vector<TZavoLayoutRow> TZavoGrid::CurrentLayout() const {
    std::vector<TZavoLayoutRow> rows;
    const int columns = fQuery->FieldCount();
    for (int i = 0; i < columns; ++i) {
        const int field = FieldOfColumn(i);
        TZavoLayoutRow r;
        r.field = fQuery->FieldName(field).toUpper();
        r.origin = Origin(field);
        r.title = fQuery->Title(field);
        r.position = i;
        r.width = ColumnWidth(field);
        r.colour = ToStored(fQuery->ColumnColor(field));
        r.visible = !isColumnHidden(field);
        if (fMode == 1 && r.field == fOrd.field)
            r.ordinamento = fOrd.direction;
        if (fMode == 2)
            for (size_t k = 0; k < fMulti.size(); ++k)
                if (fMulti[k].field == r.field)
                    r.ordinamento =
                        static_cast<int>(10 * (k + 1)) * (fMulti[k].direction == 2 ? -1 : 1);
        rows.push_back(r);
    }
    return rows;
}

void TZavoGrid::SalvaAspettoSuStorico() {
    if (!fQuery || !fQuery->Active())
        return;
    LayoutStore().Save(CurrentLayout(), fMode == 1, fMode == 2 && !fMulti.empty());
}

void TZavoGrid::RecuperaAspettodaStorico() {
    if (!fQuery)
        return;
    if (!fQuery->Active()) {
        if (!SQLFiltro.isEmpty())
            fQuery->SQL << SQLFiltro;
        return;
    }
    ApplyLayout(LayoutStore().ReadRows());
}

void TZavoGrid::ApplyLayout(const std::vector<TZavoLayoutRow>& rows) {
    const int columns = fQuery->FieldCount();
    QHeaderView* header = horizontalHeader();
    for (const TZavoLayoutRow& r : rows) { // first pass: order
        const int field = fQuery->FieldIndex(r.field);
        if (field < 0 || r.position < 0 || r.position >= columns)
            continue; // a field that is gone, or a place beyond the columns
        header->moveSection(header->visualIndex(field), r.position);
    }
    for (const TZavoLayoutRow& r : rows) { // second pass: looks, as stored
        if (r.position < 0 || r.position >= columns || fQuery->FieldIndex(r.field) < 0)
            continue;
        const int field = FieldOfColumn(r.position);
        SetColumnVisible(field, r.visible);
        SetColumnWidth(field, r.width);
        fQuery->SetTitle(field, r.title);
        fQuery->SetColumnColor(field, FromStored(r.colour));
    }
    if (fMode == 1 && fOrd.column >= 0 && fOrd.column < columns)
        fQuery->SetTitleColor(FieldOfColumn(fOrd.column), fColoreCampoOrd);
}

void TZavoGrid::GridBeforeOpen() {
    TIBDatabase& db = SettingsDatabase();
    // One read of the stored rows serves the orderings now and the restore after the open.
    fRowsOfOpen = LayoutStore().ReadRows();
    const std::vector<TOrdEntry> stored = TZavoLayoutStore::Orderings(
        *fRowsOfOpen, CampiPersonalizzati, CampiPersonalizzatiDecodifica);
    if (fMode == 0)
        fMode = std::any_of(stored.begin(), stored.end(),
                            [](const TOrdEntry& e) { return std::abs(e.direction) > 2; })
                    ? 2
                    : 1;
    if (fMode == 1) {
        if (stored.empty())
            fOrd = TOrdEntry{};
        else if (stored.front().direction != 0)
            fOrd = stored.front();
    } else {
        fMulti.clear();
        for (TOrdEntry e : stored) {
            if (e.direction == 0)
                continue;
            e.direction = e.direction < 1 ? 2 : 1;
            fMulti.push_back(e);
        }
    }
    // A search writes its own ordering: nothing is appended while one runs.
    if (!OrderBy || TipoTabella != 0 || fSearchDialog || fSearchQuery)
        return;

    // Orderings apply to columns the base query really has (or custom fields).
    const bool ordered = (fMode == 1 && !fOrd.field.isEmpty()) || (fMode == 2 && !fMulti.empty());
    if (ordered) {
        QStringList origins;
        if (!SQLIniziale.isEmpty()) {
            auto scratch = CreaTransazione(*fQuery->Database(), TTipoTransazione::ReadCommitted);
            TIBSQL base(fQuery->Database(), scratch.get());
            base.ParamCheck = false;
            base.SetSQL(SQLIniziale);
            base.Prepare();
            for (const TFieldInfo& f : base.FieldInfos())
                if (!f.relation.isEmpty())
                    origins << (f.relation + '.' + f.name).toUpper();
        }
        fQuery->SQL << OrderingLines(fMode, fOrd, fMulti, CampiPersonalizzati, origins, OrderBy);
        return;
    }
    if (!OrdinamentoDefault.isEmpty()) {
        fQuery->SQL << OrdinamentoDefault;
        return;
    }
    if (!ChiavePrimariaOrdDefault || NomeTabellaQuery.isEmpty())
        return;
    const QString line =
        OrdinamentoChiavePrimaria(NomeTabellaQuery, PrimaryKeyColumns(db, NomeTabellaQuery));
    if (!line.isEmpty())
        fQuery->SQL << line;
}

void TZavoGrid::GridAfterOpen() {
    // The rows the open has just read serve its restore.
    if (fRowsOfOpen) {
        const std::vector<TZavoLayoutRow> rows = std::move(*fRowsOfOpen);
        fRowsOfOpen.reset();
        if (rows.empty() && !ProgettoColonne.empty())
            ApplicaProgetto(); // no layout of the user's yet: the owner's design
        else
            ApplyLayout(rows);
    } else {
        RecuperaAspettodaStorico();
    }
    if (fSearchDialog && fCampoRicerca >= 0)
        selectColumn(fCampoRicerca);
    ColourTitles();
    if (DisabilitaMemPosGriglie && fSituazione > 0) {
        // The stored layout under the positive code is where every new window starts; this
        // window's changes go to the negative copy.
        fSituazione = -fSituazione;
        SalvaAspettoSuStorico();
    }
}

void TZavoGrid::ApplicaProgetto() {
    if (!fQuery)
        return;
    const QFontMetrics titles(horizontalHeader()->font());
    const QFontMetrics cells(font());
    const int sample = std::min(fQuery->rowCount(), 40); // the first screen
    for (int f = 0; f < fQuery->FieldCount(); ++f) {
        const auto it = ProgettoColonne.find(fQuery->FieldName(f).toUpper());
        const QString title = it != ProgettoColonne.end() && !it->second.titolo.isEmpty()
                                  ? it->second.titolo
                                  : fQuery->FieldName(f);
        fQuery->SetTitle(f, title);
        int width = it != ProgettoColonne.end() ? it->second.larghezza : 0;
        if (width <= 0) {
            // The title and the first screen's values, nothing cut, within reason.
            width = titles.horizontalAdvance(title) + 28;
            for (int r = 0; r < sample; ++r)
                width = std::max(
                    width,
                    cells.horizontalAdvance(fQuery->data(fQuery->index(r, f)).toString()) + 16);
            width = std::min(width, 420);
        }
        SetColumnWidth(f, width);
    }
}

bool TZavoGrid::Searchable(int field) const {
    if (TabellaPiccola || fRicF5Sempre)
        return true;
    const QString name = fQuery->FieldName(field).toUpper();
    for (const QString& f : CampiIndicizzati.split(';', Qt::SkipEmptyParts))
        if (f.trimmed().toUpper() == name)
            return true;
    return false;
}

void TZavoGrid::ColourTitles() {
    if (!fQuery)
        return;
    const int columns = fQuery->FieldCount();
    QStringList indexed;
    for (const QString& f : CampiIndicizzati.split(';', Qt::SkipEmptyParts))
        indexed << f.trimmed().toUpper();
    // The searchable fields are marked whatever the size of the list.
    for (int f = 0; f < columns; ++f)
        fQuery->SetTitleColor(
            f, indexed.contains(fQuery->FieldName(f).toUpper()) ? fColoreCampiIndic : QColor());
    auto colourAt = [&](int column, const QColor& c) {
        if (column >= 0 && column < columns)
            fQuery->SetTitleColor(FieldOfColumn(column), c);
    };
    if (fMode == 1) {
        colourAt(fOrd.column, fColoreCampoOrd);
    } else if (fMode == 2) {
        for (size_t k = 0; k < fMulti.size(); ++k)
            colourAt(fMulti[k].column,
                     k == 0 ? fColoreCampoOrd : (k == 1 ? kSecondOrd : kLaterOrd));
    }
}

void TZavoGrid::OrdinaPerTitolo(int column, bool ctrl) {
    if (!fQuery || !fQuery->Active() || column < 0 || column >= fQuery->FieldCount())
        return;
    const int field = FieldOfColumn(column);
    const QString name = fQuery->FieldName(field).toUpper();
    if (ctrl && fMode != 2) {
        fMulti.clear();
        if (!fOrd.field.isEmpty())
            fMulti.push_back(fOrd);
        fMode = 2;
    } else if (!ctrl && fMode == 2) {
        if (!fMulti.empty())
            fOrd = fMulti[0];
        fMulti.clear();
        fMode = 1;
    }
    if (fMode != 2) {
        fMode = 1;
        fOrd.direction = (name == fOrd.field && fOrd.direction == 1) ? 2 : 1;
        fOrd.field = name;
        fOrd.origin = Origin(field);
        fOrd.column = column;
    } else {
        auto it = std::find_if(fMulti.begin(), fMulti.end(),
                               [&](const TOrdEntry& e) { return e.field == name; });
        if (it != fMulti.end()) {
            it->direction = it->direction == 1 ? 2 : 1;
            it->origin = Origin(field);
            it->column = column;
        } else {
            fMulti.push_back({name, Origin(field), column, 1});
        }
    }
    if (!Searchable(field)) {
        Dialogs().Warning(kNonIndicizzato);
        return;
    }
    SalvaAspettoSuStorico();
    fQuery->Close();
    fQuery->SQL = SQLIniziale;
    if (!SQLFiltro.isEmpty())
        fQuery->SQL << SQLFiltro;
    fQuery->Open();
    selectColumn(FieldOfColumn(column));
}

void TZavoGrid::SettaGridPerForzaturaOrdinamento() {
    fMode = 0;
    fOrd.field.clear();
}

void TZavoGrid::DimezzaLarghezzaColonna() {
    const int field = currentIndex().isValid() ? currentIndex().column() : FieldOfColumn(0);
    if (field >= 0)
        SetColumnWidth(field, ColumnWidth(field) / 2);
}

void TZavoGrid::CheckTabZavoGrid() {
    TIBDatabase& db = SettingsDatabase();
    // Once per database and set of names in a process: a table that exists stays.
    static QSet<QString> checked;
    const QString key = db.DatabaseName() + '|' + TabellaAspettoGriglia + '|' +
                        TabellaPosizioneFinestre + '|' + TabellaAspettoGriglie;
    if (checked.contains(key))
        return;
    auto tr = CreaTransazione(db, TTipoTransazione::Snapshot);
    TIBSQL sql(&db, tr.get());
    const std::pair<QString, QStringList> tables[] = {
        {TabellaAspettoGriglia, TZavoLayoutStore::CreateLayoutTableLines(TabellaAspettoGriglia)},
        {TabellaPosizioneFinestre, CreatePlacementTableLines(TabellaPosizioneFinestre)},
        {TabellaAspettoGriglie, TZavoLayoutStore::CreateSettingsTableLines(TabellaAspettoGriglie)},
        {QStringLiteral("TABX"), TZavoTabX::CreateTableLines()}};
    QStringList names;
    for (const auto& t : tables)
        names << t.first;
    // One read tells which exist: every list that opens asks.
    const QStringList existing = TabelleEsistenti(sql, names);
    for (const auto& [table, lines] : tables)
        if (!existing.contains(table))
            CreaTabellaSeManca(sql, table, lines);
    tr->Commit();
    checked.insert(key);
}

// --- customisation -------------------------------------------------------------------------------

void TZavoGrid::Personalizza() {
    if (!fQuery)
        return;
    SalvaAspettoSuStorico();
    TPZavoGridForm form(*this, SettingsDatabase(), this);
    form.exec();
    RecuperaAspettodaStorico();
}

bool TZavoGrid::AspettoBase() {
    RecuperoAspettoBaseInCorso = true;
    TScopeExit done([this] { RecuperoAspettoBaseInCorso = false; });
    LayoutStore().Reset(TabellaPosizioneFinestre);
    // The columns as the owner built them: order, widths, titles, colours, all shown.
    QHeaderView* header = horizontalHeader();
    for (int f = 0; f < (fQuery ? fQuery->FieldCount() : 0); ++f) {
        header->moveSection(header->visualIndex(f), f);
        SetColumnVisible(f, true);
        fQuery->SetTitle(f, fQuery->FieldName(f));
        fQuery->SetColumnColor(f, QColor());
    }
    if (!ProgettoColonne.empty())
        ApplicaProgetto();
    if (fQuery && fQuery->Active()) {
        ReopenBase();
        SalvaAspettoSuStorico();
    }
    return true;
}

// --- context menu -------------------------------------------------------------------------------

QString TZavoGrid::TableOfBaseQuery() const {
    // The text between the first two double quotes after the first FROM.
    const QString text = SQLIniziale.join('\n');
    const int from = text.indexOf(QLatin1String("FROM"), 0, Qt::CaseInsensitive);
    if (from < 0)
        return QString();
    const int open = text.indexOf('"', from);
    const int close = open < 0 ? -1 : text.indexOf('"', open + 1);
    return close < 0 ? QString() : text.mid(open + 1, close - open - 1);
}

bool TZavoGrid::EntryEnabled(int entry) const {
    const bool open = fQuery && fQuery->Active();
    switch (entry) {
    case eRicerca:
        return AbilitaRicercheF5;
    case eAnnulla:
        return true;
    case eChiave:
        return false;
    case eQuery:
        return open && (!NomeTabellaQuery.isEmpty() || !TableOfBaseQuery().isEmpty());
    case eStampa:
    case eExcel:
        return open && !NomeTabellaQuery.isEmpty();
    default:
        return open;
    }
}

void TZavoGrid::AggiornaMenu() {
    for (int i = 0; i < fEntries.size(); ++i)
        fEntries[i]->setEnabled(EntryEnabled(i));
}

void TZavoGrid::BuildMenu() {
    fOwnMenu = new QMenu(this);
    fMenu = fOwnMenu;
    struct {
        const char* caption;
        QKeySequence key;
        std::function<void()> action;
    } entries[] = {{"Ricerca su campo Corrente", Qt::Key_F5, [this] { AttivaRicerche(); }},
                   {"Annulla ricerca", Qt::Key_F6, [this] { AnnullaRicerca(); }},
                   {"Ricerca su chiave ", Qt::Key_F7, [] {}},
                   {"Query", Qt::Key_F8, [this] { ApriQuery(); }},
                   {"Dimezza larghezza colonna", Qt::Key_F9, [this] { DimezzaLarghezzaColonna(); }},
                   {"Personalizza Griglia", QKeySequence(), [this] { Personalizza(); }},
                   {"Stampa", QKeySequence(), [this] { ApriStampa(); }},
                   {"Esporta in Excel…", QKeySequence(), [this] { EsportaExcel(); }}};
    for (int i = 0; i < 8; ++i) {
        auto& e = entries[i];
        QAction* a = fMenu->addAction(QString::fromUtf8(e.caption));
        a->setShortcut(e.key);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        // The rule is checked again at the key: a field the owner changed since the last update
        // must not let a disabled entry run.
        connect(a, &QAction::triggered, this, Guarded([this, i, action = e.action] {
                    if (EntryEnabled(i))
                        action();
                }));
        addAction(a); // the keys work without opening the menu
        fEntries << a;
    }
    fEntries[eChiave]->setVisible(false);
    AggiornaMenu();
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, Guarded([this](const QPoint& at) {
                if (fOwnerPopup)
                    fOwnerPopup();
                AggiornaMenu();
                fMenu->popup(viewport()->mapToGlobal(at));
            }));
}

void TZavoGrid::ApriQuery() {
    TDravikComando_VisualizzaConQuery comando;
    comando.FTabella =
        TipoTabella == 0 && NomeTabellaQuery.isEmpty() ? TableOfBaseQuery() : NomeTabellaQuery;
    comando.FDatabaseName =
        fQuery && fQuery->Database() ? fQuery->Database()->DatabaseName() : QString();
    comando.FBinDir = FDirectoryBin;
    comando.FNomeProgetto = NomeProgetto;
    comando.FUtente = TipoTabella == 0 ? Utente : 0;
    TDravikFacade tool(comando);
    try {
        tool.Check();
        if (!tool.Esegui())
            throw EZavoError(QStringLiteral("Esecuzione non riuscita"));
    } catch (const EZavoError& e) {
        Dialogs().Warning(e.Message());
    }
}

void TZavoGrid::ApriStampa() {
    if (TipoTabella != 0) {
        Dialogs().Warning(QStringLiteral("Funzionalità non disponibile per questo tipo di vista"));
        return;
    }
    SalvaAspettoSuStorico();
    TZavoGridStampa job;
    job.Progetto = CodiceProgetto;
    job.Situazione = Situazione();
    job.Utente = Utente;
    job.Tabella = NomeTabellaQuery;
    job.SQLRif = fQuery ? fQuery->SQL.join('\n') : QString();
    job.BinDir = FDirectoryBin;
    job.DatabaseRif = &SettingsDatabase();
    job.DatabaseDati = fQuery ? fQuery->Database() : nullptr;
    TStZavoGridForm form(job, this);
    form.setFont(font());
    form.exec();
}

void TZavoGrid::SetMenuProprietario(QMenu* menu, std::function<void()> onPopup) {
    for (QAction* a : fEntries)
        fMenu->removeAction(a);
    fMenu = menu ? menu : fOwnMenu;
    if (menu)
        menu->addSeparator();
    fMenu->addActions(fEntries);
    fOwnerPopup = std::move(onPopup);
}

int FindColumnByField(const TZavoGrid& grid, const QString& fieldName) {
    const TZavoQuery* query = grid.SorgenteDati();
    if (!query)
        return -1;
    for (int visual = 0; visual < query->FieldCount(); ++visual)
        if (query->FieldName(grid.horizontalHeader()->logicalIndex(visual)) == fieldName)
            return visual;
    return -1;
}

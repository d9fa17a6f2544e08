#include "ZavoGrid.h"

#include "ZavoQuery.h"

#include "framework/core/Dialogs.h"
#include "framework/core/ZavoError.h"
#include "framework/db/DBConnection.h"
#include "framework/db/DbHelpers.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

#include "PZavoGridForm.h"
#include "RZavoGridForm.h"

#include "framework/ui/PlacementStore.h"

#include "EditData.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>

namespace {
const QColor kSecondOrd = TZavoGrid::FromStored(0x00B4B4F3);
const QColor kLaterOrd = TZavoGrid::FromStored(0x0077A4FF);

QString Quoted(const QString& name) {
    return QString(name).replace('\'', QStringLiteral("''"));
}
} // namespace

TZavoGrid::TZavoGrid(QWidget* parent) : QTableView(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers); // the grid never edits what it shows
    setSelectionBehavior(QAbstractItemView::SelectRows);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsMovable(true);
    connect(horizontalHeader(), &QHeaderView::sectionDoubleClicked, this, [this](int logical) {
        if (!AbilitaOrdinamento)
            return;
        OrdinaPerTitolo(horizontalHeader()->visualIndex(logical),
                        QApplication::keyboardModifiers() & Qt::ControlModifier);
    });
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

QStringList TZavoGrid::KeyLines() const {
    return {QStringLiteral("WHERE (CodiceSituazione=%1)").arg(fSituazione),
            QStringLiteral("AND (CodiceUtente=%1)").arg(Utente),
            QStringLiteral("AND (CodiceProgetto=%1)").arg(CodiceProgetto)};
}

QString TZavoGrid::Origin(int field) const {
    const QString name = fQuery->FieldName(field).toUpper();
    const int custom = CampiPersonalizzati.indexOf(name);
    if (custom >= 0 && custom < CampiPersonalizzatiDecodifica.size())
        return CampiPersonalizzatiDecodifica[custom];
    const QString origin = fQuery->FieldOrigin(field);
    return origin.isEmpty() ? name : origin;
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
    }
    fQuery = query;
    setModel(query);
    if (!query)
        return;
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
    if (TabellaAspettoGriglia.isEmpty())
        TabellaAspettoGriglia = QStringLiteral("STOASP1");
    if (TabellaPosizioneFinestre.isEmpty())
        TabellaPosizioneFinestre = QStringLiteral("STOPOS1");
    if (TabellaAspettoGriglie.isEmpty())
        TabellaAspettoGriglie = QStringLiteral("SETGRID");
    if (DatabaseImpostazioni || query->Database())
        ReadSettings();
}

void TZavoGrid::ReadSettings() {
    TIBDatabase& db = SettingsDatabase();
    auto tr = CreaTransazioneReadCommitted(db);
    TIBSQL sql(&db, tr.get());
    sql.ParamCheck = false;
    sql.SetSQL(QStringList{QStringLiteral("SELECT * FROM \"%1\"").arg(TabellaAspettoGriglie),
                           QStringLiteral("WHERE (CodiceUtente=%1)").arg(Utente),
                           QStringLiteral("AND (CodiceProgetto=%1)").arg(CodiceProgetto)});
    sql.ExecQuery();
    fTimerRic = true;
    fRicF5Sempre = false;
    if (!sql.Eof()) {
        auto colour = [&](const char* column, int fallback) {
            const int v = sql.FieldByName(column).AsInteger();
            return FromStored(v == 0 ? fallback : v);
        };
        fColoreRecordSelezionato = colour("COLORERECORDSELEZ", static_cast<int>(0xFF000001u));
        fColoreCampiIndic = colour("COLORECAMPIINDIC", 0x0000FFFF);
        fColoreCampoOrd = colour("COLORECAMPOORD", 0x000000FF);
        fTimerRic = sql.FieldByName("ABILITATIMERRIC").AsInteger() == 1;
        fRicF5Sempre = sql.FieldByName("ABILITARICF5SEMPRE").AsInteger() == 1;
    }
    sql.Close();
    try {
        sql.SetSQL(QStringList{"SELECT", "  TESTO", "FROM", "  TABX", "WHERE",
                               "  NOME='DisabilitaMemPosGriglie'", "  AND",
                               QStringLiteral("  UTENTE=%1").arg(Utente)});
        sql.ExecQuery();
        if (!sql.Eof())
            DisabilitaMemPosGriglie = sql.Fields(0).AsString().trimmed().toInt() == 1;
    } catch (const EZavoError&) {
        // A missing TABX or parameter leaves the flag as it is.
    }
}

void TZavoGrid::SalvaAspettoSuStorico() {
    if (!fQuery || !fQuery->Active())
        return;
    TIBDatabase& db = SettingsDatabase();
    auto tr = CreaTransazioneConcurrency(db);
    TIBSQL read(&db, tr.get());
    read.ParamCheck = false;
    read.SetSQL(QStringList{QStringLiteral("SELECT * FROM \"%1\"").arg(TabellaAspettoGriglia)} +
                KeyLines() + QStringList{QStringLiteral("ORDER BY Posizione")});
    read.ExecQuery();
    const int columns = fQuery->FieldCount();
    int sizeNome = 31, sizeColonna = 31, sizeOrigine = 64;
    if (read.FieldIndex("NOMECAMPO") >= 0) {
        sizeNome = read.FieldByName("NOMECAMPO").Info().Size();
        sizeColonna = read.FieldByName("NOMECOLONNA").Info().Size();
        sizeOrigine = read.FieldByName("ORIGINE").Info().Size();
    }
    bool changed = false;
    int rows = 0;
    for (; !read.Eof(); read.Next(), ++rows) {
        if (rows >= columns) {
            changed = true;
            continue;
        }
        const int field = FieldOfColumn(rows);
        const QString name = fQuery->FieldName(field).toUpper();
        if (read.FieldByName("NOMECAMPO").AsString() != name ||
            read.FieldByName("POSIZIONE").AsInteger() != rows ||
            qRound(read.FieldByName("LARGHEZZA").AsDouble()) != ColumnWidth(field))
            changed = true;
        if (fMode == 1 && name == fOrdField &&
            read.FieldByName("ORDINAMENTO").AsInteger() != fOrdDirection)
            changed = true;
    }
    read.Close();
    if (rows != columns || (fMode == 2 && !fMulti.empty()))
        changed = true;
    if (!changed)
        return;

    TIBSQL del(&db, tr.get());
    del.ParamCheck = false;
    del.SetSQL(QStringList{QStringLiteral("DELETE FROM \"%1\"").arg(TabellaAspettoGriglia)} +
               KeyLines());
    del.ExecQuery();
    TIBSQL ins(&db, tr.get());
    ins.SetSQL(QStringList{QStringLiteral("INSERT INTO %1(").arg(TabellaAspettoGriglia),
                           "CODICEPROGETTO,",
                           "CODICESITUAZIONE,",
                           "CODICEUTENTE,",
                           "NOMECAMPO,",
                           "LARGHEZZA,",
                           "POSIZIONE,",
                           "NOMECOLONNA,",
                           "ORDINAMENTO,",
                           "VISIBILE,",
                           "COLORECOLONNA,",
                           "ORIGINE",
                           ")",
                           "VALUES(",
                           QString::number(CodiceProgetto) + ',',
                           QString::number(fSituazione) + ',',
                           QString::number(Utente) + ',',
                           ":NOMECAMPO,",
                           ":LARGHEZZA,",
                           ":POSIZIONE,",
                           ":NOMECOLONNA,",
                           ":ORDINAMENTO,",
                           ":VISIBILE,",
                           ":COLORECOLONNA,",
                           ":ORIGINE",
                           ")"});
    for (int i = 0; i < columns; ++i) {
        const int field = FieldOfColumn(i);
        const QString name = fQuery->FieldName(field).toUpper();
        ins.ParamByName("NOMECAMPO").SetString(name.left(sizeNome));
        ins.ParamByName("ORIGINE").SetString(Origin(field).toUpper().left(sizeOrigine));
        ins.ParamByName("NOMECOLONNA").SetString(fQuery->Title(field).left(sizeColonna));
        ins.ParamByName("POSIZIONE").SetInteger(i);
        ins.ParamByName("LARGHEZZA").SetInteger(ColumnWidth(field));
        ins.ParamByName("COLORECOLONNA").SetInteger(ToStored(fQuery->ColumnColor(field)));
        ins.ParamByName("VISIBILE").SetInteger(isColumnHidden(field) ? 0 : 1);
        ins.ParamByName("ORDINAMENTO").SetNull();
        if (fMode == 1 && name == fOrdField)
            ins.ParamByName("ORDINAMENTO").SetInteger(fOrdDirection);
        if (fMode == 2)
            for (size_t k = 0; k < fMulti.size(); ++k)
                if (fMulti[k].field == name)
                    ins.ParamByName("ORDINAMENTO")
                        .SetInteger(static_cast<int>(10 * (k + 1)) *
                                    (fMulti[k].direction == 2 ? -1 : 1));
        ins.ExecQuery();
    }
    tr->Commit();
}

void TZavoGrid::RecuperaAspettodaStorico() {
    if (!fQuery)
        return;
    if (!fQuery->Active()) {
        if (!SQLFiltro.isEmpty())
            fQuery->SQL << SQLFiltro;
        return;
    }
    TIBDatabase& db = SettingsDatabase();
    auto tr = CreaTransazioneReadCommitted(db);
    TIBSQL sql(&db, tr.get());
    sql.ParamCheck = false;
    sql.SetSQL(QStringList{QStringLiteral("SELECT * FROM \"%1\"").arg(TabellaAspettoGriglia)} +
               KeyLines());
    struct TRow {
        QString field, title;
        int position, width, colour, visible;
    };
    std::vector<TRow> rows;
    for (sql.ExecQuery(); !sql.Eof(); sql.Next())
        rows.push_back(
            {sql.FieldByName("NOMECAMPO").AsString(), sql.FieldByName("NOMECOLONNA").AsString(),
             sql.FieldByName("POSIZIONE").AsInteger(),
             qRound(sql.FieldByName("LARGHEZZA").AsDouble()),
             sql.FieldByName("COLORECOLONNA").AsInteger(),
             sql.FieldByName("VISIBILE").IsNull() ? 1 : sql.FieldByName("VISIBILE").AsInteger()});
    const int columns = fQuery->FieldCount();
    QHeaderView* header = horizontalHeader();
    for (const TRow& r : rows) { // first pass: order
        const int field = fQuery->FieldIndex(r.field);
        if (field < 0 || r.position < 0 || r.position >= columns)
            continue; // a field that is gone, or a place beyond the columns
        header->moveSection(header->visualIndex(field), r.position);
    }
    for (const TRow& r : rows) { // second pass: looks
        if (r.position < 0 || r.position >= columns || fQuery->FieldIndex(r.field) < 0)
            continue;
        const int field = FieldOfColumn(r.position);
        SetColumnVisible(field, r.visible != 0);
        if (r.width > 0)
            SetColumnWidth(field, r.width);
        if (!r.title.isEmpty())
            fQuery->SetTitle(field, r.title);
        fQuery->SetColumnColor(field, FromStored(r.colour));
    }
    if (fMode == 1 && fOrdColumn >= 0 && fOrdColumn < columns)
        fQuery->SetTitleColor(FieldOfColumn(fOrdColumn), fColoreCampoOrd);
}

void TZavoGrid::GridBeforeOpen() {
    TIBDatabase& db = SettingsDatabase();
    auto tr = CreaTransazioneReadCommitted(db);
    TIBSQL sql(&db, tr.get());
    sql.ParamCheck = false;
    auto originOf = [&](const QString& field, const QString& stored) {
        const int custom = CampiPersonalizzati.indexOf(field);
        if (custom >= 0 && custom < CampiPersonalizzatiDecodifica.size())
            return CampiPersonalizzatiDecodifica[custom];
        return stored.isEmpty() ? field : stored;
    };
    // One read of the stored orderings serves the mode, the single and the multi ordering.
    sql.SetSQL(QStringList{QStringLiteral("SELECT ABS(Ordinamento) AS ORD,Ordinamento,"
                                          "NomeCampo,Origine,Posizione FROM \"%1\"")
                               .arg(TabellaAspettoGriglia)} +
               KeyLines() + QStringList{"AND (Ordinamento IS NOT NULL) ORDER BY ORD"});
    std::vector<TOrdEntry> stored;
    std::vector<int> values;
    for (sql.ExecQuery(); !sql.Eof(); sql.Next()) {
        const int ord = sql.FieldByName("ORDINAMENTO").AsInteger();
        const QString field = sql.FieldByName("NOMECAMPO").AsString();
        stored.push_back({field, originOf(field, sql.FieldByName("ORIGINE").AsString()),
                          sql.FieldByName("POSIZIONE").AsInteger(), ord});
        values.push_back(ord);
    }
    if (fMode == 0)
        fMode = std::any_of(values.begin(), values.end(), [](int v) { return std::abs(v) > 2; })
                    ? 2
                    : 1;
    if (fMode == 1) {
        if (stored.empty()) {
            fOrdField.clear();
            fOrdOrigin.clear();
            fOrdColumn = -1;
            fOrdDirection = 1;
        } else if (stored.front().direction != 0) {
            fOrdDirection = stored.front().direction;
            fOrdField = stored.front().field;
            fOrdOrigin = stored.front().origin;
            fOrdColumn = stored.front().column;
        }
    } else {
        fMulti.clear();
        for (TOrdEntry e : stored) {
            if (e.direction == 0)
                continue;
            e.direction = e.direction < 1 ? 2 : 1;
            fMulti.push_back(e);
        }
    }
    sql.Close();
    // A search writes its own ordering: nothing is appended while one runs.
    if (!OrderBy || TipoTabella != 0 || fSearchDialog || fSearchQuery)
        return;

    // Orderings apply to columns the base query really has (or custom fields).
    QStringList origins;
    const bool ordered = (fMode == 1 && !fOrdField.isEmpty()) || (fMode == 2 && !fMulti.empty());
    if (ordered && !SQLIniziale.isEmpty()) {
        auto scratch = CreaTransazioneReadCommitted(*fQuery->Database());
        TIBSQL base(fQuery->Database(), scratch.get());
        base.ParamCheck = false;
        base.SetSQL(SQLIniziale);
        base.Prepare();
        for (const TFieldInfo& f : base.FieldInfos())
            if (!f.relation.isEmpty())
                origins << (f.relation + '.' + f.name).toUpper();
    }
    if (ordered) {
        fQuery->SQL << OrderingLines(origins);
        return;
    }
    if (!ChiavePrimariaOrdDefault || NomeTabellaQuery.isEmpty())
        return;
    sql.SetSQL(QStringList{
        "SELECT B.RDB$FIELD_NAME", "FROM RDB$RELATION_CONSTRAINTS A LEFT JOIN",
        "RDB$INDEX_SEGMENTS B ON", "(A.RDB$INDEX_NAME=B.RDB$INDEX_NAME)",
        QStringLiteral("WHERE (A.RDB$RELATION_NAME='%1')").arg(Quoted(NomeTabellaQuery)),
        "AND(A.RDB$CONSTRAINT_TYPE='PRIMARY KEY')", "ORDER BY B.RDB$FIELD_POSITION"});
    // A table's primary key does not change while the program runs: read once per table.
    static QHash<QString, QStringList> primaryKeys;
    const QString cacheKey = db.DatabaseName() + '|' + NomeTabellaQuery;
    auto cached = primaryKeys.find(cacheKey);
    if (cached == primaryKeys.end()) {
        QStringList found;
        for (sql.ExecQuery(); !sql.Eof(); sql.Next())
            found << NomeTabellaQuery + '.' + sql.Fields(0).AsString().remove(' ');
        cached = primaryKeys.insert(cacheKey, found);
    }
    const QStringList keys = *cached;
    if (!keys.isEmpty())
        fQuery->SQL << QStringLiteral("ORDER BY ") + keys.join(',');
}

void TZavoGrid::GridAfterOpen() {
    RecuperaAspettodaStorico();
    ColourTitles();
    if (DisabilitaMemPosGriglie && fSituazione > 0) {
        // The stored layout under the positive code is where every new window starts; this
        // window's changes go to the negative copy.
        fSituazione = -fSituazione;
        SalvaAspettoSuStorico();
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
    for (int f = 0; f < columns; ++f)
        fQuery->SetTitleColor(
            f, Searchable(f) && !TabellaPiccola && !fRicF5Sempre ? fColoreCampiIndic : QColor());
    auto colourAt = [&](int column, const QColor& c) {
        if (column >= 0 && column < columns)
            fQuery->SetTitleColor(FieldOfColumn(column), c);
    };
    if (fMode == 1) {
        colourAt(fOrdColumn, fColoreCampoOrd);
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
        if (!fOrdField.isEmpty())
            fMulti.push_back({fOrdField, fOrdOrigin, fOrdColumn, fOrdDirection});
        fMode = 2;
    } else if (!ctrl && fMode == 2) {
        if (!fMulti.empty()) {
            fOrdField = fMulti[0].field;
            fOrdOrigin = fMulti[0].origin;
            fOrdColumn = fMulti[0].column;
            fOrdDirection = fMulti[0].direction;
        }
        fMulti.clear();
        fMode = 1;
    }
    if (fMode != 2) {
        fMode = 1;
        fOrdDirection = (name == fOrdField && fOrdDirection == 1) ? 2 : 1;
        fOrdField = name;
        fOrdOrigin = Origin(field);
        fOrdColumn = column;
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
        Dialogs().Warning(QStringLiteral("Attenzione: Non è possibile eseguire la ricerca su un "
                                         "campo non indicizzato di una tabella di grandi "
                                         "dimensioni"));
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
    fOrdField.clear();
}

void TZavoGrid::DimezzaLarghezzaColonna() {
    const int field = currentIndex().isValid() ? currentIndex().column() : FieldOfColumn(0);
    if (field >= 0)
        SetColumnWidth(field, ColumnWidth(field) / 2);
}

void TZavoGrid::CheckTabZavoGrid() {
    TIBDatabase& db = SettingsDatabase();
    auto tr = CreaTransazioneConcurrency(db);
    TIBSQL sql(&db, tr.get());
    sql.ParamCheck = false;
    const std::pair<QString, QStringList> tables[] = {
        {TabellaAspettoGriglia,
         {"CREATE TABLE " + TabellaAspettoGriglia + "(", "CODICEPROGETTO Smallint NOT NULL,",
          "CODICESITUAZIONE Smallint NOT NULL,", "CODICEUTENTE Smallint NOT NULL,",
          "NOMECAMPO Varchar(31) NOT NULL,", "LARGHEZZA Float,", "POSIZIONE Smallint,",
          "NOMECOLONNA Varchar(31),", "ORDINAMENTO Smallint,", "VISIBILE Smallint,",
          "COLORECOLONNA Integer,", "ORIGINE Varchar(64),",
          "CONSTRAINT STOASP1_CHIAVEPRIMARIA PRIMARY KEY "
          "(CODICEPROGETTO,CODICESITUAZIONE,CODICEUTENTE,NOMECAMPO));"}},
        {TabellaPosizioneFinestre,
         {"CREATE TABLE " + TabellaPosizioneFinestre + "(", "CODICEPROGETTO Smallint NOT NULL,",
          "CODICESITUAZIONE Smallint NOT NULL,", "CODICEUTENTE Smallint NOT NULL,",
          "POSX Smallint,", "POSY Smallint,", "DIMX Smallint,", "DIMY Smallint,", "INFO1 Float,",
          "INFO2 Float,", "INFO3 Smallint,", "INFO4 Smallint,", "INFO5 Varchar(10),",
          "INFO6 Varchar(10),",
          "CONSTRAINT STOPOS1_CHIAVEPRIMARIA PRIMARY KEY "
          "(CODICEPROGETTO,CODICESITUAZIONE,CODICEUTENTE));"}},
        {TabellaAspettoGriglie,
         {"CREATE TABLE " + TabellaAspettoGriglie + "(", "CODICEPROGETTO Smallint NOT NULL,",
          "CODICEUTENTE Smallint NOT NULL,", "COLORERECORDSELEZ Integer,",
          "COLORECAMPIINDIC Integer,", "ABILITATIMERRIC Smallint,", "ABILITARICF5SEMPRE Smallint,",
          "COLORECAMPOORD Integer,",
          "CONSTRAINT SETGRID_CHIAVEPRIMARIA PRIMARY KEY (CODICEPROGETTO,CODICEUTENTE));"}},
        {QStringLiteral("TABX"),
         {"CREATE TABLE TABX(", "  CODICE Integer NOT NULL,", "  CODPROGETTO Smallint,",
          "  CODSITUAZIONE Smallint,", "  TIPO Varchar(10),", "  NOME Varchar(64),",
          "  NUMERO Integer,", "  TESTO Varchar(128),", "  DATA Date,", "  MEMO Blob sub_type 1,",
          "  LIVELLO1 Smallint,", "  LIVELLO2 Smallint,", "  UTENTE Smallint,",
          "CONSTRAINT TABX_CHIAVEPRIMARIA PRIMARY KEY (CODICE))"}}};
    for (const auto& [table, create] : tables) {
        sql.SetSQL(QStringList{"select RDB$RELATION_NAME from RDB$RELATIONS",
                               QStringLiteral("WHERE RDB$RELATION_NAME ='%1'").arg(Quoted(table))});
        sql.ExecQuery();
        const bool exists = !sql.Eof();
        sql.Close();
        if (exists)
            continue;
        QStringList lines = create;
        if (lines.last().endsWith(';'))
            lines.last().chop(1); // one statement at a time: no terminator
        sql.SetSQL(lines);
        sql.ExecQuery();
    }
    tr->Commit();
}

// --- searching --------------------------------------------------------------------------------

TZavoGrid::TClasse TZavoGrid::Classe(int field) const {
    switch (fQuery->FieldType(field)) {
    case SqlType::Short:
    case SqlType::Long:
    case SqlType::Int64:
    case SqlType::Float:
    case SqlType::Double:
    case SqlType::DFloat:
        return clNumero;
    case SqlType::Date:
        return clData;
    case SqlType::Timestamp:
        return clDataOra;
    case SqlType::Blob:
        return clBlob;
    default:
        return clTesto;
    }
}

namespace {
/// A typed value as it may stand between quotes in a condition: a quote becomes "´", so the text
/// can never end the literal and change the statement.
QString Literal(QString text) {
    return text.replace('\'', QChar(0x00B4));
}

QDate ParseDate(const QString& text) {
    return QDate::fromString(text.trimmed(), QStringLiteral("dd/MM/yyyy"));
}
} // namespace

void TZavoGrid::StartSearch() {
    if (OnInizioRicerca)
        OnInizioRicerca();
    RicercaInCorso = true;
}

void TZavoGrid::EndSearch() {
    if (OnFineRicerca)
        OnFineRicerca();
    RicercaInCorso = false;
}

QStringList TZavoGrid::OrderingLines(const QStringList& origins) const {
    // An ordering column applies when it is a custom field or the base query has its origin.
    auto applies = [&](const QString& field, const QString& origin) {
        return CampiPersonalizzati.contains(field) || origins.contains(origin.toUpper());
    };
    QStringList lines;
    if (fMode == 1 && !fOrdField.isEmpty() && applies(fOrdField, fOrdOrigin))
        lines << QStringLiteral("ORDER BY ") + fOrdOrigin +
                     (fOrdDirection == 2 ? QStringLiteral(" DESC") : QString());
    if (fMode == 2 && OrderBy)
        for (const TOrdEntry& e : fMulti)
            if (applies(e.field, e.origin))
                lines << (lines.isEmpty() ? QStringLiteral("ORDER BY ") : QStringLiteral(",")) +
                             e.origin + (e.direction == 2 ? QStringLiteral(" DESC") : QString());
    return lines;
}

void TZavoGrid::EseguiRicerca(int field, const TParametriRicerca& p) {
    if (fTimer)
        fTimer->stop();
    const TClasse classe = Classe(field);
    if (classe == clDataOra && (p.data1.size() != 10 || !ParseDate(p.data1).isValid()))
        return; // an incomplete date-time does nothing
    bool where = false;
    for (const QString& line : SQLIniziale)
        where = where || line.toUpper().contains(QLatin1String("WHERE"));
    const QString keyword = where ? QStringLiteral("AND") : QStringLiteral("WHERE");
    const QString origin = Origin(field);
    const bool isDate = classe == clData || classe == clDataOra;
    const bool upper = p.upper && classe == clTesto;
    const QString expression = upper ? QStringLiteral("UPPER(") + origin + ')' : origin;

    fQuery->Close();
    fQuery->SQL = SQLIniziale;
    SQLFiltro.clear();
    if (isDate && !p.data1.trimmed().isEmpty()) {
        auto monthFirst = [](const QString& text) {
            const QDate d = ParseDate(text);
            if (!d.isValid())
                throw EZavoError(QStringLiteral("'%1' non è una data valida").arg(text));
            return d.toString(QStringLiteral("MM/dd/yyyy"));
        };
        SQLFiltro = keyword + '(' + origin + QStringLiteral(" >= '") + monthFirst(p.data1) + "')";
        if (!p.data2.trimmed().isEmpty())
            SQLFiltro += QStringLiteral("AND(") + origin + QStringLiteral(" <= '") +
                         monthFirst(p.data2) + "')";
    } else if (!isDate && !p.testo.isEmpty()) {
        const QString value = Literal(upper ? p.testo.toUpper() : p.testo);
        switch (classe == clNumero && p.tipo == 2 ? 0 : p.tipo) {
        case 1:
            SQLFiltro = keyword + '(' + expression + QStringLiteral(" LIKE '%") + value + "%')";
            break;
        case 2:
            SQLFiltro = keyword + '(' + expression + QStringLiteral(" LIKE '") + value + "%')";
            break;
        default:
            SQLFiltro = keyword + '(' + expression + QStringLiteral(" >= '") + value + "')";
        }
    }
    if (!SQLFiltro.isEmpty())
        fQuery->SQL << SQLFiltro;
    if (p.ordinamento == 1 || p.ordinamento == 2)
        fQuery->SQL << QStringLiteral("ORDER BY ") + expression +
                           (p.ordinamento == 2 ? QStringLiteral(" DESC") : QString());
    else {
        QStringList origins; // the query open now is the base query
        for (int f = 0; f < fQuery->FieldCount(); ++f)
            origins << fQuery->FieldOrigin(f).toUpper();
        fQuery->SQL << OrderingLines(origins);
    }
    fSearchQuery = true;
    try {
        fQuery->Open();
    } catch (...) {
        fSearchQuery = false;
        throw;
    }
    fSearchQuery = false;
}

void TZavoGrid::RicercaGenerica(const QString& testo) {
    StartSearch();
    SalvaAspettoSuStorico();
    const QString value = Literal(testo.toUpper());
    QStringList lines = SQLIniziale;
    lines << (SQLIniziale.join('\n').toUpper().contains(QLatin1String("WHERE"))
                  ? QStringLiteral("AND(")
                  : QStringLiteral("WHERE("));
    // A number or a date never contains a character outside ASCII; asking the database would
    // only fail to transliterate the text (the connection speaks UTF8), so such columns are left
    // out when the text has one.
    bool ascii = true;
    for (QChar ch : value)
        ascii = ascii && ch.unicode() < 128;
    bool first = true;
    for (int f = 0; f < fQuery->FieldCount(); ++f) {
        const QString origin = fQuery->FieldOrigin(f);
        if (origin.isEmpty() || (!ascii && Classe(f) != clTesto && Classe(f) != clBlob))
            continue;
        lines << (first ? QString() : QStringLiteral("OR")) + '(' + origin +
                     QStringLiteral(" CONTAINING '") + value + "')";
        first = false;
    }
    lines << QStringLiteral(")");
    fQuery->Close();
    fQuery->SQL = lines;
    fQuery->Open();
    SQLFiltro.clear(); // a later re-query by the owner shows the list unfiltered
    if (!fSearchDialog)
        EndSearch();
}

void TZavoGrid::ReopenBase() {
    fQuery->Close();
    fQuery->SQL = SQLIniziale;
    SQLFiltro.clear();
    fQuery->Open();
}

void TZavoGrid::AnnullaRicerca() {
    if (!fQuery)
        return;
    StartSearch();
    SalvaAspettoSuStorico();
    ReopenBase();
    EndSearch();
}

void TZavoGrid::LeggiPosizioneRicerca(TRZavoGridForm& form) {
    TIBDatabase& db = SettingsDatabase();
    auto tr = CreaTransazioneReadCommitted(db);
    TIBSQL sql(&db, tr.get());
    sql.ParamCheck = false;
    sql.SetSQL(QStringList{QStringLiteral("SELECT * FROM \"%1\"").arg(TabellaPosizioneFinestre)} +
               KeyLines());
    sql.ExecQuery();
    if (sql.Eof())
        return; // centred by the window system
    form.move(sql.FieldByName("POSX").AsInteger(), sql.FieldByName("POSY").AsInteger());
    form.SetTipoRicerca(sql.FieldByName("INFO3").AsInteger());
    form.CheckUpper->setChecked(sql.FieldByName("INFO4").AsInteger() == 1);
    form.SetTipoOrdinamento(sql.FieldByName("INFO1").AsInteger());
}

void TZavoGrid::ScriviPosizioneRicerca(const TRZavoGridForm& form) {
    ScriviRigaPosizione(SettingsDatabase(), TabellaPosizioneFinestre, Utente, fSituazione,
                        CodiceProgetto,
                        {{QStringLiteral("POSX"), form.x()},
                         {QStringLiteral("POSY"), form.y()},
                         {QStringLiteral("INFO3"), form.TipoRicercaScelto()},
                         {QStringLiteral("INFO4"), form.CheckUpper->isChecked() ? 1 : 0},
                         {QStringLiteral("INFO1"), form.TipoOrdinamentoScelto()}});
}

void TZavoGrid::AttivaRicerche() {
    if (!fQuery || !fQuery->Active() || fSearchDialog)
        return;
    const int field = currentIndex().isValid() ? currentIndex().column() : FieldOfColumn(0);
    if (field < 0)
        return;
    StartSearch();
    if (!Searchable(field)) {
        Dialogs().Warning(QStringLiteral("Attenzione: Non è possibile eseguire la ricerca su un "
                                         "campo non indicizzato di una tabella di grandi "
                                         "dimensioni"));
        RicercaInCorso = false;
        return;
    }
    SalvaAspettoSuStorico();
    fCampoRicerca = field;
    TRZavoGridForm form(this);
    fSearchDialog = &form;
    form.CheckGenerica->setEnabled(true);
    LeggiPosizioneRicerca(form);
    const TClasse classe = Classe(field);
    if (classe == clNumero)
        form.RiduciTipiRicerca();
    else if (classe == clData || classe == clDataOra)
        form.ModoData();
    else if (classe == clBlob)
        form.CheckUpper->setChecked(false);
    form.setFont(font());
    form.setWindowTitle(QStringLiteral("Ricerca su ") + fQuery->Title(field));

    auto params = [&] {
        TParametriRicerca p;
        p.testo = form.EditStringa->text();
        p.tipo = form.TipoRicercaScelto();
        p.upper = form.CheckUpper->isChecked();
        p.ordinamento = form.TipoOrdinamentoScelto();
        p.data1 = form.EditData1->text();
        p.data2 = form.EditData2->text();
        return p;
    };
    auto run = [&] {
        try {
            EseguiRicerca(field, params());
        } catch (const EZavoError& e) {
            Dialogs().Error(e.Message()); // the dialog stays open
        }
    };
    if (!fTimer) {
        fTimer = new QTimer(this);
        fTimer->setInterval(1000);
        fTimer->setSingleShot(true);
    }
    QMetaObject::Connection timerRun = connect(fTimer, &QTimer::timeout, &form, run);
    connect(&form, &TRZavoGridForm::Conferma, &form, [&] {
        run();
        form.accept();
    });
    connect(&form, &TRZavoGridForm::Annulla, &form, [&] {
        fTimer->stop();
        form.reject();
        ReopenBase();
    });
    connect(&form, &TRZavoGridForm::Modificata, &form, [&] {
        if (fTimerRic)
            fTimer->start();
        else
            run();
    });
    connect(&form, &TRZavoGridForm::GenericaCambiata, &form, [&](bool on) {
        for (QWidget* w : std::initializer_list<QWidget*>{form.BoxTipoRicerca, form.CheckUpper,
                                                          form.ButtonPiu, form.BoxTipoOrdinamento})
            w->setEnabled(!on);
        form.ButtonEsegui->setEnabled(on);
        if (on) {
            form.EditData1->hide();
            form.EditStringa->show();
            form.FTitoloFinestraRicerca = form.windowTitle();
            form.setWindowTitle(QStringLiteral("Ricerca su TUTTI i campi"));
        } else {
            form.setWindowTitle(form.FTitoloFinestraRicerca);
        }
    });
    connect(&form, &TRZavoGridForm::Esegui, &form, [&] {
        try {
            RicercaGenerica(form.EditStringa->text());
        } catch (const EZavoError& e) {
            Dialogs().Error(e.Message());
        }
    });
    form.exec();
    disconnect(timerRun);
    fTimer->stop();
    RicercaInCorso = false;
    try {
        ScriviPosizioneRicerca(form);
    } catch (const EZavoError& e) {
        Dialogs().Warning(e.Message());
    }
    fSearchDialog = nullptr;
    EndSearch();
    fCampoRicerca = -1;
    RecuperaAspettodaStorico();
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
    TIBDatabase& db = SettingsDatabase();
    {
        auto tr = CreaTransazioneConcurrency(db);
        TIBSQL sql(&db, tr.get());
        sql.ParamCheck = false;
        sql.SetSQL(QStringList{QStringLiteral("DELETE FROM \"%1\"").arg(TabellaAspettoGriglia)} +
                   KeyLines());
        sql.ExecQuery();
        sql.SetSQL(QStringList{"DELETE FROM " + TabellaPosizioneFinestre, "WHERE",
                               QStringLiteral("  CODICESITUAZIONE=%1").arg(fSituazione), "  AND",
                               QStringLiteral("  CODICEUTENTE=%1").arg(Utente), "  AND",
                               QStringLiteral("  CODICEPROGETTO=%1").arg(CodiceProgetto)});
        sql.ExecQuery();
        tr->Commit();
    }
    // The columns as the owner built them: order, widths, titles, colours, all shown.
    QHeaderView* header = horizontalHeader();
    for (int f = 0; f < (fQuery ? fQuery->FieldCount() : 0); ++f) {
        header->moveSection(header->visualIndex(f), f);
        SetColumnVisible(f, true);
        fQuery->SetTitle(f, fQuery->FieldName(f));
        fQuery->SetColumnColor(f, QColor());
    }
    if (fQuery && fQuery->Active()) {
        ReopenBase();
        SalvaAspettoSuStorico();
    }
    RecuperoAspettoBaseInCorso = false;
    return true;
}

// --- context menu -------------------------------------------------------------------------------

void TZavoGrid::BuildMenu() {
    fMenu = new QMenu(this);
    struct {
        const char* caption;
        QKeySequence key;
        std::function<void()> action;
    } entries[] = {
        {"Ricerca su campo Corrente", Qt::Key_F5, [this] { AttivaRicerche(); }},
        {"Annulla ricerca", Qt::Key_F6, [this] { AnnullaRicerca(); }},
        {"Ricerca su chiave ", Qt::Key_F7, [] {}},
        {"Query", Qt::Key_F8,
         [] {
             Dialogs().Warning(QStringLiteral("Esecuzione non riuscita: programma \"Dravik.exe\" "
                                              "non disponibile"));
         }},
        {"Dimezza larghezza colonna", Qt::Key_F9, [this] { DimezzaLarghezzaColonna(); }},
        {"Personalizza Griglia", QKeySequence(), [this] { Personalizza(); }},
        {"Stampa", QKeySequence(), [] {
             Dialogs().Warning(QStringLiteral("Esecuzione non riuscita: modulo di stampa "
                                              "\"PrentixLaunch.exe\" non disponibile"));
         }}};
    for (auto& e : entries) {
        QAction* a = fMenu->addAction(QString::fromUtf8(e.caption));
        a->setShortcut(e.key);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(a, &QAction::triggered, this, e.action);
        addAction(a); // the keys work without opening the menu
    }
    fMenu->actions()[2]->setVisible(false);
    fMenu->actions()[2]->setEnabled(false);
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const bool open = fQuery && fQuery->Active();
        const QList<QAction*> actions = fMenu->actions();
        actions[0]->setEnabled(AbilitaRicercheF5);
        for (int i = 3; i < actions.size(); ++i)
            actions[i]->setEnabled(open);
        if (NomeTabellaQuery.isEmpty()) {
            actions[3]->setEnabled(false);
            actions[6]->setEnabled(false);
        }
        fMenu->popup(viewport()->mapToGlobal(at));
    });
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

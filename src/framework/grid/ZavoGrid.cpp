#include "ZavoGrid.h"

#include "ZavoQuery.h"

#include "framework/core/Dialogs.h"
#include "framework/core/ZavoError.h"
#include "framework/db/DBConnection.h"
#include "framework/db/DbHelpers.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

#include <QApplication>
#include <QHeaderView>

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
    const QString select = QStringLiteral("SELECT * FROM \"%1\"").arg(TabellaAspettoGriglia);
    if (fMode == 0) {
        sql.SetSQL(QStringList{select} + KeyLines() +
                   QStringList{"AND (Ordinamento IS NOT NULL)", "AND (ABS(Ordinamento)>'2')"});
        sql.ExecQuery();
        fMode = sql.Eof() ? 1 : 2;
        sql.Close();
    }
    auto originOf = [&](const QString& field, const QString& stored) {
        const int custom = CampiPersonalizzati.indexOf(field);
        if (custom >= 0 && custom < CampiPersonalizzatiDecodifica.size())
            return CampiPersonalizzatiDecodifica[custom];
        return stored.isEmpty() ? field : stored;
    };
    if (fMode == 1) {
        sql.SetSQL(QStringList{select} + KeyLines() + QStringList{"AND (Ordinamento IS NOT NULL)"});
        sql.ExecQuery();
        if (sql.Eof()) {
            fOrdField.clear();
            fOrdOrigin.clear();
            fOrdColumn = -1;
            fOrdDirection = 1;
        } else if (sql.FieldByName("ORDINAMENTO").AsInteger() != 0) {
            fOrdDirection = sql.FieldByName("ORDINAMENTO").AsInteger();
            fOrdField = sql.FieldByName("NOMECAMPO").AsString();
            fOrdOrigin = originOf(fOrdField, sql.FieldByName("ORIGINE").AsString());
            fOrdColumn = sql.FieldByName("POSIZIONE").AsInteger();
        }
    } else {
        sql.SetSQL(QStringList{QStringLiteral("SELECT ABS(Ordinamento) AS ORD,Ordinamento,"
                                              "NomeCampo,Origine,Posizione FROM \"%1\"")
                                   .arg(TabellaAspettoGriglia)} +
                   KeyLines() + QStringList{"AND (Ordinamento IS NOT NULL) ORDER BY ORD"});
        fMulti.clear();
        for (sql.ExecQuery(); !sql.Eof(); sql.Next()) {
            const int ord = sql.FieldByName("ORDINAMENTO").AsInteger();
            if (ord == 0)
                continue;
            const QString field = sql.FieldByName("NOMECAMPO").AsString();
            fMulti.push_back({field, originOf(field, sql.FieldByName("ORIGINE").AsString()),
                              sql.FieldByName("POSIZIONE").AsInteger(), ord < 1 ? 2 : 1});
        }
    }
    sql.Close();
    if (!OrderBy || TipoTabella != 0)
        return;

    // Orderings apply to columns the base query really has (or custom fields).
    QStringList origins;
    if (!SQLIniziale.isEmpty()) {
        auto scratch = CreaTransazioneReadCommitted(*fQuery->Database());
        TIBSQL base(fQuery->Database(), scratch.get());
        base.ParamCheck = false;
        base.SetSQL(SQLIniziale);
        base.Prepare();
        for (const TFieldInfo& f : base.FieldInfos())
            if (!f.relation.isEmpty())
                origins << (f.relation + '.' + f.name).toUpper();
    }
    auto applies = [&](const QString& field, const QString& origin) {
        return CampiPersonalizzati.contains(field) || origins.contains(origin.toUpper());
    };
    if (fMode == 1 && !fOrdField.isEmpty()) {
        if (applies(fOrdField, fOrdOrigin))
            fQuery->SQL << QStringLiteral("ORDER BY ") + fOrdOrigin +
                               (fOrdDirection == 2 ? QStringLiteral(" DESC") : QString());
        return;
    }
    if (fMode == 2 && !fMulti.empty()) {
        bool first = true;
        for (const TOrdEntry& e : fMulti) {
            if (!applies(e.field, e.origin))
                continue;
            fQuery->SQL << (first ? QStringLiteral("ORDER BY ") : QStringLiteral(",")) + e.origin +
                               (e.direction == 2 ? QStringLiteral(" DESC") : QString());
            first = false;
        }
        return;
    }
    if (!ChiavePrimariaOrdDefault || NomeTabellaQuery.isEmpty())
        return;
    sql.SetSQL(QStringList{
        "SELECT B.RDB$FIELD_NAME", "FROM RDB$RELATION_CONSTRAINTS A LEFT JOIN",
        "RDB$INDEX_SEGMENTS B ON", "(A.RDB$INDEX_NAME=B.RDB$INDEX_NAME)",
        QStringLiteral("WHERE (A.RDB$RELATION_NAME='%1')").arg(Quoted(NomeTabellaQuery)),
        "AND(A.RDB$CONSTRAINT_TYPE='PRIMARY KEY')", "ORDER BY B.RDB$FIELD_POSITION"});
    QStringList keys;
    for (sql.ExecQuery(); !sql.Eof(); sql.Next())
        keys << NomeTabellaQuery + '.' + sql.Fields(0).AsString().remove(' ');
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

#include "ZavoLayoutStore.h"

#include "framework/core/ZavoError.h"
#include "framework/db/DBConnection.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"
#include "framework/db/UpdateSQL.h"

#include <QtMath>

TZavoLayoutStore::TZavoLayoutStore(TIBDatabase& database, const QString& layoutTable, int project,
                                   int situation, int user)
    : fDatabase(database), fTable(layoutTable), fProject(project), fSituation(situation),
      fUser(user) {}

QStringList TZavoLayoutStore::KeyLines() const {
    return {QStringLiteral("WHERE (CodiceSituazione=%1)").arg(fSituation),
            QStringLiteral("AND (CodiceUtente=%1)").arg(fUser),
            QStringLiteral("AND (CodiceProgetto=%1)").arg(fProject)};
}

std::vector<TZavoLayoutRow> TZavoLayoutStore::ReadRows() const {
    auto tr = CreaTransazione(fDatabase, TTipoTransazione::ReadCommitted);
    TIBSQL sql(&fDatabase, tr.get());
    sql.ParamCheck = false;
    sql.SetSQL(QStringList{QStringLiteral("SELECT * FROM \"%1\"").arg(fTable)} + KeyLines());
    std::vector<TZavoLayoutRow> rows;
    for (sql.ExecQuery(); !sql.Eof(); sql.Next()) {
        TZavoLayoutRow r;
        r.field = sql.FieldByName("NOMECAMPO").AsString();
        r.title = sql.FieldByName("NOMECOLONNA").AsString();
        r.origin = sql.FieldByName("ORIGINE").AsString();
        r.position = sql.FieldByName("POSIZIONE").AsInteger();
        r.width = qRound(sql.FieldByName("LARGHEZZA").AsDouble());
        r.colour = sql.FieldByName("COLORECOLONNA").AsInteger();
        // Shown unless VISIBILE is 0: a NULL is not 0.
        r.visible = sql.FieldByName("VISIBILE").IsNull() || sql.FieldByName("VISIBILE").AsInteger();
        if (!sql.FieldByName("ORDINAMENTO").IsNull())
            r.ordinamento = sql.FieldByName("ORDINAMENTO").AsInteger();
        rows.push_back(r);
    }
    return rows;
}

std::vector<TOrdEntry> TZavoLayoutStore::Orderings(const std::vector<TZavoLayoutRow>& rows,
                                                   const QStringList& customFields,
                                                   const QStringList& customDecodings) {
    std::vector<TOrdEntry> stored;
    for (const TZavoLayoutRow& r : rows) {
        if (!r.ordinamento)
            continue;
        TOrdEntry e;
        e.field = r.field;
        const int custom = customFields.indexOf(e.field);
        e.origin = custom >= 0 && custom < customDecodings.size() ? customDecodings[custom]
                   : r.origin.isEmpty()                           ? e.field
                                                                  : r.origin;
        e.column = r.position;
        e.direction = *r.ordinamento;
        stored.push_back(e);
    }
    std::stable_sort(stored.begin(), stored.end(), [](const TOrdEntry& a, const TOrdEntry& b) {
        return std::abs(a.direction) < std::abs(b.direction);
    });
    return stored;
}

bool TZavoLayoutStore::Save(const std::vector<TZavoLayoutRow>& columns, bool checkOrdering,
                            bool rewrite) const {
    auto tr = CreaTransazione(fDatabase, TTipoTransazione::Snapshot);
    TIBSQL read(&fDatabase, tr.get());
    read.ParamCheck = false;
    read.SetSQL(QStringList{QStringLiteral("SELECT * FROM \"%1\"").arg(fTable)} + KeyLines() +
                QStringList{QStringLiteral("ORDER BY Posizione")});
    read.ExecQuery();
    const int count = static_cast<int>(columns.size());
    int sizeNome = 31, sizeColonna = 31, sizeOrigine = 64;
    if (read.FieldIndex("NOMECAMPO") >= 0) {
        sizeNome = read.FieldByName("NOMECAMPO").Info().Size();
        sizeColonna = read.FieldByName("NOMECOLONNA").Info().Size();
        sizeOrigine = read.FieldByName("ORIGINE").Info().Size();
    }
    bool changed = rewrite;
    int rows = 0;
    for (; !read.Eof(); read.Next(), ++rows) {
        if (rows >= count) {
            changed = true;
            continue;
        }
        const TZavoLayoutRow& c = columns[rows];
        if (read.FieldByName("NOMECAMPO").AsString() != c.field ||
            read.FieldByName("POSIZIONE").AsInteger() != rows ||
            qRound(read.FieldByName("LARGHEZZA").AsDouble()) != c.width)
            changed = true;
        // A column only hidden or shown again is a change too.
        const bool storedVisible = read.FieldIndex("VISIBILE") < 0 ||
                                   read.FieldByName("VISIBILE").IsNull() ||
                                   read.FieldByName("VISIBILE").AsInteger() != 0;
        if (storedVisible != c.visible)
            changed = true;
        if (checkOrdering && c.ordinamento &&
            read.FieldByName("ORDINAMENTO").AsInteger() != *c.ordinamento)
            changed = true;
    }
    read.Close();
    if (rows != count)
        changed = true;
    if (!changed)
        return false;

    TIBSQL del(&fDatabase, tr.get());
    del.ParamCheck = false;
    del.SetSQL(QStringList{QStringLiteral("DELETE FROM \"%1\"").arg(fTable)} + KeyLines());
    del.ExecQuery();
    TIBSQL ins(&fDatabase, tr.get());
    ins.SetSQL(QStringList{QStringLiteral("INSERT INTO %1(").arg(fTable),
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
                           QString::number(fProject) + ',',
                           QString::number(fSituation) + ',',
                           QString::number(fUser) + ',',
                           ":NOMECAMPO,",
                           ":LARGHEZZA,",
                           ":POSIZIONE,",
                           ":NOMECOLONNA,",
                           ":ORDINAMENTO,",
                           ":VISIBILE,",
                           ":COLORECOLONNA,",
                           ":ORIGINE",
                           ")"});
    for (int i = 0; i < count; ++i) {
        const TZavoLayoutRow& c = columns[i];
        ins.ParamByName("NOMECAMPO").SetString(c.field.left(sizeNome));
        ins.ParamByName("ORIGINE").SetString(c.origin.toUpper().left(sizeOrigine));
        ins.ParamByName("NOMECOLONNA").SetString(c.title.left(sizeColonna));
        ins.ParamByName("POSIZIONE").SetInteger(i);
        ins.ParamByName("LARGHEZZA").SetInteger(c.width);
        ins.ParamByName("COLORECOLONNA").SetInteger(c.colour);
        ins.ParamByName("VISIBILE").SetInteger(c.visible ? 1 : 0);
        if (c.ordinamento)
            ins.ParamByName("ORDINAMENTO").SetInteger(*c.ordinamento);
        else
            ins.ParamByName("ORDINAMENTO").SetNull();
        ins.ExecQuery();
    }
    tr->Commit();
    return true;
}

void TZavoLayoutStore::Reset(const QString& placementTable) const {
    auto tr = CreaTransazione(fDatabase, TTipoTransazione::Snapshot);
    TIBSQL sql(&fDatabase, tr.get());
    sql.ParamCheck = false;
    sql.SetSQL(QStringList{QStringLiteral("DELETE FROM \"%1\"").arg(fTable)} + KeyLines());
    sql.ExecQuery();
    sql.SetSQL(QStringList{"DELETE FROM " + placementTable, "WHERE",
                           QStringLiteral("  CODICESITUAZIONE=%1").arg(fSituation), "  AND",
                           QStringLiteral("  CODICEUTENTE=%1").arg(fUser), "  AND",
                           QStringLiteral("  CODICEPROGETTO=%1").arg(fProject)});
    sql.ExecQuery();
    tr->Commit();
}

QString TZavoLayoutStore::ListQuery() const {
    return (QStringList{QStringLiteral("SELECT NomeCampo, NomeColonna, ColoreColonna, Visibile, "
                                       "Posizione FROM \"%1\"")
                            .arg(fTable)} +
            KeyLines())
        .join('\n');
}

QStringList TZavoLayoutStore::ModifyLines() const {
    TIBUpdateSQL update;
    GeneraSQLAggiornamento(fDatabase, ListQuery(), fTable, QStringLiteral("UPDATE"), update);
    return update.ModifySQL << QStringLiteral("WHERE (CodiceSituazione=%1)").arg(fSituation)
                            << QStringLiteral("AND(CodiceUtente=%1)").arg(fUser)
                            << QStringLiteral("AND(Posizione=:Posizione)")
                            << QStringLiteral("AND(CodiceProgetto=%1)").arg(fProject);
}

TZavoGridSettings TZavoLayoutStore::ReadSettings(TIBDatabase& database,
                                                 const QString& settingsTable, int project,
                                                 int user) {
    auto tr = CreaTransazione(database, TTipoTransazione::ReadCommitted);
    TIBSQL sql(&database, tr.get());
    sql.ParamCheck = false;
    sql.SetSQL(QStringList{QStringLiteral("SELECT * FROM \"%1\"").arg(settingsTable),
                           QStringLiteral("WHERE (CodiceUtente=%1)").arg(user),
                           QStringLiteral("AND (CodiceProgetto=%1)").arg(project)});
    TZavoGridSettings s;
    sql.ExecQuery();
    if (!sql.Eof()) {
        auto colour = [&](const char* column, int fallback) {
            const int v = sql.FieldByName(column).AsInteger();
            return v == 0 ? fallback : v;
        };
        s.coloreRecordSelezionato = colour("COLORERECORDSELEZ", s.coloreRecordSelezionato);
        s.coloreCampiIndicizzati = colour("COLORECAMPIINDIC", s.coloreCampiIndicizzati);
        s.coloreCampoOrdinamento = colour("COLORECAMPOORD", s.coloreCampoOrdinamento);
        s.timerRicerca = sql.FieldByName("ABILITATIMERRIC").AsInteger() == 1;
        s.ricercaF5Sempre = sql.FieldByName("ABILITARICF5SEMPRE").AsInteger() == 1;
    }
    sql.Close();
    try {
        TIBSQL tabx(&database, tr.get());
        tabx.ParamCheck = false;
        tabx.SetSQL(QStringList{"SELECT", "  TESTO", "FROM", "  TABX", "WHERE",
                                "  NOME='DisabilitaMemPosGriglie'", "  AND",
                                QStringLiteral("  UTENTE=%1").arg(user)});
        tabx.ExecQuery();
        if (!tabx.Eof())
            s.disabilitaMemPosGriglie = tabx.Fields(0).AsString().trimmed().toInt() == 1;
    } catch (const EZavoError&) {
        // A missing TABX or parameter leaves the flag as it is.
    }
    return s;
}

QStringList TZavoLayoutStore::CreateLayoutTableLines(const QString& table) {
    return {"CREATE TABLE " + table + "(",
            "CODICEPROGETTO Smallint NOT NULL,",
            "CODICESITUAZIONE Smallint NOT NULL,",
            "CODICEUTENTE Smallint NOT NULL,",
            "NOMECAMPO Varchar(31) NOT NULL,",
            "LARGHEZZA Float,",
            "POSIZIONE Smallint,",
            "NOMECOLONNA Varchar(31),",
            "ORDINAMENTO Smallint,",
            "VISIBILE Smallint,",
            "COLORECOLONNA Integer,",
            "ORIGINE Varchar(64),",
            "CONSTRAINT STOASP1_CHIAVEPRIMARIA PRIMARY KEY "
            "(CODICEPROGETTO,CODICESITUAZIONE,CODICEUTENTE,NOMECAMPO));"};
}

QStringList TZavoLayoutStore::CreateSettingsTableLines(const QString& table) {
    return {"CREATE TABLE " + table + "(",
            "CODICEPROGETTO Smallint NOT NULL,",
            "CODICEUTENTE Smallint NOT NULL,",
            "COLORERECORDSELEZ Integer,",
            "COLORECAMPIINDIC Integer,",
            "ABILITATIMERRIC Smallint,",
            "ABILITARICF5SEMPRE Smallint,",
            "COLORECAMPOORD Integer,",
            "CONSTRAINT SETGRID_CHIAVEPRIMARIA PRIMARY KEY (CODICEPROGETTO,CODICEUTENTE));"};
}

// The configurable grid over a real archive: layouts in STOASP1, orderings by title, settings.
#include "framework/core/ScriptedDialogs.h"
#include "framework/core/ZavoError.h"
#include "framework/db/IBDatabase.h"
#include "framework/grid/EditData.h"
#include "framework/grid/FrameZavoGrid.h"
#include "framework/grid/PZavoGridForm.h"
#include "framework/grid/RZavoGridForm.h"
#include "framework/grid/ZavoGrid.h"
#include "framework/grid/ZavoGridExcel.h"
#include "framework/grid/ZavoQuery.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QMap>
#include <QMenu>
#include <QProcess>

#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <sys/stat.h>

#include "support/TestSupport.h"

#include <QHeaderView>

namespace {
/// A list in the frame every list of the product uses.
struct TOwner {
    TFrameZavoGrid frame;
    TZavoQuery& query;
    TZavoGrid& grid;
    QStringList& base;

    TOwner(TIBDatabase& db, bool small = true)
        : query(*frame.Query()), grid(*frame.ZavoGrid()), base(frame.SQL) {
        base = QStringList{"SELECT T.A, T.B, T.C, T.D FROM T"};
        frame.SetDatabase(&db, 1);
        frame.SetTableName("T");
        frame.SetSituazione(4);
        grid.TabellaPiccola = small;
        frame.resize(600, 300);
    }
    void Close() { frame.Close(); }
    QString OrderBy() const {
        return query.SQL.filter("ORDER BY").join(' ') +
               query.SQL.filter(QRegularExpression("^,")).join(' ');
    }
};
} // namespace

class Grid : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDatabaseFromScripts(fFolder.Path("a.fdb"), {"archive_schema.sql"});
        fDb.SetDatabaseName(fFolder.Path("a.fdb"));
        fDb.Open();
        ExecSql(fDb, "CREATE TABLE T (A INTEGER NOT NULL, B INTEGER NOT NULL, C VARCHAR(20), "
                     "D DATE, CONSTRAINT PK_T PRIMARY KEY (A, B))");
        ExecSql(fDb, "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 2500) DO BEGIN "
                     "INSERT INTO T VALUES (:I / 10, MOD(:I, 10), 'riga ' || :I, "
                     "DATEADD(:I DAY TO DATE '2026-01-01')); I = I + 1; END END");
        ExecSql(fDb, "CREATE SEQUENCE SCRITTURE");
        ExecSql(fDb, "CREATE TRIGGER CONTA FOR STOASP1 AFTER INSERT OR UPDATE OR DELETE AS "
                     "DECLARE X BIGINT; BEGIN X = GEN_ID(SCRITTURE, 1); END");
    }
    qint64 Writes() {
        return QueryValue(fDb, "SELECT GEN_ID(SCRITTURE, 0) FROM RDB$DATABASE").toLongLong();
    }
    QVariant Ordinamento(const char* field) {
        return QueryValue(
            fDb, QString("SELECT ORDINAMENTO FROM STOASP1 WHERE NOMECAMPO='%1'").arg(field));
    }
    TTestFolder fFolder;
    TIBDatabase fDb;
};

TEST_F(Grid, FetchesLazilyInChunks) {
    TOwner o(fDb);
    o.query.Open();
    EXPECT_EQ(o.query.RecordCount(), TZavoQuery::kChunk);
    EXPECT_TRUE(o.query.canFetchMore());
    EXPECT_EQ(o.query.FieldOrigin(2), "T.C");
    EXPECT_TRUE(o.query.Locate({"A", "B"}, {QVariant(180), QVariant(3)}));
    EXPECT_EQ(o.query.RecordCount(), 2000);
    EXPECT_EQ(o.query.Value(o.query.RecNo(), 2).toString(), "riga 1803");
    EXPECT_FALSE(o.query.Locate({"A"}, {QVariant(99999)}));
    EXPECT_TRUE(o.query.AllFetched());
    EXPECT_EQ(o.query.RecordCount(), 2500);
}

TEST_F(Grid, FirstCloseWritesTheLayoutAndAnUnchangedCloseWritesNothing) {
    {
        TOwner o(fDb);
        o.query.Open();
        EXPECT_EQ(o.query.SQL.last(), "ORDER BY T.A,T.B"); // primary key by default
        o.Close();
    }
    EXPECT_EQ(QueryValue(fDb, "SELECT COUNT(*) FROM STOASP1").toInt(), 4);
    EXPECT_EQ(QueryValue(fDb, "SELECT ORIGINE FROM STOASP1 WHERE NOMECAMPO='C'").toString(), "T.C");
    const qint64 after = Writes();
    {
        TOwner o(fDb);
        o.query.Open();
        o.Close();
    }
    EXPECT_EQ(Writes(), after);

    // The user's layout comes back: order, width, title, colour, visibility.
    ExecSql(fDb, "UPDATE STOASP1 SET POSIZIONE=3 WHERE NOMECAMPO='A'");
    ExecSql(fDb, "UPDATE STOASP1 SET POSIZIONE=0, LARGHEZZA=101, NOMECOLONNA='Descrizione', "
                 "COLORECOLONNA=255 WHERE NOMECAMPO='D'");
    ExecSql(fDb, "UPDATE STOASP1 SET VISIBILE=0, LARGHEZZA=77 WHERE NOMECAMPO='B'");
    ExecSql(fDb, "INSERT INTO STOASP1 (CODICEPROGETTO, CODICESITUAZIONE, CODICEUTENTE, NOMECAMPO, "
                 "POSIZIONE, LARGHEZZA) VALUES (537, 4, 1, 'SPARITO', 1, 80)");
    TOwner o(fDb);
    o.query.Open();
    QHeaderView* h = o.grid.horizontalHeader();
    EXPECT_EQ(h->logicalIndex(0), 3); // D first
    EXPECT_EQ(h->logicalIndex(3), 0); // A last
    EXPECT_EQ(FindColumnByField(o.grid, "A"), 3);
    EXPECT_EQ(FindColumnByField(o.grid, "a"), -1); // exact names only
    EXPECT_EQ(o.grid.columnWidth(3), 101);
    EXPECT_EQ(o.query.Title(3), "Descrizione");
    EXPECT_EQ(o.query.ColumnColor(3), QColor(255, 0, 0));
    EXPECT_FALSE(o.grid.isColumnHidden(3));
    EXPECT_TRUE(o.grid.isColumnHidden(1));
    EXPECT_EQ(o.grid.ColumnWidth(1), 77); // a hidden column keeps its width
    o.grid.setCurrentIndex(o.query.index(0, 3));
    o.grid.DimezzaLarghezzaColonna();
    EXPECT_EQ(o.grid.columnWidth(3), 50);
    o.Close(); // the vanished field's row goes, every row is rewritten
    EXPECT_EQ(QueryValue(fDb, "SELECT COUNT(*) FROM STOASP1 WHERE NOMECAMPO='SPARITO'").toInt(), 0);
    EXPECT_EQ(QueryValue(fDb, "SELECT LARGHEZZA FROM STOASP1 WHERE NOMECAMPO='D'").toInt(), 50);
    EXPECT_EQ(QueryValue(fDb,
                         "SELECT CAST(LARGHEZZA AS INTEGER) || '/' || VISIBILE FROM STOASP1 WHERE "
                         "NOMECAMPO='B'")
                  .toString(),
              "77/0");
}

TEST_F(Grid, DoubleClickOrdersOneColumnAscendingThenDescending) {
    TOwner o(fDb);
    o.query.Open();
    const int c = o.grid.horizontalHeader()->visualIndex(2);
    const std::pair<int, const char*> expected[] = {
        {1, "ORDER BY T.C"}, {2, "ORDER BY T.C DESC"}, {1, "ORDER BY T.C"}};
    for (const auto& [direction, orderBy] : expected) {
        o.grid.OrdinaPerTitolo(c, false);
        EXPECT_EQ(Ordinamento("C").toInt(), direction);
        EXPECT_EQ(o.query.SQL.last(), orderBy);
        EXPECT_EQ(o.query.TitleColor(2), o.grid.ColoreCampoOrdinamento());
    }
    EXPECT_EQ(o.query.Value(0, 2).toString(), "riga 0");
}

TEST_F(Grid, CtrlDoubleClicksBuildAMultiColumnOrdering) {
    TOwner o(fDb);
    o.query.Open();
    o.grid.OrdinaPerTitolo(2, true); // C
    o.grid.OrdinaPerTitolo(3, true); // D
    o.grid.OrdinaPerTitolo(0, true); // A
    EXPECT_EQ(o.grid.ModoOrdinamento(), 2);
    EXPECT_EQ(Ordinamento("C").toInt(), 10);
    EXPECT_EQ(Ordinamento("D").toInt(), 20);
    EXPECT_EQ(Ordinamento("A").toInt(), 30);
    EXPECT_EQ(o.query.SQL.mid(o.query.SQL.size() - 3),
              QStringList({"ORDER BY T.C", ",T.D", ",T.A"}));
    EXPECT_EQ(o.query.TitleColor(2), o.grid.ColoreCampoOrdinamento());
    EXPECT_EQ(o.query.TitleColor(3), TZavoGrid::FromStored(0x00B4B4F3));
    EXPECT_EQ(o.query.TitleColor(0), TZavoGrid::FromStored(0x0077A4FF));
    o.grid.OrdinaPerTitolo(3, true); // D again: descending
    EXPECT_EQ(Ordinamento("D").toInt(), -20);
    EXPECT_EQ(o.query.SQL.mid(o.query.SQL.size() - 2), QStringList({",T.D DESC", ",T.A"}));
    o.grid.OrdinaPerTitolo(2, false); // back to one column, on C
    EXPECT_EQ(o.grid.ModoOrdinamento(), 1);
    EXPECT_EQ(o.grid.CampoOrdinamento(), "C");
    EXPECT_TRUE(Ordinamento("D").isNull() || Ordinamento("D").toInt() == 0);
    EXPECT_TRUE(Ordinamento("A").isNull());
    EXPECT_TRUE(o.query.SQL.last().startsWith("ORDER BY T.C"));
    EXPECT_FALSE(o.query.TitleColor(3).isValid());
}

TEST_F(Grid, LargeListsOrderOnlyOnIndexedFields) {
    TScopedDialogs dialogs;
    TOwner o(fDb, false);
    o.grid.CampiIndicizzati = "A;C";
    o.query.Open();
    EXPECT_EQ(o.query.TitleColor(0), o.grid.ColoreCampiIndicizzati());
    EXPECT_FALSE(o.query.TitleColor(3).isValid());
    const QStringList before = o.query.SQL;
    o.grid.OrdinaPerTitolo(3, false);
    EXPECT_EQ(dialogs->Texts(),
              QStringList({"Attenzione: Non è possibile eseguire la ricerca su un campo non "
                           "indicizzato di una tabella di grandi dimensioni"}));
    EXPECT_EQ(o.query.SQL, before);
    EXPECT_TRUE(o.query.Active());
}

TEST_F(Grid, CheckTabZavoGridCreatesMissingTables) {
    ExecSql(fDb, "DROP TRIGGER CONTA");
    ExecSql(fDb, "DROP TABLE STOASP1");
    ExecSql(fDb, "DROP TABLE SETGRID");
    TZavoGrid bare; // the tables are checked before any list is attached
    bare.DatabaseImpostazioni = &fDb;
    EXPECT_NO_THROW(bare.CheckTabZavoGrid());
    TOwner o(fDb);
    EXPECT_EQ(QueryValue(fDb, "SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME IN "
                              "('STOASP1','STOPOS1','SETGRID','TABX')")
                  .toInt(),
              4);
    o.query.Open();
    o.Close();
    EXPECT_EQ(QueryValue(fDb, "SELECT COUNT(*) FROM STOASP1").toInt(), 4);
}

// --- searching ---------------------------------------------------------------------------------

struct SearchCase {
    int field;
    TParametriRicerca p;
    bool baseHasWhere;
    const char* condition;
};

class GridSearch : public Grid, public ::testing::WithParamInterface<SearchCase> {};

TEST_P(GridSearch, BuildsTheConditionLine) {
    const SearchCase& c = GetParam();
    TOwner o(fDb);
    if (c.baseHasWhere)
        o.base = QStringList{"SELECT T.A, T.B, T.C, T.D FROM T", "WHERE T.A < 100"};
    o.query.Open();
    o.grid.EseguiRicerca(c.field, c.p);
    EXPECT_EQ(o.grid.SQLFiltro, QString::fromUtf8(c.condition));
    if (*c.condition)
        EXPECT_TRUE(o.query.SQL.contains(QString::fromUtf8(c.condition)));
    else
        EXPECT_EQ(o.query.SQL.filter("WHERE(").size(), 0); // an empty string: the base list
    EXPECT_TRUE(o.query.Active());
}

TParametriRicerca P(const char* testo, int tipo, bool upper = true, const char* d1 = "",
                    const char* d2 = "") {
    TParametriRicerca p;
    p.testo = QString::fromUtf8(testo);
    p.tipo = tipo;
    p.upper = upper;
    p.ordinamento = 0;
    p.data1 = d1;
    p.data2 = d2;
    return p;
}

INSTANTIATE_TEST_SUITE_P(
    , GridSearch,
    ::testing::Values(
        SearchCase{2, P("ab", 2), false, "WHERE(UPPER(T.C) LIKE 'AB%')"},
        SearchCase{2, P("ab", 1, false), false, "WHERE(T.C LIKE '%ab%')"},
        SearchCase{2, P("riga 9", 0), true, "AND(UPPER(T.C) >= 'RIGA 9')"},
        SearchCase{0, P("5", 0), false, "WHERE(T.A >= '5')"},
        SearchCase{0, P("5", 2), false, "WHERE(T.A >= '5')"}, // "LIKE %" not for numbers
        SearchCase{0, P("5", 1), false, "WHERE(T.A LIKE '%5%')"},
        SearchCase{3, P("", 0, true, "05/03/2024"), false, "WHERE(T.D >= '03/05/2024')"},
        SearchCase{3, P("", 0, true, "05/03/2024", "10/03/2024"), false,
                   "WHERE(T.D >= '03/05/2024')AND(T.D <= '03/10/2024')"},
        SearchCase{2, P("l'anno", 2, false), false,
                   "WHERE(T.C LIKE 'l''anno%' OR T.C LIKE 'l´anno%')"},
        SearchCase{2, P("", 2), false, ""}),
    CaseIndex());

TEST_F(Grid, ConditionsSurviveTheOwnersRefreshButNotTheAllColumnsSearch) {
    TOwner o(fDb);
    o.query.Open();
    o.grid.EseguiRicerca(2, P("riga 12", 2));
    const int filtered = o.query.RecordCount();
    EXPECT_EQ(filtered, 111); // riga 12, 120–129, 1200–1299
    o.Close();
    o.query.Open(); // the owner's re-query
    EXPECT_TRUE(o.query.SQL.contains("WHERE(UPPER(T.C) LIKE 'RIGA 12%')"));
    EXPECT_EQ(o.query.RecordCount(), filtered);

    o.grid.RicercaGenerica("riga 2499");
    const int w = o.query.SQL.indexOf("WHERE(");
    ASSERT_GE(w, 0);
    EXPECT_EQ(
        o.query.SQL.mid(w, 6),
        QStringList({"WHERE(", "(T.A CONTAINING 'RIGA 2499')", "OR(T.B CONTAINING 'RIGA 2499')",
                     "OR(T.C CONTAINING 'RIGA 2499')", "OR(T.D CONTAINING 'RIGA 2499')", ")"}));
    EXPECT_EQ(o.query.RecordCount(), 1);
    EXPECT_TRUE(o.grid.SQLFiltro.isEmpty());
    o.Close();
    o.query.Open();
    EXPECT_EQ(o.query.RecordCount(), TZavoQuery::kChunk); // unfiltered again

    o.grid.EseguiRicerca(2, P("riga 12", 2));
    o.grid.AnnullaRicerca(); // F6
    EXPECT_TRUE(o.grid.SQLFiltro.isEmpty());
    EXPECT_EQ(o.query.SQL.mid(0, 1), o.base);
    EXPECT_TRUE(o.query.SQL.filter("WHERE").isEmpty());
    EXPECT_EQ(o.query.RecordCount(), TZavoQuery::kChunk);
}

TEST_F(Grid, TheSearchDialogRunsOnEnterGivesTheBaseBackOnEscAndIsRemembered) {
    TOwner o(fDb);
    o.query.Open();
    o.grid.EseguiRicerca(2, P("riga 7", 2)); // an earlier condition in force
    o.grid.setCurrentIndex(o.query.index(0, 2));
    bool sawDialog = false;
    QTimer::singleShot(0, [&] {
        TRZavoGridForm* form = o.grid.SearchDialog(); // the grid's own reference
        ASSERT_NE(form, nullptr);
        sawDialog = true;
        EXPECT_EQ(form->windowTitle(), "Ricerca su C");
        QTest::keyClicks(form->EditStringa, "l'a");
        EXPECT_EQ(form->EditStringa->text(), QString::fromUtf8("l´a"));
        form->EditStringa->clear();
        QTest::keyClick(form->EditStringa, Qt::Key_Escape);
    });
    o.grid.AttivaRicerche();
    ASSERT_TRUE(sawDialog);
    EXPECT_TRUE(o.grid.SQLFiltro.isEmpty());
    EXPECT_TRUE(o.query.SQL.filter("WHERE").isEmpty()); // the base list, its ordering kept
    EXPECT_FALSE(o.grid.RicercaInCorso);
    EXPECT_EQ(QueryValue(fDb, "SELECT COUNT(*) FROM STOPOS1 WHERE CODICESITUAZIONE=4").toInt(), 1);

    o.grid.setCurrentIndex(o.query.index(0, 2));
    QTimer::singleShot(0, [&] {
        TRZavoGridForm* form = o.grid.SearchDialog();
        form->SetTipoRicerca(TRZavoGridForm::trIniziaCon);
        form->CheckUpper->setChecked(false);
        QTest::keyClicks(form->EditStringa, "riga 24");
        QTest::keyClick(form->EditStringa, Qt::Key_Return);
    });
    o.grid.AttivaRicerche();
    EXPECT_EQ(o.grid.SQLFiltro, "WHERE(T.C LIKE 'riga 24%')");
    EXPECT_EQ(o.query.RecordCount(), 111)
        << o.query.SQL.join(" ").toStdString() << " active " << o.query.Active();
    EXPECT_EQ(QueryValue(fDb, "SELECT INFO3 || '/' || INFO4 FROM STOPOS1").toString(), "2/0");
}

TEST_F(Grid, BasicAspectCancelledChangesNothingConfirmedDeletesTheRows) {
    TScopedDialogs dialogs;
    TOwner o(fDb);
    o.query.Open();
    o.Close();
    o.query.Open();
    ExecSql(fDb, "INSERT INTO STOPOS1 (CODICEPROGETTO, CODICESITUAZIONE, CODICEUTENTE, POSX) "
                 "VALUES (537, 4, 1, 10)");
    TPZavoGridForm form(o.grid, fDb);
    EXPECT_EQ(form.Lista->rowCount(), 4);
    const qint64 before = Writes();
    dialogs->answers.push_back(false); // Cancel
    form.AspettoBase();
    EXPECT_EQ(Writes(), before);
    EXPECT_EQ(form.Lista->rowCount(), 4);
    dialogs->answers.push_back(true); // OK
    form.AspettoBase();
    EXPECT_EQ(QueryValue(fDb, "SELECT COUNT(*) FROM STOPOS1").toInt(), 0);
    // The owner's layout is what is stored now.
    EXPECT_EQ(QueryValue(fDb, "SELECT COUNT(*) FROM STOASP1").toInt(), 4);
    EXPECT_FALSE(o.grid.RecuperoAspettoBaseInCorso);
    // An edited title is written back.
    form.Lista->item(0, 1)->setText("Codice A");
    form.Chiudi();
    EXPECT_EQ(QueryValue(fDb, "SELECT NOMECOLONNA FROM STOASP1 WHERE POSIZIONE=0").toString(),
              "Codice A");
}

// The customisation dialog keeps what was edited however it is closed (Esc here); visibility is
// a check box, the colour a swatch set through the picker (a double-click on it).
TEST_F(Grid, CustomisationKeptOnEscWithACheckBoxAndAColourSwatch) {
    TScopedDialogs dialogs;
    TOwner o(fDb);
    o.query.Open();
    o.Close();
    TPZavoGridForm form(o.grid, fDb);
    ASSERT_EQ(form.Lista->rowCount(), 4);
    QTableWidgetItem* visible = form.Lista->item(1, 3);
    EXPECT_TRUE(visible->flags() & Qt::ItemIsUserCheckable);
    EXPECT_EQ(visible->text(), "");
    EXPECT_EQ(form.Lista->item(1, 2)->text(), ""); // a swatch, not a decimal number
    visible->setCheckState(Qt::Unchecked);
    form.Lista->item(1, 1)->setText("Nuovo titolo");
    dialogs->colorAnswers.push_back(0x0000FF);
    emit form.Lista->cellDoubleClicked(1, 2);
    form.show();
    form.grab().save("personalizzazione_griglia.png");
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_FALSE(form.isVisible());
    const QString field = form.Lista->item(1, 0)->text();
    EXPECT_EQ(QueryValue(fDb, QStringLiteral("SELECT NOMECOLONNA || ':' || VISIBILE || ':' || "
                                             "COLORECOLONNA FROM STOASP1 WHERE NOMECAMPO='%1'")
                                  .arg(field))
                  .toString(),
              "Nuovo titolo:0:255");
}

TEST_F(Grid, APerUserFlagKeepsTheWindowsChangesInANegativeCopy) {
    ExecSql(fDb, "INSERT INTO TABX (CODICE, NOME, TESTO, UTENTE) VALUES (1, "
                 "'DisabilitaMemPosGriglie', '1', 1)");
    TOwner o(fDb);
    EXPECT_TRUE(o.grid.DisabilitaMemPosGriglie);
    o.query.Open();
    EXPECT_EQ(o.grid.Situazione(), 4);
    EXPECT_EQ(QueryValue(fDb, "SELECT COUNT(*) FROM STOASP1 WHERE CODICESITUAZIONE=-4").toInt(), 4);
    EXPECT_EQ(QueryValue(fDb, "SELECT COUNT(*) FROM STOASP1 WHERE CODICESITUAZIONE=4").toInt(), 0);
}

struct DateTyping {
    const char* typed;
    const char* text;
    int selectionStart; // -1: nothing selected
};
class EditDataRules : public ::testing::TestWithParam<DateTyping> {};

TEST_P(EditDataRules, CompleteTheDateAsTyped) {
    TEditData edit;
    edit.setText(GetParam().typed);
    edit.ApplyTypingRules();
    EXPECT_EQ(edit.text(), GetParam().text);
    EXPECT_EQ(edit.hasSelectedText() ? edit.selectionStart() : -1, GetParam().selectionStart);
}

INSTANTIATE_TEST_SUITE_P(, EditDataRules,
                         ::testing::Values(DateTyping{"05", "05/", -1}, DateTyping{"5/", "05/", -1},
                                           DateTyping{"51", "51", 0},
                                           DateTyping{"05/06", "05/06/", -1},
                                           DateTyping{"05/13", "05/13", 3},
                                           DateTyping{"05/06/07", "05/06/2007", -1},
                                           DateTyping{"05/06/98", "05/06/1998", -1},
                                           DateTyping{"05/06/20", "05/06/20", -1},
                                           DateTyping{"05/06/x1", "05/06/x1", 6}),
                         CaseIndex());

namespace {
/// The cells of an .xlsx's first sheet: "A2" → "t:value" (t: s string, n number), read from its
/// XML with unzip.
QMap<QString, QString> Celle(const QString& file, int sheet = 1) {
    QProcess unzip;
    unzip.start("unzip", {"-p", file, QStringLiteral("xl/worksheets/sheet%1.xml").arg(sheet)});
    unzip.waitForFinished(30000);
    const QString xml = QString::fromUtf8(unzip.readAllStandardOutput());
    QMap<QString, QString> cells;
    static const QRegularExpression cell(
        "<c r=\"([A-Z]+[0-9]+)\"([^>]*)>(?:<v>([^<]*)</v>|<is><t[^>]*>([^<]*)</t></is>)</c>");
    for (auto it = cell.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        const bool text = m.captured(2).contains("inlineStr") || m.captured(2).contains("t=\"s\"");
        cells[m.captured(1)] =
            (text ? "s:" : "n:") + (m.captured(4).isEmpty() ? m.captured(3) : m.captured(4));
    }
    return cells;
}
} // namespace

// "Esporta in Excel…": every row of the searched list (not only those fetched), the visible
// columns in their order with their titles, numbers and dates as typed cells; a stop and an
// unwritable target leave no file.
TEST_F(Grid, AListToExcelHoldsExactlyTheRowsOfItsSearch) {
    TScopedDialogs dialogs;
    TOwner o(fDb);
    o.query.Open();
    o.grid.EseguiRicerca(2, [] {
        TParametriRicerca p;
        p.testo = "riga 1";
        p.tipo = 2;
        return p;
    }()); // "riga 1…": 1, 10..19, 100..199, 1000..1999 = 1111 rows
    o.grid.horizontalHeader()->hideSection(1);
    o.query.SetTitle(2, "Descrizione");
    const QString file = fFolder.Path("elenco.xlsx");
    dialogs->fileAnswers.push_back(file);
    o.grid.EsportaExcel();
    EXPECT_EQ(dialogs->Texts().last(), QStringLiteral("Esportate 1111 righe in \"%1\"").arg(file));
    const QMap<QString, QString> cells = Celle(file);
    EXPECT_EQ(cells.value("A1"), "s:A");
    EXPECT_EQ(cells.value("B1"), "s:Descrizione"); // B hidden: C moves up
    EXPECT_EQ(cells.value("C1"), "s:D");
    EXPECT_TRUE(cells.contains("A1112"));
    EXPECT_FALSE(cells.contains("A1113"));
    EXPECT_EQ(cells.value("A2").left(2), "n:");
    EXPECT_TRUE(cells.value("B2").startsWith("s:riga 1")) << cells.value("B2").toStdString();
    EXPECT_EQ(cells.value("C2").left(2), "n:"); // a date is a number with a date format
    int rows = 0;
    for (auto it = cells.begin(); it != cells.end(); ++it)
        if (it.key().startsWith('B') && it.key() != "B1")
            rows += it.value().startsWith("s:riga 1") ? 1 : 0;
    EXPECT_EQ(rows, 1111);

    // A stop at the first progress: nothing written, nothing left beside it.
    TZavoGridExcel job;
    job.Database = &fDb;
    job.SQL = "SELECT * FROM T";
    job.Colonne = {{"A", "A", 50}};
    job.FileName = fFolder.Path("fermato.xlsx");
    job.Progresso = [](int) { return false; };
    EXPECT_FALSE(job.Esegui());
    EXPECT_FALSE(QFileInfo::exists(job.FileName));
    EXPECT_EQ(QDir(fFolder.Path()).entryList({"*fermato*"}, QDir::Files | QDir::Hidden),
              QStringList());
    // A folder that is not there: an Italian message, no file.
    job.Progresso = nullptr;
    job.FileName = fFolder.Path("manca/elenco.xlsx");
    try {
        job.Esegui();
        FAIL();
    } catch (const EZavoError& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("Impossibile scrivere il file \"%1\": la cartella non esiste")
                      .arg(job.FileName));
    }
}

// What the export writes is what it says it wrote: rows past a worksheet's limit go on in the
// next one, a text past Excel's limit is cut and named, dates before 1900 and booleans are shown
// as text, and the file gets the mode of the one it replaces or of a new file, never 0600.
TEST_F(Grid, AListToExcelSaysWhatItWrote) {
    ExecSql(fDb, "CREATE TABLE X (ID INTEGER, TESTO BLOB SUB_TYPE TEXT, D DATE, B BOOLEAN)");
    ExecSql(fDb, "EXECUTE BLOCK AS DECLARE T BLOB SUB_TYPE TEXT = ''; DECLARE I INTEGER = 0; "
                 "BEGIN WHILE (I < 40) DO BEGIN T = T || LPAD('', 1000, 'a'); I = I + 1; END "
                 "INSERT INTO X VALUES (1, :T, DATE '2024-03-01', TRUE); END");
    ExecSql(fDb, "INSERT INTO X VALUES (2, 'breve', DATE '1850-05-01', FALSE)");
    for (int i = 3; i <= 5; ++i)
        ExecSql(fDb, QStringLiteral("INSERT INTO X VALUES (%1, 'riga', NULL, NULL)").arg(i));
    struct Case {
        const char* name;
        int perSheet;
        int existingMode; // 0: no file there yet
        int sheets;
        QFile::Permissions mode;
    };
    const auto rw = QFile::ReadOwner | QFile::WriteOwner;
    const Case cases[] = {
        {"one sheet, a new file", 1048575, 0, 1, rw | QFile::ReadGroup | QFile::ReadOther},
        {"two rows a sheet: three sheets", 2, 0, 3, rw | QFile::ReadGroup | QFile::ReadOther},
        {"an existing file keeps its mode", 1048575, 0640, 1, rw | QFile::ReadGroup},
    };
    const mode_t oldMask = umask(022);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TZavoGridExcel job;
        job.Database = &fDb;
        job.SQL = "SELECT * FROM X ORDER BY ID";
        job.Colonne = {
            {"ID", "N.", 40}, {"TESTO", "Testo", 80}, {"D", "Data", 60}, {"B", "Attivo", 40}};
        job.FileName = fFolder.Path(QStringLiteral("x%1.xlsx").arg(c.perSheet + c.existingMode));
        job.RighePerFoglio = c.perSheet;
        QFile::Permissions before;
        if (c.existingMode) {
            QFile old(job.FileName);
            ASSERT_TRUE(old.open(QIODevice::WriteOnly));
            old.write("vecchio");
            old.close();
            ASSERT_EQ(chmod(QFile::encodeName(job.FileName).constData(), c.existingMode), 0);
        }
        int rows = 0;
        ASSERT_TRUE(job.Esegui(&rows));
        EXPECT_EQ(rows, 5);
        EXPECT_EQ(job.Fogli, c.sheets);
        EXPECT_EQ(job.CelleTagliate, QStringList{"riga 1, colonna \"Testo\""});
        const QString message = job.Resoconto(rows);
        EXPECT_TRUE(message.contains("riga 1, colonna \"Testo\"")) << message.toStdString();
        EXPECT_EQ(message.contains(QStringLiteral("su %1 fogli").arg(c.sheets)), c.sheets > 1)
            << message.toStdString();
        EXPECT_EQ(QFile::permissions(job.FileName) &
                      ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
                  c.mode);
        const QMap<QString, QString> first = Celle(job.FileName);
        EXPECT_EQ(first.value("B2").size(), 2 + 32767);
        EXPECT_EQ(first.value("C2").left(2), "n:");
        EXPECT_EQ(first.value("D2"), QString::fromUtf8("s:Sì"));
        EXPECT_EQ(first.value("C3"), "s:01/05/1850");
        EXPECT_EQ(first.value("D3"), "s:No");
        const QMap<QString, QString> last = Celle(job.FileName, c.sheets);
        EXPECT_EQ(last.value("A1"), "s:N."); // every sheet has the titles
        EXPECT_EQ(last.value(QStringLiteral("A%1").arg(c.sheets == 1 ? 6 : 2)), "n:5");
        EXPECT_EQ(QDir(fFolder.Path()).entryList({".x*"}, QDir::Files | QDir::Hidden),
                  QStringList());
    }
    umask(oldMask);
}

TEST_F(Grid, MenuEntriesTitleDoubleClickAndNumericSearchChoices) {
    TScopedDialogs dialogs;
    TOwner o(fDb);
    o.query.Open();
    const QList<QAction*> actions = o.grid.Menu()->actions();
    ASSERT_EQ(actions.size(), 8); // the list's seven, then "Esporta in Excel…"
    const QStringList captions{"Ricerca su campo Corrente",
                               "Annulla ricerca",
                               "Ricerca su chiave ",
                               "Query",
                               "Dimezza larghezza colonna",
                               "Personalizza Griglia",
                               "Stampa",
                               "Esporta in Excel…"};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(actions[i]->text(), captions[i]);
    EXPECT_EQ(actions[0]->shortcut(), QKeySequence(Qt::Key_F5));
    EXPECT_EQ(actions[1]->shortcut(), QKeySequence(Qt::Key_F6));
    EXPECT_EQ(actions[3]->shortcut(), QKeySequence(Qt::Key_F8));
    EXPECT_EQ(actions[4]->shortcut(), QKeySequence(Qt::Key_F9));
    EXPECT_FALSE(actions[2]->isVisible());
    actions[3]->trigger(); // the query tool is not there yet: said, not crashed
    EXPECT_EQ(dialogs->shown.size(), 1u);

    // A real double-click on a title orders by that column.
    QHeaderView* h = o.grid.horizontalHeader();
    o.frame.show();
    const QPoint title(h->sectionViewportPosition(2) + 5, h->height() / 2);
    QTest::mouseDClick(h->viewport(), Qt::LeftButton, Qt::NoModifier, title);
    EXPECT_EQ(o.grid.CampoOrdinamento(), "C");
    EXPECT_EQ(o.query.SQL.last(), "ORDER BY T.C");

    // On a numeric column "LIKE %" is not offered; a remembered "LIKE %" falls back to ">=".
    ExecSql(fDb, "INSERT INTO STOPOS1 (CODICEPROGETTO, CODICESITUAZIONE, CODICEUTENTE, POSX, POSY, "
                 "INFO3, INFO4, INFO1) VALUES (537, 4, 1, 5, 5, 2, 1, 0)");
    o.grid.setCurrentIndex(o.query.index(0, 0));
    int offered = -1, chosen = -1;
    QTimer::singleShot(0, [&] {
        TRZavoGridForm* form = o.grid.SearchDialog();
        offered = form->TipoRicerca->buttons().size();
        chosen = form->TipoRicercaScelto();
        QTest::keyClick(form->EditStringa, Qt::Key_Escape);
    });
    o.grid.AttivaRicerche();
    EXPECT_EQ(offered, 2);
    EXPECT_EQ(chosen, TRZavoGridForm::trMaggioreUguale);

    o.grid.RicercaGenerica("o'k"); // both spellings, the quote doubled inside its literal
    EXPECT_TRUE(o.query.SQL.contains(
        QString::fromUtf8("OR(T.C CONTAINING 'O''K' OR T.C CONTAINING 'O´K')")));
    EXPECT_TRUE(o.query.SQL.filter(QString::fromUtf8("T.A CONTAINING 'O´K'")).isEmpty());
    EXPECT_TRUE(o.query.Active());
}

// --- faults: errors in slots, refused searches, the per-window copy, titles, menu --------------

namespace {
/// Makes every write to STOASP1 fail while the generator BLOCCA is 1.
void RefuseLayoutWrites(TIBDatabase& db) {
    ExecSql(db, "CREATE SEQUENCE BLOCCA");
    ExecSql(db, "CREATE EXCEPTION LAYOUT_RIFIUTATO 'layout rifiutato'");
    ExecSql(db, "CREATE TRIGGER RIFIUTA FOR STOASP1 BEFORE INSERT OR UPDATE OR DELETE AS "
                "BEGIN IF (GEN_ID(BLOCCA, 0) = 1) THEN EXCEPTION LAYOUT_RIFIUTATO; END");
}
void SetRefusal(TIBDatabase& db, bool on) {
    ExecSql(db, QString("ALTER SEQUENCE BLOCCA RESTART WITH %1").arg(on ? 1 : 0));
}
QAction* Entry(TOwner& o, int i) {
    return o.grid.MenuEntries().at(i);
}
} // namespace

TEST_F(Grid, ErrorsInsideSlotsAreShownAndTheListStaysUsable) {
    RefuseLayoutWrites(fDb);
    TScopedDialogs dialogs;
    TOwner o(fDb);
    o.frame.show();
    o.query.Open();
    o.Close();
    o.query.Open();
    SetRefusal(fDb, true);
    auto refusedOnce = [&](const char* what) {
        EXPECT_EQ(dialogs->shown.size(), 1u) << what;
        if (!dialogs->shown.empty()) {
            EXPECT_EQ(dialogs->shown[0].kind, TDialogs::Kind::Error) << what;
            EXPECT_TRUE(dialogs->shown[0].text.contains("layout rifiutato")) << what;
        }
        dialogs->Clear();
        EXPECT_TRUE(o.query.Active()) << what;
        EXPECT_FALSE(o.grid.RicercaInCorso) << what;
        EXPECT_EQ(o.grid.SearchDialog(), nullptr) << what;
    };

    // A real double-click on a title: the new ordering cannot be stored.
    QHeaderView* h = o.grid.horizontalHeader();
    QTest::mouseDClick(h->viewport(), Qt::LeftButton, Qt::NoModifier,
                       QPoint(h->sectionViewportPosition(2) + 5, h->height() / 2));
    refusedOnce("title");

    o.grid.SetColumnWidth(1, 33); // every later layout save has something to write
    Entry(o, 0)->trigger();       // F5
    refusedOnce("F5");
    Entry(o, 1)->trigger(); // F6
    refusedOnce("F6");
    Entry(o, 5)->trigger(); // Personalizza Griglia
    refusedOnce("Personalizza");

    // Esc in the search dialog when the base list cannot be reopened.
    SetRefusal(fDb, false);
    o.grid.setCurrentIndex(o.query.index(0, 2));
    QTimer::singleShot(0, [&] {
        o.grid.SQLIniziale = QStringList{"SELECT T.A, T.NESSUNA FROM T"};
        QTest::keyClick(o.grid.SearchDialog()->EditStringa, Qt::Key_Escape);
    });
    o.grid.AttivaRicerche();
    ASSERT_EQ(dialogs->shown.size(), 1u);
    // The user reads the kind in Italian; the engine's text naming the column is the detail.
    EXPECT_TRUE(dialogs->shown[0].text.startsWith("Errore dell'archivio"));
    EXPECT_TRUE(dialogs->shown[0].detail.contains("NESSUNA"));
    EXPECT_FALSE(o.grid.RicercaInCorso);
    dialogs->Clear();
    o.Close();
    o.query.Open(); // the owner's next refresh works
    EXPECT_TRUE(o.query.Active());

    // The customisation dialog: a title over 31 characters, and a reset that cannot delete.
    TPZavoGridForm form(o.grid, fDb);
    form.Lista->item(0, 1)->setText(QString(40, 'T'));
    EXPECT_EQ(dialogs->shown.size(), 1u);
    EXPECT_EQ(form.Lista->item(0, 1)->text(), "A"); // the list shows what is stored
    dialogs->Clear();
    SetRefusal(fDb, true);
    dialogs->answers.push_back(true); // OK to the basic-aspect warning
    QPushButton* base = nullptr;
    for (QPushButton* b : form.findChildren<QPushButton*>())
        if (b->text() == "Aspetto Base")
            base = b;
    ASSERT_NE(base, nullptr);
    base->click();
    EXPECT_EQ(dialogs->Texts().filter("layout rifiutato").size(), 1);
    EXPECT_FALSE(o.grid.RecuperoAspettoBaseInCorso);
    SetRefusal(fDb, false);
}

TEST_F(Grid, ARefusedColumnSearchLeavesTheListAsItWas) {
    TScopedDialogs dialogs;
    TOwner o(fDb);
    o.query.Open();
    o.grid.EseguiRicerca(2, P("riga 1", 2)); // a condition in force
    const QStringList sql = o.query.SQL;
    const QString filtro = o.grid.SQLFiltro;
    const int rows = o.query.RecordCount();
    // Texts a numeric column cannot compare with: each is refused in Italian before the
    // database is asked.
    for (const char* text : {"l'anno", "è", "abc", "1' OR '1'='1", "%", "12,5,1"}) {
        try {
            o.grid.EseguiRicerca(0, P(text, 0));
            ADD_FAILURE() << text;
        } catch (const EZavoError& e) {
            EXPECT_EQ(e.Message(),
                      QStringLiteral("'%1' non è un numero valido").arg(QString::fromUtf8(text)));
        }
        EXPECT_EQ(o.grid.SQLFiltro, filtro) << text;
        EXPECT_EQ(o.query.SQL, sql) << text;
        EXPECT_TRUE(o.query.Active()) << text;
        EXPECT_EQ(o.query.RecordCount(), rows) << text;
    }
    o.Close();
    o.query.Open(); // the owner's refresh still carries the earlier condition, and works
    EXPECT_EQ(o.query.SQL.filter("WHERE(").size(), 1);
    EXPECT_EQ(o.query.RecordCount(), rows);
}

TEST_F(Grid, ARefusedAllColumnsSearchEndsTheSearch) {
    TOwner o(fDb);
    o.query.Open();
    const QStringList sql = o.query.SQL;
    // A literal longer than the database accepts.
    EXPECT_THROW(o.grid.RicercaGenerica(QString(40000, 'x')), EZavoError);
    EXPECT_FALSE(o.grid.RicercaInCorso);
    EXPECT_EQ(o.query.SQL, sql);
    EXPECT_TRUE(o.query.Active());
    for (int i = 0; i < 3; ++i) { // refreshes keep one ORDER BY
        o.Close();
        o.query.Open();
        EXPECT_EQ(o.query.SQL.filter("ORDER BY").size(), 1);
    }
}

TEST_F(Grid, F5AndF6EndTheirSearchWhenTheStoreFails) {
    RefuseLayoutWrites(fDb);
    TScopedDialogs dialogs;
    TOwner o(fDb);
    o.query.Open();
    // The dialog's stored position cannot be read.
    ExecSql(fDb, "DROP TABLE STOPOS1");
    o.grid.setCurrentIndex(o.query.index(0, 2));
    EXPECT_THROW(o.grid.AttivaRicerche(), EZavoError);
    EXPECT_EQ(o.grid.SearchDialog(), nullptr);
    EXPECT_FALSE(o.grid.RicercaInCorso);
    o.Close();
    o.query.Open();
    EXPECT_EQ(o.query.SQL.last(), "ORDER BY T.A,T.B"); // orderings are appended again

    // F6 when the layout cannot be saved.
    o.grid.SetColumnWidth(0, 41);
    SetRefusal(fDb, true);
    EXPECT_THROW(o.grid.AnnullaRicerca(), EZavoError);
    EXPECT_FALSE(o.grid.RicercaInCorso);
    SetRefusal(fDb, false);
}

TEST_F(Grid, EnterKeepsTheSearchDialogOpenWhenTheSearchIsRefused) {
    TScopedDialogs dialogs;
    TOwner o(fDb);
    o.query.Open();
    o.grid.setCurrentIndex(o.query.index(0, 0)); // numeric column A
    bool stillOpen = false;
    QTimer::singleShot(0, [&] {
        TRZavoGridForm* form = o.grid.SearchDialog();
        QTest::keyClicks(form->EditStringa, "x'y");
        QTest::keyClick(form->EditStringa, Qt::Key_Return);
        QTimer::singleShot(0, [&] {
            TRZavoGridForm* again = o.grid.SearchDialog();
            stillOpen = again && again->isVisible();
            if (again)
                QTest::keyClick(again->EditStringa, Qt::Key_Escape);
        });
    });
    o.grid.AttivaRicerche();
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(dialogs->shown.size(), 1u); // the refusal, once
    EXPECT_TRUE(o.grid.SQLFiltro.isEmpty());
    EXPECT_TRUE(o.query.Active());
    EXPECT_EQ(o.query.RecordCount(), TZavoQuery::kChunk);
}

TEST_F(Grid, TheCustomisationDialogEditsTheWindowsOwnCopy) {
    {
        TOwner master(fDb); // the layout every new window starts from
        master.query.Open();
        master.Close();
    }
    ExecSql(fDb, "INSERT INTO TABX (CODICE, NOME, TESTO, UTENTE) VALUES (1, "
                 "'DisabilitaMemPosGriglie', '1', 1)");
    TOwner o(fDb);
    o.query.Open();
    ASSERT_EQ(o.grid.SituazioneMemorizzata(), -4);
    TPZavoGridForm form(o.grid, fDb);
    ASSERT_EQ(form.Lista->rowCount(), 4);
    form.Lista->item(0, 1)->setText("Copia");
    form.Chiudi();
    o.grid.RecuperaAspettodaStorico();
    EXPECT_EQ(o.query.Title(o.grid.horizontalHeader()->logicalIndex(0)), "Copia");
    EXPECT_EQ(QueryValue(fDb, "SELECT NOMECOLONNA FROM STOASP1 WHERE CODICESITUAZIONE=-4 AND "
                              "POSIZIONE=0")
                  .toString(),
              "Copia");
    EXPECT_EQ(QueryValue(fDb, "SELECT NOMECOLONNA FROM STOASP1 WHERE CODICESITUAZIONE=4 AND "
                              "POSIZIONE=0")
                  .toString(),
              "A");
}

TEST_F(Grid, StoredLooksApplyAsStoredAndSearchableTitlesAreAlwaysMarked) {
    {
        TOwner first(fDb);
        first.query.Open();
        first.Close();
    }
    ExecSql(fDb, "UPDATE STOASP1 SET VISIBILE=NULL WHERE NOMECAMPO='A'");
    ExecSql(fDb, "UPDATE STOASP1 SET NOMECOLONNA='', LARGHEZZA=0 WHERE NOMECAMPO='C'");
    TOwner o(fDb); // a small list
    o.grid.CampiIndicizzati = "a;D";
    o.query.Open();
    EXPECT_FALSE(o.grid.isColumnHidden(0)); // NULL is not 0: shown
    EXPECT_EQ(o.query.Title(2), "");
    EXPECT_EQ(o.grid.ColumnWidth(2), 0);
    EXPECT_EQ(o.query.TitleColor(0), o.grid.ColoreCampiIndicizzati());
    EXPECT_EQ(o.query.TitleColor(3), o.grid.ColoreCampiIndicizzati());
    EXPECT_FALSE(o.query.TitleColor(2).isValid());
}

TEST_F(Grid, MenuEntriesFollowTheRulesBeforeTheMenuIsEverShown) {
    TScopedDialogs dialogs;
    TOwner o(fDb);
    // The list is not open: the last five entries are off, and so are their keys.
    for (int i : {3, 4, 5, 6})
        EXPECT_FALSE(Entry(o, i)->isEnabled()) << i;
    const int width = o.grid.columnWidth(0);
    Entry(o, 4)->trigger(); // F9 does nothing
    EXPECT_EQ(o.grid.columnWidth(0), width);
    o.query.Open();
    for (int i : {3, 4, 5, 6})
        EXPECT_TRUE(Entry(o, i)->isEnabled()) << i;
    o.Close();
    EXPECT_FALSE(Entry(o, 4)->isEnabled());

    // Without a table name there is no query tool and no printing; F5 as the owner says.
    o.frame.SetTableName("");
    o.grid.AbilitaRicercheF5 = false;
    o.query.Open();
    EXPECT_FALSE(Entry(o, 0)->isEnabled());
    EXPECT_FALSE(Entry(o, 3)->isEnabled());
    EXPECT_FALSE(Entry(o, 6)->isEnabled());
    EXPECT_TRUE(Entry(o, 4)->isEnabled());
    o.grid.AbilitaRicercheF5 = true;
    o.grid.AbilitaRicercheF5 = false; // changed after the update: the key still refuses
    Entry(o, 0)->setEnabled(true);
    Entry(o, 0)->trigger();
    EXPECT_FALSE(o.grid.RicercaInCorso);
    EXPECT_TRUE(dialogs->shown.empty());
}

TEST_F(Grid, AnOwnersMenuGetsTheEntriesAfterItsOwn) {
    TOwner o(fDb);
    o.query.Open();
    QMenu own;
    own.addAction("Apri scheda");
    int popups = 0;
    bool enabledWhenOwnerRan = true;
    o.grid.SetMenuProprietario(&own, [&] {
        ++popups;
        enabledWhenOwnerRan = Entry(o, 4)->isEnabled();
    });
    const QList<QAction*> actions = own.actions();
    ASSERT_EQ(actions.size(), 10);
    EXPECT_EQ(actions[0]->text(), "Apri scheda");
    EXPECT_TRUE(actions[1]->isSeparator());
    EXPECT_EQ(actions[2]->text(), "Ricerca su campo Corrente");
    EXPECT_EQ(actions[8]->text(), "Stampa");
    EXPECT_EQ(actions[9]->text(), "Esporta in Excel…");
    EXPECT_EQ(o.grid.Menu(), &own);
    o.frame.show();
    emit o.grid.customContextMenuRequested(QPoint(10, 10));
    EXPECT_EQ(popups, 1);
    EXPECT_TRUE(own.isVisible());
    own.hide();
    (void)enabledWhenOwnerRan;
}

TEST_F(Grid, TheFrameKeepsThePlaceAcrossRefreshes) {
    struct TKey : TFieldControl {
        using TFieldControl::TFieldControl;
        QString GetKeyFields() const override { return "A;B"; }
        QVariant GetKeyValues() const override { return QVariantList{Value("A"), Value("B")}; }
    };
    TOwner o(fDb);
    TKey key(&o.query);
    o.frame.SetFieldControl(&key);
    o.frame.RefreshGrid(QVariant(QVariantList{180, 3})); // beyond the first chunk
    ASSERT_TRUE(o.frame.RowSelected());
    EXPECT_EQ(o.query.Value(o.query.RecNo(), 2).toString(), "riga 1803");
    EXPECT_EQ(o.grid.currentIndex().row(), o.query.RecNo());
    o.frame.RefreshGrid(rmCurrentRecord);
    EXPECT_EQ(o.query.Value(o.query.RecNo(), 2).toString(), "riga 1803");
    o.frame.RefreshGrid(rmNextRecord);
    EXPECT_EQ(o.query.Value(o.query.RecNo(), 2).toString(), "riga 1804");

    // At the end, the next row is the one before.
    o.grid.setCurrentIndex(o.query.index(0, 0));
    o.frame.RefreshGrid(QVariant(QVariantList{249, 9}));
    EXPECT_EQ(o.query.Value(o.query.RecNo(), 2).toString(), "riga 2499");
    o.frame.RefreshGrid(rmNextRecord);
    EXPECT_EQ(o.query.Value(o.query.RecNo(), 2).toString(), "riga 2498");

    o.frame.RefreshGrid(TBookmark{1500});
    EXPECT_EQ(o.query.RecNo(), 1500);
    EXPECT_EQ(o.frame.Bookmark().row, 1500);

    // The user's place follows the grid's current row; an empty list has none.
    o.grid.setCurrentIndex(o.query.index(7, 1));
    EXPECT_EQ(o.query.RecNo(), 7);
    o.base = QStringList{"SELECT T.A, T.B, T.C, T.D FROM T WHERE T.A < 0"};
    o.frame.RefreshGrid(rmNextRecord);
    EXPECT_FALSE(o.frame.RowSelected());
    // Default query text from the table name.
    o.base.clear();
    o.frame.RefreshGrid();
    EXPECT_EQ(o.query.SQL.first(), "SELECT * FROM T");
}

// An owner's design: a list without a stored layout opens with its titles and widths that show
// the first screen; the user's stored layout wins; "Aspetto Base" brings the design back.
TEST_F(Grid, AnOwnersDesignOpensFirstAndComesBackWithTheBasicAspect) {
    TScopedDialogs dialogs;
    {
        TOwner o(fDb);
        o.grid.ProgettoColonne = {{"C", {"Descrizione", 0}}, {"D", {"Data", 90}}};
        o.query.Open();
        EXPECT_EQ(o.query.Title(2), "Descrizione");
        EXPECT_EQ(o.query.Title(0), "A"); // no title in the design: the field's name
        EXPECT_EQ(o.grid.columnWidth(3), 90);
        EXPECT_GE(o.grid.columnWidth(2), o.grid.fontMetrics().horizontalAdvance(
                                             o.query.data(o.query.index(0, 2)).toString()));
        o.query.SetTitle(2, "Mio titolo"); // the user's own
        o.Close();
    }
    TOwner o(fDb);
    o.grid.ProgettoColonne = {{"C", {"Descrizione", 0}}, {"D", {"Data", 90}}};
    o.query.Open();
    EXPECT_EQ(o.query.Title(2), "Mio titolo");
    dialogs->answers.push_back(true);
    o.grid.AspettoBase();
    EXPECT_EQ(o.query.Title(2), "Descrizione");
    EXPECT_EQ(o.grid.columnWidth(3), 90);
}

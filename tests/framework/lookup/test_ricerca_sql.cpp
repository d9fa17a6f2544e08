// The lookup's statements on a real archive: conditions by column type, hostile filter texts, the
// fixed filters, key columns and the returned text.
#include "framework/core/ZavoError.h"
#include "framework/db/DBConnection.h"
#include "framework/db/DatabaseError.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"
#include "framework/lookup/ZavoRicerca.h"
#include "framework/lookup/ZavoRicercaSql.h"

#include "support/TestSupport.h"

namespace {
class LookupSql : public DbModeTest {
protected:
    void SetUp() override {
        DbModeTest::SetUp();
        if (IsSkipped())
            return;
        fDb = CreateDb("l.fdb");
        ExecSql(*fDb, "CREATE TABLE MERCE (ID INTEGER NOT NULL PRIMARY KEY, NOME VARCHAR(40), "
                      "PREZZO DOUBLE PRECISION, ARRIVO DATE)");
        ExecSql(*fDb, "EXECUTE BLOCK AS DECLARE I INTEGER = 1; BEGIN WHILE (I <= 130) DO BEGIN "
                      "INSERT INTO MERCE VALUES (:I, 'Merce ' || :I, :I + 0.5, "
                      "DATEADD(:I DAY TO DATE '2024-12-01')); I = I + 1; END END");
        ExecSql(*fDb, "INSERT INTO MERCE VALUES (500, 'L''anno 50% _x\\y', 1.5, NULL)");
        ExecSql(*fDb, "CREATE TABLE UNICO (A INTEGER, B VARCHAR(5), C INTEGER)");
        ExecSql(*fDb, "CREATE UNIQUE INDEX UX_UNICO ON UNICO (B, A)");
        ExecSql(*fDb, "CREATE TABLE LIBERO (X INTEGER, Y INTEGER)");
        fTr = CreaTransazione(*fDb, TTipoTransazione::ReadCommitted);
        fColumns = LeggiColonne(*fDb, *fTr, "MERCE");
    }
    /// The IDs the lookup's query finds with one filter box filled.
    QList<int> Found(const QString& field, const QString& text,
                     const TZavoFiltro* filter = nullptr) {
        TIBSQL sql(fDb.get(), fTr.get());
        sql.ParamCheck = false;
        sql.SetSQL(QueryRicerca("MERCE", fColumns, {{field, text}}, filter) + " ORDER BY ID");
        QList<int> ids;
        for (sql.ExecQuery(); !sql.Eof(); sql.Next())
            ids << sql.FieldByName("ID").AsInteger();
        return ids;
    }
    std::unique_ptr<TIBDatabase> fDb;
    std::unique_ptr<TIBTransaction> fTr;
    std::vector<TColonnaRicerca> fColumns;
};
} // namespace

TEST_P(LookupSql, ConditionsByColumnTypeFindWhatTheUserMeans) {
    ASSERT_EQ(fColumns.size(), 4u);
    EXPECT_EQ(fColumns[2].tipo, "DOUBLE");
    EXPECT_EQ(fColumns[3].tipo, "DATE");
    // A number is searched in its text: 12 finds 12, 112, 120…129.
    const QList<int> twelve = Found("ID", "12");
    EXPECT_EQ(twelve.first(), 12);
    EXPECT_TRUE(twelve.contains(112));
    EXPECT_TRUE(twelve.contains(120));
    EXPECT_EQ(twelve.size(), 12);                     // 12, 112, 120..129
    const QList<int> prices = Found("PREZZO", "1,5"); // 1.5 in the number's text
    EXPECT_TRUE(prices.contains(1) && prices.contains(11) && prices.contains(500));
    EXPECT_EQ(prices.size(), 14); // 1.5, 11.5, 21.5 … 121.5, and 500's 1.5
    EXPECT_EQ(Found("ARRIVO", "31/12/2024"), QList<int>({30})); // month first
    EXPECT_EQ(CondizioneFiltro("ARRIVO", "DATE", "31/12/2024"), " AND ARRIVO = '12-31-2024' ");
    EXPECT_EQ(Found("NOME", "merce 13"), QList<int>({13, 130})); // upper-cased
    EXPECT_THROW(Found("NESSUNO", "x"), EZavoError);             // not in the catalogue
    TIBTransaction tr(fDb.get());
    tr.StartTransaction();
    EXPECT_THROW(LeggiColonne(*fDb, tr, "MANCA"), EZavoError);
}

TEST_P(LookupSql, HostileTextsFindOnlyWhatContainsThemAndNeverChangeTheStatement) {
    const char* texts[] = {"'", "´",  "' OR 1=1 --", "12' OR '1'='1", "%",
                           "_", "\\", "l'anno",      "perché è"};
    for (const char* text : texts) {
        for (const char* field : {"NOME", "ID", "PREZZO"}) {
            QList<int> ids;
            try {
                ids = Found(field, QString::fromUtf8(text));
            } catch (const EZavoError& e) {
                ADD_FAILURE() << text << " on " << field << ": " << e.what();
            }
            // Nothing but the row that holds such text — never the whole table.
            EXPECT_LE(ids.size(), 131) << text;
            if (QString(field) != "NOME")
                EXPECT_TRUE(ids.isEmpty() || QString(text) == "%" || QString(text) == "_")
                    << text << " " << field;
        }
    }
    EXPECT_EQ(Found("NOME", "' OR 1=1 --"), QList<int>());
    EXPECT_EQ(Found("NOME", QString(300, 'x')), QList<int>());
    // A typed apostrophe finds the row stored with it, and one stored with the host's "´".
    ExecSql(*fDb, QString::fromUtf8("INSERT INTO MERCE VALUES (501, 'D´Angelo', 2, NULL)"));
    fTr->Commit();
    fTr->StartTransaction();
    EXPECT_EQ(Found("NOME", "l'anno"), QList<int>({500}));
    EXPECT_EQ(Found("NOME", "d'angelo"), QList<int>({501}));
    EXPECT_EQ(Found("NOME", QString::fromUtf8("d´angelo")), QList<int>({501}));
    // A date the field cannot read, and a text no literal can hold: Italian, no statement.
    for (const QString& text : {QString("31/02/2024"), QString("domani")}) {
        try {
            Found("ARRIVO", text);
            ADD_FAILURE() << text.toStdString();
        } catch (const EZavoError& e) {
            EXPECT_EQ(e.Message(),
                      QString("ARRIVO: '%1' non è una data valida (atteso gg/mm/aaaa)").arg(text));
        }
    }
    EXPECT_EQ(Found("ARRIVO", "1/12/24"), QList<int>()); // read as 01/12/2024: no arrival
    EXPECT_EQ(Found("ARRIVO", "2/12/24"), QList<int>({1}));
    EXPECT_THROW(Found("NOME", QString(40000, 'x')), EZavoError);
    // Apostrophes are measured doubled, as the statement holds them: refused in Italian on every
    // kind of column, never by the engine in English.
    for (const char* field : {"NOME", "ID", "PREZZO", "ARRIVO"}) {
        try {
            Found(field, QString(20000, '\''));
            ADD_FAILURE() << field;
        } catch (const EDatabaseError& e) {
            ADD_FAILURE() << field << ": " << e.what();
        } catch (const EZavoError& e) {
            EXPECT_TRUE(e.Message().contains("troppo lungo") ||
                        e.Message().contains("non è una data valida"))
                << field << ": " << e.what();
        }
    }
    EXPECT_EQ(Found("NOME", QString(8000, '\'')), QList<int>()); // 16,000 once doubled
}

TEST_P(LookupSql, FixedFiltersAndReturnedText) {
    TZavoRicerca r;
    r.FiltroRaw().QueryRaw = "ID > 128";
    EXPECT_EQ(Found("NOME", "", r.Filtro()), QList<int>({129, 130, 500}));
    TZavoRicerca in;
    in.FiltroIn().CampoFiltro = "ID";
    in.FiltroIn().AssegnaQuery({"SELECT ID FROM MERCE", "WHERE NOME = 'Merce 7'"});
    EXPECT_EQ(Found("NOME", "", in.Filtro()), QList<int>({7}));
    TZavoRicerca containing;
    containing.FiltroContaining().CampoFiltro = "NOME";
    containing.FiltroContaining().ValoreContenuto = "e 11";
    EXPECT_EQ(Found("NOME", "", containing.Filtro()).size(), 11); // 11, 110..119
    containing.FiltroContaining().ValoreContenuto = "x' OR 'a'='a";
    EXPECT_EQ(Found("NOME", "", containing.Filtro()), QList<int>());
    EXPECT_EQ(TestoRitorno({"7", "ABC"}), "7;ABC");
    EXPECT_EQ(TestoRitorno({""}), "");
}

TEST_P(LookupSql, KeyColumnsFromThePrimaryKeyAUniqueIndexOrAll) {
    EXPECT_EQ(ColonneChiave(*fDb, *fTr, "MERCE"), QStringList({"ID"}));
    EXPECT_EQ(ColonneChiave(*fDb, *fTr, "UNICO"), QStringList({"B", "A"}));
    EXPECT_EQ(ColonneChiave(*fDb, *fTr, "LIBERO"), QStringList({"X", "Y"}));
}

ZELM_DB_MODES(LookupSql);

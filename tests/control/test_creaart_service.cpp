// The article creation service on the demo archive: the rules in their order, the rows written,
// and that nothing of a failed creation remains.
#include "control/ZelmCreaArtService.h"
#include "framework/db/IBDatabase.h"
#include "framework/session/Session.h"

#include "ServiceWindow.h"
#include "support/TestSupport.h"

namespace {
/// One user's window: a session and its article service.
struct TCreaArt : TFinestraDi<TZelmCreaArtService> {
    using TFinestraDi::TFinestraDi;

    /// Sheet `id`, numbering `numerata` (a CLASSIFICAZIONE5 description) with its sizes.
    std::unique_ptr<TZelmCreaArtContext> Context(int id, const QString& codice,
                                                 const QString& numerata) {
        auto c = std::make_unique<TZelmCreaArtContext>();
        c->SetModel(service->LoadZelmModel(id));
        c->SetCodiceArticolo(codice);
        auto numerate = service->LoadNumerataOperativa();
        for (int i = 0; i < numerate->Count(); ++i)
            if (numerate->Items(i)->Descrizione() == numerata)
                c->SetNumerataOperativa(numerate->Items(i)->Clone());
        if (c->NumerataOperativa())
            c->SetTaglieOperative(service->LoadTaglieOperative(numerata));
        return c;
    }
};
} // namespace

TEST(CreaArtWrap, LinesBreakAfterBlankDashDotUnderscore) {
    const struct {
        QString text;
        QStringList lines;
    } cases[] = {
        {"", {}},
        {"Decolleté in pelle", {"Decolleté in pelle"}},
        {QString(50, 'a'), {QString(50, 'a')}},
        {QString(45, 'a') + " bbbbbbbbbb", {QString(45, 'a'), "bbbbbbbbbb"}},
        {QString(48, 'a') + "-bbbbbbbbbb", {QString(48, 'a') + "-", "bbbbbbbbbb"}},
        {QString(40, 'a') + ".ccc_dddddddddddd", {QString(40, 'a') + ".ccc_", "dddddddddddd"}},
        {QString(60, 'x'), {QString(50, 'x'), QString(10, 'x')}}, // no break: cut at the width
        // The blank is the 51st character: the first line keeps its last word.
        {QString(44, 'a') + " bbbbb ccccc", {QString(44, 'a') + " bbbbb", "ccccc"}},
        {QString(50, 'a') + " bbb", {QString(50, 'a'), "bbb"}},
        // Blanks where a line breaks never start the next one.
        {QString(45, 'a') + "    bbbbbbbbbb", {QString(45, 'a'), "bbbbbbbbbb"}},
        {QString(50, 'a') + "   bbb", {QString(50, 'a'), "bbb"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AvvolgiTesto(c.text, 50), c.lines) << c.text.toStdString();
}

class CreaArtService : public DemoHostTest {
protected:
    void SetUp() override {
        DemoHostTest::SetUp();
        if (IsSkipped())
            return;
        fArchive.SetDatabaseName(fHost.Connection(fHost.archiveDb));
        fArchive.Open();
        // A numbering whose sizes are 36 to 41.
        ExecSql(fArchive, "INSERT INTO CLASSIFICAZIONE5 (CODICE, DESCRIZIONE, DESCRIZIONE1) "
                          "VALUES (9, 'N36-41', 'Numerata 36-41')");
        for (int s = 36; s <= 41; ++s)
            ExecSql(fArchive, QStringLiteral("INSERT INTO TAGLIEOPERATIVE (CODICE, NRIGA, "
                                             "DESCRIZIONE1, DESCRIZIONE2) VALUES ('N36-41', %1, "
                                             "'%2', '%2')")
                                  .arg(s - 35)
                                  .arg(s));
        ExecSql(fArchive, "INSERT INTO CLASSIFICAZIONE5 (CODICE, DESCRIZIONE, DESCRIZIONE1) "
                          "VALUES (10, 'VUOTA', 'Senza taglie')");
    }
    void TearDown() override {
        if (fArchive.Connected())
            fArchive.Close();
    }
    QVariant Value(const QString& sql) { return QueryValue(fArchive, sql); }
    TIBDatabase fArchive;
};
ZELM_DB_MODES(CreaArtService);

TEST_P(CreaArtService, SixSizesGiveSixRowsUnderOneCode) {
    TCreaArt u(1);
    u->StartTransaction();
    auto c = u.Context(1, "DEC-101-F100", "N36-41");
    c->SetFondoDescrizione(QString(45, 'a') + " " + QString(45, 'b') + " " + QString(28, 'c'));
    c->SetForma("F100 punta");
    c->SetCliente(u->LoadCliente("C002"));
    u->ValidateCreazione(*c);
    u->Creazione(*c);
    u->EndTransaction(true);
    EXPECT_EQ(Value("SELECT LIST(ESTENSIONE, ',') FROM (SELECT ESTENSIONE FROM ANAMAG WHERE "
                    "CODICE='DEC-101-F100' ORDER BY ID)")
                  .toString(),
              "36,37,38,39,40,41");
    EXPECT_EQ(Value("SELECT COUNT(DISTINCT ID) FROM ANAMAG WHERE CODICE='DEC-101-F100'").toInt(),
              6);
    EXPECT_EQ(Value("SELECT MIN(DESCRIZIONE1 || '|' || DESCRIZIONE2 || '|' || TIPOARTICOLO || "
                    "'|' || CLASSIFICAZIONE5 || '|' || INFO1 || '|' || CLIENTE || '|' || STATUS "
                    "|| '|' || IIF(DATACREAZIONE = CURRENT_DATE, 'OGGI', 'NO')) FROM ANAMAG WHERE "
                    "CODICE='DEC-101-F100'")
                  .toString(),
              QString(45, 'a') + "|" + QString(45, 'b') + "|F|N36-41|F100 punta|C002|0|OGGI");
    // No last/colour: the column keeps what the article starts with.
    EXPECT_TRUE(
        Value("SELECT MAX(CLASSIFICAZIONE1) FROM ANAMAG WHERE CODICE='DEC-101-F100'").isNull());

    // The same code a second time.
    u->StartTransaction();
    auto again = u.Context(1, "DEC-101-F100", "N36-41");
    try {
        u->ValidateCreazione(*again);
        FAIL() << "accepted twice";
    } catch (const EZavoError& e) {
        EXPECT_EQ(e.Message(), "Codice articolo \"DEC-101-F100\" già presente");
    }
    u->EndTransaction(false);
}

TEST_P(CreaArtService, RulesInTheirOrder) {
    TCreaArt u(1);
    u->StartTransaction();
    const struct {
        int id;
        QString codice, numerata, message;
    } cases[] = {
        {0, "X", "N36-41", "Nessun modello selezionato"},
        {5, "", "", "Modello sospeso"}, // before every other rule
        {1, "", "N36-41", "Codice articolo non specificato"},
        {1, "   ", "N36-41", "Codice articolo non specificato"},
        {1, "X", "", "Numerata operativa non specificata"},
        {1, "X", "VUOTA", "Nessuna taglia operativa collegata alla numerata \"VUOTA\""},
        {1, "DEC-101", "N36-41", "Codice articolo \"DEC-101\" già presente"},
    };
    for (const auto& c : cases) {
        auto context = u.Context(c.id, c.codice, c.numerata);
        try {
            u->ValidateCreazione(*context);
            ADD_FAILURE() << c.message.toStdString();
        } catch (const EZavoError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
    u->EndTransaction(false);
}

// A refusal of the last insert: the rows before it go with the rollback.
TEST_P(CreaArtService, AFailureOnTheLastRowLeavesNoArticle) {
    ExecSql(fArchive, "CREATE EXCEPTION E_TAGLIA 'Taglia 41 rifiutata'");
    ExecSql(fArchive, "CREATE TRIGGER T_TAGLIA FOR ANAMAG BEFORE INSERT AS BEGIN "
                      "IF (NEW.ESTENSIONE = '41') THEN EXCEPTION E_TAGLIA; END");
    TCreaArt u(1);
    u->StartTransaction();
    auto c = u.Context(1, "DEC-LAST", "N36-41");
    u->ValidateCreazione(*c);
    EXPECT_THROW(u->Creazione(*c), EZavoError);
    u->EndTransaction(false);
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ANAMAG WHERE CODICE='DEC-LAST'").toInt(), 0);
}

// Two users with the same code at the same time: the database keeps one creation.
TEST_P(CreaArtService, TwoUsersOneCode) {
    TCreaArt a(1), b(3);
    a->StartTransaction();
    b->StartTransaction();
    auto ca = a.Context(1, "DUE-UTENTI", "N36-41");
    auto cb = b.Context(2, "DUE-UTENTI", "N36-41");
    a->ValidateCreazione(*ca);
    b->ValidateCreazione(*cb); // neither sees the other yet
    a->Creazione(*ca);
    EXPECT_THROW(b->Creazione(*cb), EZavoError);
    b->EndTransaction(false);
    a->EndTransaction(true);
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ANAMAG WHERE CODICE='DUE-UTENTI'").toInt(), 6);
}

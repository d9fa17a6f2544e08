// Session, user, access right and the two parameter stores against a provisioned host folder.
#include "framework/core/ZavoError.h"
#include "framework/db/IBDatabase.h"
#include "framework/session/Session.h"
#include "framework/session/ZavoTabX.h"
#include "framework/session/ZavoUser.h"

#include "support/TestSupport.h"

struct ProfiloCase {
    qint16 profilo;
    TDirittoAccesso diritto;
};
class DirittoAccesso : public ::testing::TestWithParam<ProfiloCase> {};

TEST_P(DirittoAccesso, FollowsTheTensDigitRule) {
    EXPECT_EQ(CalcolaDirittoAccesso(GetParam().profilo), GetParam().diritto)
        << "profilo " << GetParam().profilo;
}

INSTANTIATE_TEST_SUITE_P(
    , DirittoAccesso,
    ::testing::Values(ProfiloCase{25, daSolaLettura}, ProfiloCase{20, daSolaLettura},
                      ProfiloCase{29, daSolaLettura}, ProfiloCase{125, daFull},
                      ProfiloCase{10025, daSolaLettura}, ProfiloCase{31225, daSolaLettura},
                      ProfiloCase{10250, daFull}, ProfiloCase{-25, daFull},
                      ProfiloCase{-1025, daSolaLettura}, ProfiloCase{0, daFull},
                      ProfiloCase{2, daFull}, ProfiloCase{200, daFull}, ProfiloCase{2000, daFull},
                      ProfiloCase{12345, daFull}, ProfiloCase{-2, daFull}, ProfiloCase{30, daFull}),
    CaseIndex());

class SessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        fHost = ProvisionHostFolder(fFolder.Path("host"));
        fGuard = std::make_unique<THostDirGuard>(fHost.root);
    }
    TTestFolder fFolder;
    THostFolder fHost;
    std::unique_ptr<THostDirGuard> fGuard;
};

TEST_F(SessionTest, OpensUserAndArchiveWithTheAccessRight) {
    TSession full(nullptr, 1);
    EXPECT_EQ(full.ZavoUser()->CodiceUtente(), 1);
    EXPECT_EQ(full.ZavoUser()->NomeUtente(), "Mario Rossi");
    EXPECT_EQ(full.ZavoUser()->DittaUtente(), "CALZATURIFICIO BRENTA");
    EXPECT_EQ(full.DirittoAccesso(), daFull);
    EXPECT_TRUE(full.IBDatabase().Connected());
    EXPECT_EQ(full.IBDatabase().DatabaseName(), fHost.archiveDb);
    EXPECT_EQ(full.ParametriTrebon()->TempDir(), fHost.tempDir);
    EXPECT_EQ(full.ParametriTabX()->ZavoTabX(), full.ZavoTabX());
    TSession readOnly(nullptr, 2);
    EXPECT_EQ(readOnly.DirittoAccesso(), daSolaLettura);
}

TEST_F(SessionTest, ConstructionFailuresReachTheCaller) {
    try {
        TSession s(nullptr, 99);
        FAIL();
    } catch (const EZavoError& e) {
        EXPECT_EQ(e.Message(), "Utente 99 non trovato");
    }
    // No "Archivio": the archive is opened on an empty path and the client's error comes back.
    {
        TZavoUser user;
        user.ConnettiDB();
        ExecSql(user.DBUser(), "DELETE FROM TABTREBON WHERE UTENTE=1 AND PARAMETRO='Archivio'");
    }
    EXPECT_THROW(TSession(nullptr, 1), EZavoError);
}

TEST_F(SessionTest, CheckPasswordAndCheckUtenteDitta) {
    TZavoUser user;
    user.ConnettiDB(fHost.userDb);
    user.SetCodiceUtente(1);
    EXPECT_NO_THROW(user.CheckPassword("mario"));
    EXPECT_THROW(user.CheckPassword("Mario"), EZavoError);
    EXPECT_NO_THROW(user.CheckUtenteDitta(3, "SUOLIFICIO ADIGE"));
    try {
        user.CheckUtenteDitta(3, "ALTRA DITTA");
        FAIL();
    } catch (const EZavoError& e) {
        EXPECT_EQ(e.Message(), "Ditta \"ALTRA DITTA\" non trovata nell'utente 3");
    }
    try {
        user.CheckUtenteDitta(42, "CALZATURIFICIO BRENTA");
        FAIL();
    } catch (const EZavoError& e) {
        EXPECT_EQ(e.Message(), "Utente 42 non trovato");
    }
}

TEST_F(SessionTest, ParametersKeepOneRowTheirOrderAndDoubledQuotes) {
    TZavoUser user;
    user.ConnettiDB();
    user.SetCodiceUtente(3);
    user.SetParamTrebon("Directory listino", "D:\\Listini");
    user.SetParamTrebon("Directory listino", "l'anno");
    EXPECT_EQ(QueryValue(user.DBUser(), "SELECT COUNT(*) FROM TABTREBON WHERE UTENTE=3 AND "
                                        "PARAMETRO='Directory listino'")
                  .toInt(),
              1);
    // The next number over all the user's rows, whatever the company (4 are there already).
    EXPECT_EQ(QueryValue(user.DBUser(), "SELECT PROGRESSIVO FROM TABTREBON WHERE UTENTE=3 AND "
                                        "PARAMETRO='Directory listino'")
                  .toInt(),
              5);
    EXPECT_EQ(user.GetParamTrebon("Directory listino"), "l''anno");
    // A quote in the name is a name like any other, not a broken statement.
    EXPECT_EQ(user.GetParamTrebon("Dir'x"), "");
    user.SetDittaUtente("O'Hara");
    EXPECT_EQ(user.GetParamTrebon("Archivio"), "");
}

TEST_F(SessionTest, TrebonTextIsRebuiltPerCompanyInOrderOncePerBatch) {
    TZavoUser user;
    user.ConnettiDB();
    user.SetCodiceUtente(3);
    ExecSql(user.DBUser(), "INSERT INTO TABTREBON (UTENTE, INTESTAZIONE, PARAMETRO, VALORE, "
                           "PROGRESSIVO) VALUES (3, NULL, 'Orfano', 'x', 9)");
    user.SetDittaUtente("SUOLIFICIO ADIGE");
    user.SetParamTrebon("Directory bin", "/opt/bin");
    const QString expected =
        "[CALZATURIFICIO BRENTA]\nArchivio=" + fHost.archiveDb + "\nDirectory bin=" + fHost.binDir +
        "\nDirectory tabelle temporanee=" + fHost.tempDir +
        "\n[SUOLIFICIO ADIGE]\nArchivio=" + fHost.archiveDb + "\nDirectory bin=/opt/bin\n";
    const char* read = "SELECT TREBON FROM UTENTI WHERE CODICE=3";
    EXPECT_EQ(QueryValue(user.DBUser(), read).toString(), expected);

    user.BeginUpdate();
    user.SetParamTrebon("A", "1");
    user.SetParamTrebon("B", "2");
    user.SetParamTrebon("C", "3");
    EXPECT_EQ(QueryValue(user.DBUser(), read).toString(), expected); // not rebuilt yet
    user.EndUpdate();
    EXPECT_EQ(QueryValue(user.DBUser(), read).toString(), expected + "A=1\nB=2\nC=3\n");
}

TEST_F(SessionTest, HandleReachesTheHostLogAndAMissingRowIsNoError) {
    TZavoUser user;
    user.ConnettiDB();
    user.ScritturaHandleDiApertura(2, 4294967295u);
    EXPECT_EQ(QueryValue(user.DBUser(), "SELECT HANDLEFINESTRA FROM SELBALOGFUNZ WHERE "
                                        "IDFINESTRA=2")
                  .toLongLong(),
              4294967295LL);
    EXPECT_NO_THROW(user.ScritturaHandleDiApertura(999, 1));
}

TEST_F(SessionTest, TabXKeepsGlobalAndPerUserRowsApart) {
    TSession session(nullptr, 1);
    TZavoTabX& tabx = *session.ZavoTabX();
    tabx.SetParametroTesto("Colore", "globale", 0);
    tabx.SetParametroTesto("Colore", "di Mario", 1);
    tabx.SetParametroTesto("Colore", "l'anno", 1);
    tabx.SetParametroMemo("Nota", "riga 1\nriga 2", 0);
    EXPECT_EQ(tabx.GetParametroTesto("Colore", 0), "globale");
    EXPECT_EQ(tabx.GetParametroTesto("Colore", 1), "l''anno");
    EXPECT_EQ(tabx.GetParametroTesto("Colore", 2), "");
    EXPECT_EQ(tabx.GetParametroMemo("Nota", 0), "riga 1\nriga 2");
    EXPECT_EQ(QueryValue(session.IBDatabase(), "SELECT COUNT(*) FROM TABX").toInt(), 3);

    tabx.BeginUpdate();
    tabx.SetParametroTesto("Lotto", "in corso", 0);
    EXPECT_EQ(tabx.GetParametroTesto("Lotto", 0), "in corso"); // same transaction
    tabx.EndUpdate();
    EXPECT_EQ(
        QueryValue(session.IBDatabase(), "SELECT TESTO FROM TABX WHERE NOME='Lotto'").toString(),
        "in corso");
}

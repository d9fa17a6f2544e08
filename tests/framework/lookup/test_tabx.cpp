// The lookup's own connection context on a provisioned host folder: user, company, parameters,
// named values, the archive opened (never created) and the handle report.
#include "framework/core/ScriptedDialogs.h"
#include "framework/core/ZavoError.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBTransaction.h"
#include "framework/lookup/TabXForm.h"

#include "support/TestSupport.h"

#include <QFileInfo>

namespace {
class LookupContext : public DemoHostTest {};
} // namespace

TEST_P(LookupContext, UserCompanyParametersAndTheArchive) {
    TTabXForm tabx(nullptr, IniSuDataBase);
    ASSERT_TRUE(tabx.IBDatabaseUser().Connected());
    EXPECT_FALSE(tabx.SetUserPerNum(1));
    EXPECT_EQ(tabx.GetNumUser(), 1);
    EXPECT_EQ(tabx.GetNomeUser(), "Mario Rossi");
    EXPECT_EQ(tabx.PasswordUtenteCorrente, "mario");
    EXPECT_EQ(tabx.NomeProgetto, "CALZATURIFICIO BRENTA");
    const QString archivio = tabx.CaricaParametro("Archivio");
    EXPECT_TRUE(archivio.endsWith("dati/archivio.fdb")) << archivio.toStdString();
    EXPECT_EQ(tabx.CaricaParametro("Nessuno"), "");

    tabx.Inserisci("SFT", "Archivio", "", archivio, "", "", "", "", "1");
    tabx.Inserisci("SFT", "Archivio", "", archivio, "", "", "", "", "1"); // updated, not added
    tabx.Inserisci("ALT", "Altro", "", "x", "", "", "", "", "2");
    EXPECT_EQ(tabx.GetV("Archivio"), archivio);
    EXPECT_EQ(tabx.GetV("Manca"), "");
    tabx.ConnettiDatabase1("Archivio");
    EXPECT_TRUE(tabx.IBDatabase(1).Connected());
    TDataModuleDittaF module(nullptr, &tabx);
    EXPECT_TRUE(module.Transazione2().InTransaction());
    EXPECT_EQ(QueryValue(tabx.IBDatabase(1), "SELECT COUNT(*) FROM ZELMMODEL").toInt() > 0, true);

    // The handle report: the host's row gets it; a row that is not there changes nothing.
    ExecSql(tabx.IBDatabaseUser(), "INSERT INTO SELBALOGFUNZ (IDFINESTRA, UTENTE) VALUES (77, 1)");
    EXPECT_TRUE(tabx.ScritturaHandleDiApertura(77, 4242));
    EXPECT_EQ(QueryValue(tabx.IBDatabaseUser(),
                         "SELECT HANDLEFINESTRA FROM SELBALOGFUNZ WHERE IDFINESTRA=77")
                  .toLongLong(),
              4242);
    EXPECT_TRUE(tabx.ScritturaHandleDiApertura(0, 1));
}

TEST_P(LookupContext, NamesWithQuotesAndAMissingArchive) {
    {
        TTabXForm setup(nullptr, IniSuDataBase);
        ExecSql(setup.IBDatabaseUser(),
                "INSERT INTO UTENTI (CODICE, NOMEUTENTE, DITTA, PWDUTENTE) VALUES (9, "
                "'Anna D''Angelo', 'L''ARTE DEL PIEDE', 'anna')");
        ExecSql(setup.IBDatabaseUser(),
                "INSERT INTO TABTREBON (UTENTE, INTESTAZIONE, PARAMETRO, VALORE) VALUES (9, "
                "'L''ARTE DEL PIEDE', 'Archivio ''vecchio''', 'nessun/percorso.fdb')");
    }
    TTabXForm tabx(nullptr, IniSuDataBase);
    tabx.SetUserPerNum(9);
    EXPECT_EQ(tabx.GetNomeUser(), "Anna D'Angelo");
    EXPECT_EQ(tabx.NomeProgetto, "L'ARTE DEL PIEDE");
    EXPECT_EQ(tabx.CaricaParametro("Archivio 'vecchio'"), "nessun/percorso.fdb");

    // A wrong path: the lookup fails with its message and no database appears there.
    const QString missing = fFolder.Path("dati/manca.fdb");
    tabx.Inserisci("SFT", "Archivio", "", fPrefix + missing, "", "", "", "", "9");
    try {
        tabx.ConnettiDatabase1("Archivio");
        ADD_FAILURE() << "a missing archive opened";
    } catch (const EZavoError& e) {
        EXPECT_TRUE(e.Message().startsWith("Errore apertura archivio")) << e.what();
    }
    EXPECT_FALSE(QFileInfo::exists(missing));
    EXPECT_FALSE(tabx.IBDatabase(1).Connected());
}

TEST_P(LookupContext, AUserDatabaseThatCannotBeOpenedIsToldAndTheLookupGoesOn) {
    TScopedDialogs dialogs;
    TTestFolder empty;
    TTabXForm tabx(nullptr, IniSuDataBase, empty.Path("nessuno"));
    EXPECT_EQ(dialogs->Texts(), QStringList({"Errore inizializzazione database utenti"}));
    EXPECT_FALSE(tabx.IBDatabaseUser().Connected());
    EXPECT_FALSE(QFileInfo::exists(empty.Path("nessuno/user/user.fdb")));
}

ZELM_DB_MODES(LookupContext);

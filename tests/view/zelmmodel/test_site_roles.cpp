// A workstation of a site whose database accounts act through roles, as dati.ini names them: the
// operator's window saves a sheet, the read-only one lists and shows sheets and is told in
// Italian, with nothing changed, when it tries to change one.
#include "ZelmModelFormFixture.h"

#include "SiteRoles.h"

#include "framework/core/IniFile.h"
#include "framework/db/ConnessioniInAttesa.h"
#include "framework/db/DBConnection.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>

class SiteRoles : public ZelmModelFormTest {};
INSTANTIATE_TEST_SUITE_P(, SiteRoles, ::testing::Values(DbMode::Server), DbModeName);

TEST_P(SiteRoles, TheWindowsWorkWithEachRole) {
    namespace sito = zelm::sito;
    const QString user = fHost.Connection(fHost.userDb);
    const QString suffix = QString::number(QCoreApplication::applicationPid());
    const QString oper = "WOP" + suffix, lett = "WLE" + suffix;
    {
        TIBDatabase admin;
        admin.SetDatabaseName(user);
        admin.Open();
        for (const QString& u : {oper, lett})
            ExecSql(admin, QStringLiteral("CREATE OR ALTER USER %1 PASSWORD 'k2026' USING PLUGIN "
                                          "Srp")
                               .arg(u));
    }
    for (const QString& c : {user, fHost.Connection(fHost.archiveDb)}) {
        sito::ApplicaRuoli(c);
        sito::AssegnaRuolo(c, sito::kOperatore, oper);
        sito::AssegnaRuolo(c, sito::kLettura, lett);
    }
    const auto riprendi = qScopeGuard([&] {
        TearDown();
        ConnessioniInAttesa::Chiudi();
        ImpostaCredenzialiSito(QString(), QString());
        TIBDatabase admin;
        admin.SetDatabaseName(user);
        admin.Params = QStringList{"user_name=SYSDBA", "password=" + DbDefaults::Password};
        admin.Open();
        for (const QString& u : {oper, lett})
            ExecSql(admin, "DROP USER " + u + " USING PLUGIN Srp");
    });
    // The workstation's file, as the site's server set-up writes it.
    const auto workstation = [&](const QString& account, const QString& role) {
        TIniFile ini(QFileInfo(fHost.userDb).path() + "/dati.ini");
        ini.WriteString("CONFIG", "Nome Server", qEnvironmentVariable("ZELM_TEST_SERVER"));
        ini.WriteString("CONFIG", "Alias", fHost.userDb);
        ini.WriteString("CONFIG", "Utente", account);
        ini.WriteString("CONFIG", "Password", "k2026");
        ini.WriteString("CONFIG", "Ruolo", role);
    };

    workstation(oper, sito::kOperatore);
    {
        TFormZelmModel& form = *Open(1);
        Select(form, 1);
        Click(form.FrameRicerca->ButtonModifica);
        ASSERT_EQ(form.PaginaCorrente(), 1) << LastText().toStdString();
        form.FrameScheda->findChild<QLineEdit*>("DBEditCodice")->setText("RUOLO-OP");
        Click(form.FrameScheda->ActionSalva);
        EXPECT_EQ(form.PaginaCorrente(), 0) << LastText().toStdString();
        EXPECT_EQ(Value("SELECT CODICE FROM ZELMMODEL WHERE ID=1").toString(), "RUOLO-OP");
        EXPECT_EQ(CredenzialiSitoCorrenti().Ruolo, sito::kOperatore);
    }
    for (const QPointer<TFormZelmModel>& f : fForms)
        delete f.data();
    fForms.clear();
    ConnessioniInAttesa::Chiudi();

    workstation(lett, sito::kLettura);
    fDialogs->Clear();
    TFormZelmModel& form = *Open(1);
    EXPECT_EQ(CredenzialiSitoCorrenti().Utente, lett);
    EXPECT_GT(form.FrameRicerca->FrameZavoGrid->Query()->RecordCount(), 0)
        << LastText().toStdString();
    Select(form, 1);
    Click(form.FrameRicerca->ButtonMostra);
    EXPECT_EQ(form.PaginaCorrente(), 1) << LastText().toStdString();
    EXPECT_EQ(form.FrameScheda->findChild<QLineEdit*>("DBEditCodice")->text(), "RUOLO-OP");
    // From the card shown, as a user of the read-only workstation would try.
    fDialogs->Clear();
    form.FrameScheda->ActionModifica->click();
    QCoreApplication::processEvents();
    if (form.FrameScheda->ActionSalva->isEnabled()) {
        form.FrameScheda->findChild<QLineEdit*>("DBEditCodice")->setText("RUOLO-LE");
        form.FrameScheda->ActionSalva->click();
        QCoreApplication::processEvents();
    }
    EXPECT_TRUE(LastText().contains("Operazione non permessa")) << LastText().toStdString();
    EXPECT_EQ(Value("SELECT CODICE FROM ZELMMODEL WHERE ID=1").toString(), "RUOLO-OP");
}

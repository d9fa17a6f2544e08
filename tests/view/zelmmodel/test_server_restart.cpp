// The archive's server stops and starts again under an open window and under an import batch:
// an Italian message, nothing typed lost, and the work goes on in the same window and batch once
// the server answers. Each case runs its own server, so the restart touches no other test.
#include "ZelmModelFormFixture.h"

#include "PrivateServer.h"

#include "framework/db/ConnessioniInAttesa.h"
#include "framework/grid/FrameZavoGrid.h"
#include "framework/grid/ZavoQuery.h"
#include "framework/lookup/RicercheZavo.h"
#include "framework/lookup/ZavoRicercheForm.h"
#include "framework/session/Session.h"
#include "import/ImportXls.h"

#include "../../import/WorkbookFixture.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QThread>

namespace {
bool Server(const QStringList& args) {
    return PrivateServer(QStringLiteral(ZELM_FBSERVER_SCRIPT), args);
}

bool ConEnglish(const QStringList& texts) {
    for (const QString& t : texts)
        for (const char* word : {"Error", "error", "connection", "shutdown", "socket", "port"})
            if (t.contains(QLatin1String(word)))
                return true;
    return false;
}
} // namespace

class ServerRestart : public ::testing::Test {
protected:
    void SetUp() override {
        if (!QFileInfo::exists(QStringLiteral("/usr/sbin/firebird")))
            GTEST_SKIP() << "Server Firebird non installato";
        fDir = fFolder.Path(QStringLiteral("server"));
        fPort = QString::number(FreeLoopbackPort());
        ASSERT_TRUE(Server({QStringLiteral("start"), fDir, fPort}));
        fHost = ProvisionHostFolder(fFolder.Path(QStringLiteral("host")), true, true,
                                    QStringLiteral("127.0.0.1/%1:").arg(fPort));
        fGuard = std::make_unique<THostDirGuard>(fHost.root);
        fDialogs->Clear();
    }
    void TearDown() override {
        delete fForm.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        SetOnRicercaAperta({});
        ConnessioniInAttesa::Chiudi(); // the lookups' connections, before their server goes
        if (!fDir.isEmpty())
            Server({QStringLiteral("stop"), fDir});
    }
    void Stop() { ASSERT_TRUE(Server({QStringLiteral("stop"), fDir})); }
    void Start() { ASSERT_TRUE(Server({QStringLiteral("start"), fDir, fPort})); }
    /// What the archive holds, read on a connection of the test's own.
    QVariant Value(const QString& sql) {
        TIBDatabase db;
        db.SetDatabaseName(fHost.Connection(fHost.archiveDb));
        db.Open();
        return QueryValue(db, sql);
    }

    TTestFolder fFolder;
    QString fDir, fPort;
    THostFolder fHost;
    std::unique_ptr<THostDirGuard> fGuard;
    TScopedDialogs fDialogs;
    QPointer<TFormZelmModel> fForm;
};

TEST_F(ServerRestart, TheOpenWindowTellsItInItalianKeepsTheCardAndGoesOn) {
    fForm = new TFormZelmModel(1, 1);
    TFormZelmModel& form = *fForm;
    form.show();
    form.FrameRicerca->FrameZavoGrid->RefreshGrid(QVariant(1));
    form.Esegui(cmdModifica);
    ASSERT_EQ(form.PaginaCorrente(), 1) << fDialogs->Texts().join(" / ").toStdString();
    auto* codice = form.FrameScheda->findChild<QLineEdit*>("DBEditCodice");
    codice->setText("RIAVVIO");
    emit codice->editingFinished();

    // The server goes away while the card is open: the save is refused in Italian, the card
    // stays with what was typed.
    Stop();
    fDialogs->Clear();
    form.Esegui(cmdSalva);
    EXPECT_EQ(form.PaginaCorrente(), 1);
    EXPECT_EQ(codice->text(), "RIAVVIO");
    ASSERT_FALSE(fDialogs->shown.empty());
    EXPECT_TRUE(fDialogs->Texts().join(" ").contains("Connessione all'archivio interrotta"))
        << fDialogs->Texts().join(" / ").toStdString();
    EXPECT_FALSE(ConEnglish(fDialogs->Texts())) << fDialogs->Texts().join(" / ").toStdString();

    // Back: the next save reconnects and tells that the interrupted work is to be repeated;
    // the one after stores the card.
    Start();
    fDialogs->Clear();
    form.Esegui(cmdSalva);
    if (form.PaginaCorrente() == 1) {
        EXPECT_TRUE(fDialogs->Texts().join(" ").contains("ripristinata"))
            << fDialogs->Texts().join(" / ").toStdString();
        EXPECT_EQ(codice->text(), "RIAVVIO");
        fDialogs->Clear();
        form.Esegui(cmdSalva);
    }
    EXPECT_EQ(form.PaginaCorrente(), 0) << fDialogs->Texts().join(" / ").toStdString();
    EXPECT_EQ(Value("SELECT CODICE FROM ZELMMODEL WHERE ID=1").toString(), "RIAVVIO");

    // A restart between two commands costs nothing: the list and the card follow at once.
    Stop();
    Start();
    fDialogs->Clear();
    form.FrameRicerca->FrameZavoGrid->RefreshGrid(QVariant(2));
    ASSERT_EQ(form.FrameRicerca->CurrentRecord()->Id(), 2);
    form.Esegui(cmdMostra);
    EXPECT_EQ(form.PaginaCorrente(), 1) << fDialogs->Texts().join(" / ").toStdString();
    EXPECT_EQ(form.FrameScheda->findChild<QLineEdit*>("DBEditCodice")->text(), "MOC-202");
    EXPECT_FALSE(ConEnglish(fDialogs->Texts())) << fDialogs->Texts().join(" / ").toStdString();
    form.Esegui(cmdChiudi);

    // Taking a sheet for editing with the server away is a lost connection, not a lock.
    Stop();
    fDialogs->Clear();
    form.Esegui(cmdModifica);
    EXPECT_EQ(form.PaginaCorrente(), 0);
    EXPECT_TRUE(fDialogs->Texts().join(" ").contains("Connessione all'archivio interrotta"))
        << fDialogs->Texts().join(" / ").toStdString();
    EXPECT_FALSE(fDialogs->Texts().join(" ").contains("occupato"));
    Start();
    form.close(); // the placement goes to the user database, which lived through the restart too
}

// The connections a lookup leaves open for the next one live through a restart: the next
// lookup opens on its rows with no message.
TEST_F(ServerRestart, TheNextLookupAfterARestartOpensOnItsRows) {
    InstallaRicercheZavo();
    TSession session(nullptr, 1);
    QStringList seen;
    SetOnRicercaAperta([&](TZavoRicercheForm& f) {
        TZavoQuery* q = f.GridMain->Query();
        seen << (q->RecNo() >= 0 ? q->Value(q->RecNo(), q->FieldIndex("CODICE")).toString()
                                 : QString());
        f.ButtonChiudi->click();
    });
    QString codice = "C003";
    session.Ricerche()->FindCliente(codice);
    ASSERT_GE(ConnessioniInAttesa::Quante(), 1);
    Stop();
    Start();
    QThread::msleep(1100); // a connection asks its server at most once a second
    fDialogs->Clear();
    session.Ricerche()->FindCliente(codice);
    EXPECT_EQ(seen, QStringList({"C003", "C003"}));
    EXPECT_TRUE(fDialogs->shown.empty()) << fDialogs->Texts().join(" / ").toStdString();
}

TEST_F(ServerRestart, TheImportBatchGoesOnWhenTheServerIsBack) {
    const QString a = fFolder.Path(QStringLiteral("a.xlsx")), b = fFolder.Path("b.xlsx"),
                  c = fFolder.Path("c.xlsx");
    for (const QString& f : {a, b, c})
        ScriviXlsx(f, {});
    TSession session(nullptr, 1);
    TImportXls import(session.IBDatabase(), 1, fHost.tempDir, fHost.binDir);
    EXPECT_EQ(import.Importa(a).esito, "OK");
    Stop();
    Start();
    // The next workbook finds the connection broken and reconnects before it starts.
    EXPECT_EQ(import.Importa(b).esito, "OK");
    // Down while the batch runs, back within the wait: the workbook waits for it.
    Stop();
    QProcess later;
    later.start(
        QStringLiteral("bash"),
        {QStringLiteral("-c"),
         QStringLiteral("sleep 2; bash %1 start %2 %3").arg(ZELM_FBSERVER_SCRIPT, fDir, fPort)});
    const TEsitoXls esito = import.Importa(c);
    later.waitForFinished(60000);
    EXPECT_EQ(esito.esito, "OK") << esito.note.toStdString();
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ZELMLOGIMPXLS WHERE ESITO='OK'").toInt(), 3);
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ZELMMODEL WHERE NOMEFILE IN ('a.xlsx','b.xlsx','c.xlsx')")
                  .toInt(),
              3);
}

// The importer's connection cut by an administrator (not a restart) right before a workbook,
// under its sheet insert and under its log row's commit: every workbook of the batch still ends
// with one outcome and exactly one log row, the cut one's included.
TEST_F(ServerRestart, AConnectionCutAnywhereLeavesEveryWorkbookLoggedOnce) {
    TSession session(nullptr, 1);
    const auto cut = [&] {
        const int id = QueryValue(session.IBDatabase(), "SELECT CURRENT_CONNECTION FROM "
                                                        "RDB$DATABASE")
                           .toInt();
        TIBDatabase admin;
        admin.SetDatabaseName(fHost.Connection(fHost.archiveDb));
        admin.Open();
        ExecSql(admin,
                QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID=%1").arg(id));
    };
    for (const QString where : {"prima", "scheda", "registro"}) {
        SCOPED_TRACE(where.toStdString());
        QStringList files;
        for (int i = 1; i <= 3; ++i) {
            files << fFolder.Path(QStringLiteral("%1-%2.xlsx").arg(where).arg(i));
            ScriviXlsx(files.back(), {});
        }
        TImportXls import(session.IBDatabase(), 1, fHost.tempDir, fHost.binDir);
        bool done = false;
        import.PrimaDelPasso = [&](const QString& passo) {
            if (passo == where && !done) {
                done = true;
        cut();
    }
};
QList<TEsitoXls> esiti;
EXPECT_NO_THROW(esiti = import.ImportaFile(files, [&](int n, int, const QString&) {
    if (where == QLatin1String("prima") && n == 2)
        cut(); // between two workbooks, within a second of the last check
    return true;
}));
ASSERT_EQ(esiti.size(), 3);
for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Value(QStringLiteral("SELECT COUNT(*) FROM ZELMLOGIMPXLS WHERE NOMEFILE = "
                                   "'%1-%2.xlsx'")
                        .arg(where)
                        .arg(i + 1))
                  .toInt(),
              1)
        << i + 1;
    if (where == QLatin1String("scheda") && i == 0)
        EXPECT_EQ(esiti[i].esito, "ERRORE"); // cut under its own insert: nothing stays
    else
        EXPECT_EQ(esiti[i].esito, "OK") << esiti[i].note.toStdString();
}
}
}

// Two windows of a site on the same sheet: the first is editing it when the server restarts,
// the second (a colleague) then takes the free sheet and deletes it. The first window's saves
// say what happened in Italian, write nothing, and keep what was typed on the card.
TEST_F(ServerRestart, TwoWindowsAcrossARestartTheColleaguesDeletionStands) {
    fForm = new TFormZelmModel(1, 1);
    TFormZelmModel& mine = *fForm;
    mine.show();
    mine.FrameRicerca->FrameZavoGrid->RefreshGrid(QVariant(1));
    mine.Esegui(cmdModifica);
    ASSERT_EQ(mine.PaginaCorrente(), 1) << fDialogs->Texts().join(" / ").toStdString();
    auto* codice = mine.FrameScheda->findChild<QLineEdit*>("DBEditCodice");
    codice->setText("MIO");
    emit codice->editingFinished();

    Stop();
    Start();

    QPointer<TFormZelmModel> theirs = new TFormZelmModel(1, 1);
    theirs->show();
    theirs->FrameRicerca->FrameZavoGrid->RefreshGrid(QVariant(1));
    ASSERT_EQ(theirs->FrameRicerca->CurrentRecord()->Id(), 1);
    fDialogs->Clear();
    fDialogs->answers = {true}; // "Eliminare la scheda corrente?"
    theirs->Esegui(cmdElimina);
    ASSERT_EQ(Value("SELECT COUNT(*) FROM ZELMMODEL WHERE ID=1").toInt(), 0)
        << fDialogs->Texts().join(" / ").toStdString();
    delete theirs.data();

    fDialogs->Clear();
    for (int i = 0; i < 3 && mine.PaginaCorrente() == 1; ++i) {
        mine.Esegui(cmdSalva);
        if (fDialogs->Texts().join(" ").contains("eliminata"))
            break;
    }
    EXPECT_TRUE(fDialogs->Texts().join(" ").contains("La scheda è stata eliminata da un altro "
                                                     "utente"))
        << fDialogs->Texts().join(" / ").toStdString();
    EXPECT_FALSE(ConEnglish(fDialogs->Texts())) << fDialogs->Texts().join(" / ").toStdString();
    EXPECT_EQ(mine.PaginaCorrente(), 1);
    EXPECT_EQ(codice->text(), "MIO");
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ZELMMODEL WHERE ID=1").toInt(), 0);
    mine.Esegui(cmdAnnulla);
    EXPECT_EQ(mine.PaginaCorrente(), 0);
    mine.close();
}

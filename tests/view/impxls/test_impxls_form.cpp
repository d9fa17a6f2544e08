// The import window as a user drives it: the refusals, one workbook, a folder with its progress
// and a stop, the photo control missing; a screenshot.
#include "../../import/WorkbookFixture.h"

#include "framework/core/ScriptedDialogs.h"
#include "framework/db/IBDatabase.h"
#include "framework/grid/FrameZavoGrid.h"
#include "framework/grid/ZavoQuery.h"
#include "import/ImportXls.h"
#include "view/impxls/ImpXlsHelvoForm.h"

#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QThread>

class ImpXlsForm : public DemoHostTest {
protected:
    void SetUp() override {
        DemoHostTest::SetUp();
        if (IsSkipped())
            return;
        fArchive.SetDatabaseName(fHost.Connection(fHost.archiveDb));
        fArchive.Open();
        fForm = new TImpXlsHelvoForm(1, 1);
        fForm->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        delete fForm.data();
        if (fArchive.Connected())
            fArchive.Close();
    }
    int LogRows() { return fForm->FrameLog->Query()->RecordCount(); }
    QVariant Value(const QString& sql) { return QueryValue(fArchive, sql); }

    TScopedDialogs fDialogs;
    TIBDatabase fArchive;
    QPointer<TImpXlsHelvoForm> fForm;
};
INSTANTIATE_TEST_SUITE_P(, ImpXlsForm, ::testing::Values(DbMode::Embedded), DbModeName);

// The window starts the office as it opens, without waiting for it: by the time a user has
// picked a folder the first workbook finds it running, started once.
TEST(ImpXlsFormOffice, TheWindowStartsTheOfficeAsItOpens) {
    TOfficeSuite::Instance().Shutdown();
    const int starts = TOfficeSuite::Instance().StartCount();
    TImportXls::PreparaOffice(); // what the window's show calls
    TImportXls::PreparaOffice(); // twice: still one start
    for (int i = 0; i < 600 && !TOfficeSuite::Instance().Running(); ++i) {
        QCoreApplication::processEvents(); // the event loop keeps turning meanwhile
        QThread::msleep(100);
    }
    ASSERT_TRUE(TOfficeSuite::Instance().Running());
    auto doc = TOfficeSuite::Instance().NewSpreadsheet();
    doc->Close();
    EXPECT_EQ(TOfficeSuite::Instance().StartCount(), starts + 1);
}

TEST_P(ImpXlsForm, RefusalsOneWorkbookAndAFolder) {
    TImpXlsHelvoForm& f = *fForm;
    EXPECT_EQ(f.windowTitle(),
              "Acquisizione xls helvo - Ditta: CALZATURIFICIO BRENTA - Utente: Mario Rossi");
    f.ButtonImportaFile->click();
    f.ButtonImportaPercorso->click();
    f.EditPercorso->setText(fFolder.Path("non-esiste"));
    f.ButtonImportaPercorso->click();
    EXPECT_EQ(fDialogs->Texts(),
              (QStringList{"Selezionare un file", "Selezionare un percorso",
                           "Il percorso specificato non è valido o non esiste."}));

    fDialogs->Clear();
    QDir().mkpath(ZELM_SCREENSHOT_DIR);
    f.grab().save(ZELM_SCREENSHOT_DIR "/import-before.png");
    const QString dir = fFolder.Path("modelli");
    QDir().mkpath(dir);
    Scrivi(dir + "/a.xls");
    Scrivi(dir + "/b.xls");
    Scrivi(dir + "/c.xls");
    f.EditFile->setText(dir + "/a.xls");
    f.ButtonImportaFile->click();
    EXPECT_EQ(fDialogs->Texts(), QStringList{"Operazione completata"});
    EXPECT_EQ(LogRows(), 1);
    EXPECT_TRUE(f.ButtonImportaFile->isEnabled());

    // A folder: the stop asked for at the third workbook ends the batch after the second.
    fDialogs->Clear();
    QStringList seen;
    QObject::connect(&f, &TImpXlsHelvoForm::WorkbookInCorso, &f,
                     [&](int n, int count, const QString&) {
                         seen << QStringLiteral("%1/%2").arg(n).arg(count);
                         ASSERT_NE(f.Progresso, nullptr);
                         EXPECT_TRUE(f.Progresso->labelText().startsWith(
                             QStringLiteral("File %1 di %2").arg(n).arg(count)));
                         if (n == 2)
                             f.Progresso->cancel();
                     });
    f.EditPercorso->setText(dir);
    f.ButtonImportaPercorso->click();
    EXPECT_EQ(seen, (QStringList{"1/3", "2/3"}));
    EXPECT_EQ(fDialogs->Texts(), QStringList{"Operazione completata"});
    EXPECT_EQ(LogRows(), 2); // one more: the workbook in hand when the stop came was not begun
    f.grab().save(ZELM_SCREENSHOT_DIR "/import-after.png");

    // Refresh keeps the row.
    f.FrameLog->RefreshGrid(QVariant(Value("SELECT MIN(ID) FROM ZELMLOGIMPXLS").toInt()));
    const int row = f.FrameLog->Query()->RecNo();
    f.ButtonAggiorna->click();
    EXPECT_EQ(f.FrameLog->Query()->RecNo(), row);
}

TEST_P(ImpXlsForm, PhotoControlMissingImportsNothingEveryTime) {
    ExecSql(fArchive, "DELETE FROM LUMETRACONTROL");
    TImpXlsHelvoForm& f = *fForm;
    Scrivi(fFolder.Path("a.xls"));
    f.CheckBoxAcqFoto->setChecked(true);
    f.EditFile->setText(fFolder.Path("a.xls"));
    for (int i = 0; i < 2; ++i) {
        fDialogs->Clear();
        f.ButtonImportaFile->click();
        EXPECT_EQ(fDialogs->Texts(),
                  QStringList{"Errore: Nessun pulsante FOTO MODELLI trovato su LUMETRACONTROL"});
    }
    // A folder: every workbook tries the set-up again and says so; the batch still ends.
    QDir().mkpath(fFolder.Path("cartella"));
    Scrivi(fFolder.Path("cartella/b.xls"));
    Scrivi(fFolder.Path("cartella/c.xls"));
    f.EditPercorso->setText(fFolder.Path("cartella"));
    fDialogs->Clear();
    f.ButtonImportaPercorso->click();
    const QString missing = "Errore: Nessun pulsante FOTO MODELLI trovato su LUMETRACONTROL";
    EXPECT_EQ(fDialogs->Texts(), (QStringList{missing, missing, "Operazione completata"}));
    EXPECT_EQ(LogRows(), 0);
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ZELMMODEL").toInt(), 6);
}

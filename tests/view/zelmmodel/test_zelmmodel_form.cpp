// The model-sheet window driven as a user drives it: every command, the two-user story, the
// filters, the card and its panels, on a real demo archive (embedded and on the server).
#include "ZelmModelFormFixture.h"

#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"
#include "framework/ui/ModalDialog.h"
#include "model/MemDataSet.h"
#include "view/zelmmodel/FileWriteForm.h"
#include "view/zelmmodel/FramePanels.h"
#include "view/zelmmodel/StoWriteForm.h"

#include <QCheckBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>

QStringList ZelmModelFormTest::Dump(const QString& table) {
    TIBTransaction tr(&fArchive);
    tr.StartTransaction();
    TIBSQL sql(&fArchive, &tr);
    sql.SetSQL(QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(table));
    sql.ExecQuery();
    QStringList rows;
    for (; !sql.Eof(); sql.Next()) {
        QStringList values;
        for (int i = 0; i < sql.FieldCount(); ++i)
            values << (sql.Fields(i).IsNull() ? QStringLiteral("<null>")
                                              : sql.Fields(i).AsString());
        rows << values.join('|');
    }
    return rows;
}

class ZelmModelFormEmbedded : public ZelmModelFormTest {};
INSTANTIATE_TEST_SUITE_P(, ZelmModelFormEmbedded, ::testing::Values(DbMode::Embedded), DbModeName);
class ZelmModelFormModes : public ZelmModelFormTest {};
ZELM_DB_MODES(ZelmModelFormModes);

// --- every command --------------------------------------------------------------------------

struct CommandCase {
    const char* name;
    int id;                    ///< the search row picked first
    int open;                  ///< -1, or the command that opens the card first
    const char* button;        ///< clicked on the page in view
    std::vector<bool> answers; ///< Yes/No in order
    int page;                  ///< page shown afterwards
    int readOnly;              ///< -1: not looked at; 0/1: the card's state
    const char* message;       ///< the last text shown starts with it ("" : nothing shown)
    const char* sql;           ///< a value read back from the archive …
    QVariant stored;           ///< … and what it must be
    std::function<void(TFormZelmModel&)> before = {};
};

const CommandCase kCommands[] = {
    {"Nuovo", 1, -1, "ButtonNuovo", {}, 1, 0, "", "SELECT COUNT(*) FROM ZELMMODEL", 6},
    {"Duplica", 1, -1, "ButtonDuplica", {}, 1, 0, "", "SELECT COUNT(*) FROM ZELMMODEL", 6},
    {"ModificaSenzaAvvisi",
     1,
     -1,
     "ButtonModifica",
     {},
     1,
     0,
     "",
     "SELECT STATUSSCHEDA FROM ZELMMODEL WHERE ID=1",
     "InPreparazione"},
    {"ModificaVarianteNo",
     3,
     -1,
     "ButtonModifica",
     {false},
     0,
     -1,
     "Attenzione:\r\nScheda già rilasciata\r\nCreare una nuova variante?\r\n",
     "SELECT COUNT(*) FROM ZELMMODEL WHERE IDMODEL=3",
     2},
    {"ModificaVarianteSi",
     3,
     -1,
     "ButtonModifica",
     {true},
     1,
     0,
     "Attenzione:",
     "SELECT COUNT(*) FROM ZELMMODEL WHERE IDMODEL=3",
     2},
    {"EliminaSi",
     6,
     -1,
     "ButtonElimina",
     {true},
     0,
     -1,
     "Eliminare la scheda corrente?",
     "SELECT COUNT(*) FROM ZELMMODEL WHERE ID=6",
     0},
    {"EliminaNo",
     6,
     -1,
     "ButtonElimina",
     {false},
     0,
     -1,
     "Eliminare la scheda corrente?",
     "SELECT COUNT(*) FROM ZELMMODEL WHERE ID=6",
     1},
    {"EliminaRilasciata",
     2,
     -1,
     "ButtonElimina",
     {true},
     0,
     -1,
     "Attenzione:\r\nScheda rilasciata\r\nEliminare la scheda corrente?\r\n",
     "SELECT COUNT(*) FROM ZELMMODEL WHERE ID=2",
     0},
    {"Mostra", 1, -1, "ButtonMostra", {}, 1, 1, "", "SELECT COUNT(*) FROM ZELMMODEL", 6},
    {"SospendiSi",
     1,
     -1,
     "ButtonSospendi",
     {true},
     0,
     -1,
     "Vuoi sospendere irrevocabilmente la scheda corrente?",
     "SELECT STATUSSCHEDA FROM ZELMMODEL WHERE ID=1",
     "Sospesa"},
    {"SospendiNo",
     1,
     -1,
     "ButtonSospendi",
     {false},
     0,
     -1,
     "Vuoi sospendere irrevocabilmente la scheda corrente?",
     "SELECT STATUSSCHEDA FROM ZELMMODEL WHERE ID=1",
     "InPreparazione"},
    {"RilasciaC",
     1,
     cmdModifica,
     "ActionRilasciaC",
     {true},
     1,
     1,
     "Rilasciare la scheda (campione)?",
     "SELECT STATUSSCHEDA FROM ZELMMODEL WHERE ID=1",
     "RilasciataC"},
    {"RilasciaP",
     2,
     cmdModifica,
     "ActionRilasciaP",
     {true},
     1,
     1,
     "Rilasciare la scheda (produzione)?",
     "SELECT STATUSSCHEDA FROM ZELMMODEL WHERE ID=2",
     "RilasciataP"},
    {"RilasciaCNo",
     1,
     cmdModifica,
     "ActionRilasciaC",
     {false},
     1,
     0,
     "Rilasciare la scheda (campione)?",
     "SELECT STATUSSCHEDA FROM ZELMMODEL WHERE ID=1",
     "InPreparazione"},
    {"Salva",
     1,
     cmdModifica,
     "ActionSalva",
     {},
     0,
     -1,
     "",
     "SELECT CODICE FROM ZELMMODEL WHERE ID=1",
     "DEC-999",
     [](TFormZelmModel& f) {
         f.FrameScheda->findChild<QLineEdit*>("DBEditCodice")->setText("DEC-999");
     }},
    {"SalvaRifiutataDallaVerifica",
     1,
     cmdModifica,
     "ActionSalva",
     {},
     1,
     0,
     "Operazione non consentita\r\nTaglia operativa \"NESSUNA\" non codificata",
     "SELECT TAGLIAOPERATIVA FROM ZELMMODEL WHERE ID=1",
     "D35-42",
     [](TFormZelmModel& f) { f.FrameScheda->FieldsCache()->SetTagliaOperativa("NESSUNA"); }},
    {"SalvaFallita",
     1,
     cmdModifica,
     "ActionSalva",
     {},
     1,
     0,
     "Operazione fallita\r\n",
     "SELECT CODICE FROM ZELMMODEL WHERE ID=1",
     "DEC-101",
     [](TFormZelmModel& f) {
         f.FrameScheda->findChild<QLineEdit*>("DBEditCodice")->setText("RIFIUTA");
     }},
    {"Annulla",
     1,
     cmdModifica,
     "ActionAnnulla",
     {},
     0,
     -1,
     "",
     "SELECT CODICE FROM ZELMMODEL WHERE ID=1",
     "DEC-101",
     [](TFormZelmModel& f) {
         f.FrameScheda->findChild<QLineEdit*>("DBEditCodice")->setText("DEC-999");
     }},
    {"ChiudiScheda",
     1,
     cmdMostra,
     "ActionChiudi",
     {},
     0,
     -1,
     "",
     "SELECT COUNT(*) FROM ZELMMODEL",
     6},
    {"ModificaDallaScheda",
     1,
     cmdMostra,
     "ActionModifica",
     {},
     1,
     0,
     "",
     "SELECT COUNT(*) FROM ZELMMODEL",
     6},
};

// Each case on a fresh copy of the demo archive.
TEST_P(ZelmModelFormEmbedded, EveryCommandFlow) {
    for (const CommandCase& c : kCommands) {
        SCOPED_TRACE(c.name);
        Reprovision();
        // A trigger that refuses one value: the save fails in the database, after its checks.
        ExecSql(fArchive, "CREATE EXCEPTION E_RIFIUTATA 'Codice rifiutato'");
        ExecSql(fArchive, "CREATE TRIGGER T_RIFIUTA FOR ZELMMODEL BEFORE UPDATE AS BEGIN "
                          "IF (NEW.CODICE = 'RIFIUTA') THEN EXCEPTION E_RIFIUTATA; END");
        TFormZelmModel& form = *Open();
        Select(form, c.id);
        if (c.open >= 0) {
            form.Esegui(static_cast<TZelmModelCommand>(c.open));
            ASSERT_EQ(form.PaginaCorrente(), 1) << fDialogs->Texts().join(" / ").toStdString();
        }
        if (c.before)
            c.before(form);
        fDialogs->Clear();
        fDialogs->answers.assign(c.answers.begin(), c.answers.end());
        QWidget* page = form.PaginaCorrente() == 0 ? static_cast<QWidget*>(form.FrameRicerca)
                                                   : static_cast<QWidget*>(form.FrameScheda);
        auto* button = page->findChild<QAbstractButton*>(QLatin1String(c.button));
        ASSERT_NE(button, nullptr);
        Click(button);

        EXPECT_EQ(form.PaginaCorrente(), c.page);
        if (c.readOnly >= 0) {
            EXPECT_EQ(form.FrameScheda->ReadOnly(), c.readOnly == 1);
        }
        if (QString(c.message).isEmpty()) {
            EXPECT_TRUE(fDialogs->shown.empty()) << LastText().toStdString();
        } else {
            EXPECT_TRUE(LastText().startsWith(QString::fromUtf8(c.message)))
                << LastText().toStdString();
            // Warnings followed by a question are asked as a warning.
            if (LastText().startsWith("Attenzione:")) {
                EXPECT_EQ(fDialogs->shown.back().kind, TDialogs::Kind::WarningQuestion);
            }
        }
        EXPECT_EQ(Value(c.sql).toString(), c.stored.toString());
    }
}

TEST_P(ZelmModelFormEmbedded, CardsOpenedByTheCommandsShowTheRightSheet) {
    TFormZelmModel& form = *Open();
    Select(form, 3);
    fDialogs->answers = {true};
    Click(form.FrameRicerca->ButtonModifica); // a new variant of model 3, not sheet 3
    EXPECT_EQ(Card(form).IdModel(), 3);
    EXPECT_EQ(Card(form).IdVariante(), 2);
    EXPECT_NE(Card(form).Id(), 3);
    Click(form.FrameScheda->ActionAnnulla);

    Select(form, 1);
    Click(form.FrameRicerca->ButtonDuplica); // a new model with sheet 1's details
    EXPECT_NE(Card(form).IdModel(), 1);
    EXPECT_EQ(form.FrameScheda->FrameDett->DataSet->RecordCount(), 3);
    EXPECT_EQ(Card(form).StatusScheda(), "InPreparazione");
    Click(form.FrameScheda->ActionSalva);
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ZELMMODEL").toInt(), 7);
    EXPECT_EQ(form.FrameRicerca->CurrentRecord()->Id(), Value("SELECT MAX(ID) FROM ZELMMODEL"));
}

TEST_P(ZelmModelFormEmbedded, AFailedSaveKeepsTheEditsAndTheNextSaveStoresThem) {
    ExecSql(fArchive, "CREATE EXCEPTION E_RIFIUTATA 'Codice rifiutato'");
    ExecSql(fArchive, "CREATE TRIGGER T_RIFIUTA FOR ZELMMODEL BEFORE UPDATE AS BEGIN "
                      "IF (NEW.CODICE = 'RIFIUTA') THEN EXCEPTION E_RIFIUTATA; END");
    TFormZelmModel& form = *Open();
    Select(form, 1);
    Click(form.FrameRicerca->ButtonModifica);
    auto* codice = form.FrameScheda->findChild<QLineEdit*>("DBEditCodice");
    auto* tipo = form.FrameScheda->findChild<QLineEdit*>("DBEditTipo");
    tipo->setText("Uomo");
    codice->setText("RIFIUTA");
    Click(form.FrameScheda->ActionSalva);
    ASSERT_EQ(fDialogs->shown.back().kind, TDialogs::Kind::Error);
    EXPECT_TRUE(LastText().contains("Codice rifiutato")) << LastText().toStdString();
    EXPECT_EQ(tipo->text(), "Uomo");
    codice->setText("DEC-102");
    Click(form.FrameScheda->ActionSalva);
    EXPECT_EQ(form.PaginaCorrente(), 0);
    EXPECT_EQ(Value("SELECT CODICE || '/' || TIPO FROM ZELMMODEL WHERE ID=1").toString(),
              "DEC-102/Uomo");
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ZELMMODELDETT WHERE IDMODEL=1").toInt(), 3);
}

TEST_P(ZelmModelFormEmbedded, DeletingTheLastRowMovesToTheOneBefore) {
    TFormZelmModel& form = *Open();
    const int last = Value("SELECT MAX(ID) FROM ZELMMODEL WHERE STATUSSCHEDA <> 'Sospesa'").toInt();
    form.FrameRicerca->FrameZavoGrid->RefreshGrid(QVariant(last));
    form.FrameRicerca->FrameZavoGrid->Query()->SetRecNo(
        form.FrameRicerca->FrameZavoGrid->Query()->RecordCount() - 1);
    const int before = form.FrameRicerca->FrameZavoGrid->Query()->RecordCount();
    fDialogs->answers = {true};
    Click(form.FrameRicerca->ButtonElimina);
    EXPECT_EQ(form.FrameRicerca->FrameZavoGrid->Query()->RecordCount(), before - 1);
    EXPECT_TRUE(form.FrameRicerca->RowSelected());
    EXPECT_EQ(form.FrameRicerca->FrameZavoGrid->Query()->RecNo(), before - 2);
}

TEST_P(ZelmModelFormEmbedded, TheWindowDoesNotCloseWhileASheetIsOpen) {
    QPointer<TFormZelmModel> form = Open();
    Select(*form, 1);
    Click(form->FrameRicerca->ButtonMostra);
    EXPECT_FALSE(form->close());
    EXPECT_EQ(LastText(), "Per chiudere la finestra è necessario chiudere prima la scheda");
    Click(form->FrameScheda->ActionChiudi);
    Click(form->FrameRicerca->ButtonEsci);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(form.isNull());
}

TEST_P(ZelmModelFormEmbedded, AShownSheetSavedUnchangedLeavesEveryRowAsItWas) {
    const QStringList tables{"ZELMMODEL", "ZELMMODELDETT", "ZELMMODELOPZ", "ZELMMODELPREFCOMP",
                             "ZELMMODELSTO"};
    std::vector<QStringList> before;
    for (const QString& t : tables)
        before.push_back(Dump(t));
    TFormZelmModel& form = *Open();
    for (int id : {1, 2, 6}) {
        Select(form, id);
        Click(form.FrameRicerca->ButtonModifica);
        ASSERT_EQ(form.PaginaCorrente(), 1) << id;
        Click(form.FrameScheda->ActionSalva);
        ASSERT_EQ(form.PaginaCorrente(), 0) << LastText().toStdString();
    }
    for (qsizetype i = 0; i < tables.size(); ++i)
        EXPECT_EQ(Dump(tables[i]), before[i]) << tables[i].toStdString();
}

// Two users on one archive: A holds the sheet, B is refused, B can edit once A has saved.
TEST_P(ZelmModelFormModes, TwoUsersTheSecondWaitsForTheFirst) {
    TFormZelmModel& a = *Open(1);
    TFormZelmModel& b = *Open(3);
    Select(a, 1);
    Select(b, 1);
    Click(a.FrameRicerca->ButtonModifica);
    ASSERT_EQ(a.PaginaCorrente(), 1);
    Click(b.FrameRicerca->ButtonModifica);
    EXPECT_EQ(b.PaginaCorrente(), 0);
    EXPECT_TRUE(LastText().startsWith("Operazione non consentita\r\n")) << LastText().toStdString();
    EXPECT_TRUE(LastText().contains("Record occupato")) << LastText().toStdString();

    a.FrameScheda->findChild<QLineEdit*>("DBEditCodice")->setText("DEC-A");
    Click(a.FrameScheda->ActionSalva);
    ASSERT_EQ(a.PaginaCorrente(), 0);
    fDialogs->Clear();
    Click(b.FrameRicerca->ButtonModifica);
    EXPECT_EQ(b.PaginaCorrente(), 1) << LastText().toStdString();
    EXPECT_EQ(b.FrameScheda->findChild<QLineEdit*>("DBEditCodice")->text(), "DEC-A");
    Click(b.FrameScheda->ActionAnnulla);
}

// --- search page ----------------------------------------------------------------------------

TEST_P(ZelmModelFormEmbedded, FilterQueryTextLineByLine) {
    TFormZelmModel& form = *Open();
    TFrameZelmModelRicerca& r = *form.FrameRicerca;
    struct Case {
        QLineEdit* edit;
        QString text;
        QString line;
    } cases[] = {
        {r.EditSiglaCliente, "L'ELEG", "AND SIGLACLIENTE='L''ELEG'"},
        {r.EditLavorazione, "cucito", "AND LAVORAZIONE CONTAINING 'cucito'"},
        {r.EditCodice, " 10'1 ", "AND CODICE CONTAINING ' 10''1 '"},
        {r.EditForma, "F", "AND FORMA CONTAINING 'F'"},
        {r.EditTacco, "T", "AND TACCO CONTAINING 'T'"},
        {r.EditPlato, "P", "AND PLATO CONTAINING 'P'"},
        {r.EditDataInizio, "01/02/2026", "AND DATA>='01.02.2026'"},
        {r.EditDataFine, "3/4/2026", "AND DATA<='03.04.2026'"},
    };
    for (const Case& c : cases)
        c.edit->setText(c.text);
    QStringList expected{"SELECT * FROM ZELMMODEL", "WHERE ID IS NOT NULL",
                         "AND STATUSSCHEDA IS DISTINCT FROM 'Sospesa'"};
    for (const Case& c : cases)
        expected << c.line;
    EXPECT_EQ(r.CostruisciSql(), expected);
    // A text that is not a date is no filter; unchecked, suspended sheets are listed.
    r.EditDataInizio->setText("31/02/2026");
    r.EditDataFine->setText("domani");
    r.CheckNascondiSospesi->setChecked(false);
    const QStringList sql = r.CostruisciSql();
    EXPECT_FALSE(sql.join('\n').contains("DATA>=")) << sql.join('\n').toStdString();
    EXPECT_FALSE(sql.join('\n').contains("DATA<="));
    EXPECT_FALSE(sql.join('\n').contains("STATUSSCHEDA"));
    EXPECT_FALSE(sql.join('\n').contains("ORDER BY"));
}

TEST_P(ZelmModelFormModes, FiltersFindWhatTheySay) {
    ExecSql(fArchive, "UPDATE ZELMMODEL SET CODICE='O''NEIL-7' WHERE ID=2");
    TFormZelmModel& form = *Open();
    TFrameZelmModelRicerca& r = *form.FrameRicerca;
    auto rows = [&] { return r.FrameZavoGrid->Query()->RecordCount(); };
    EXPECT_EQ(rows(), 5);            // the suspended sheet is hidden
    r.CheckNascondiSospesi->click(); // at once, without the timer
    EXPECT_FALSE(r.TimerFiltri->isActive());
    EXPECT_EQ(rows(), 6);
    r.EditCodice->setText("o'neil");
    r.ApplicaFiltri();
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(r.CurrentRecord()->Id(), 2);
    r.EditCodice->clear();
    r.EditDataInizio->setText("01/10/2026");
    r.EditDataFine->setText("01/09/2026");
    r.ApplicaFiltri();
    EXPECT_EQ(rows(), 0);
    EXPECT_FALSE(r.RowSelected());
    r.EditDataFine->setText("30/11/2026");
    r.ApplicaFiltri();
    EXPECT_EQ(rows(), 2); // 20/10 and 30/11
}

TEST_P(ZelmModelFormEmbedded, FiveQuickKeystrokesRefreshOnce) {
    TFormZelmModel& form = *Open();
    TFrameZelmModelRicerca& r = *form.FrameRicerca;
    QSignalSpy opened(r.FrameZavoGrid->Query(), &TZavoQuery::Opened);
    r.EditCodice->setFocus();
    QTest::keyClicks(r.EditCodice, "DEC-1", Qt::NoModifier, 20);
    EXPECT_EQ(opened.count(), 0);
    EXPECT_TRUE(r.TimerFiltri->isActive());
    QTest::qWait(800);
    EXPECT_EQ(opened.count(), 1);
    EXPECT_EQ(r.FrameZavoGrid->Query()->RecordCount(), 1);
    // A value set by the program is no typing: it starts nothing.
    r.EditCodice->setText("MOC");
    EXPECT_FALSE(r.TimerFiltri->isActive());
}

TEST_P(ZelmModelFormEmbedded, PicksOfTheFilters) {
    TFormZelmModel& form = *Open();
    TFrameZelmModelRicerca& r = *form.FrameRicerca;
    fDialogs->dateAnswers = {QDate(2026, 10, 1)};
    Click(r.ActionPickDataInizio);
    EXPECT_EQ(fDialogs->inputs.back().title, "Selezione data inizio");
    EXPECT_EQ(r.EditDataInizio->text(), "01/10/2026");
    EXPECT_EQ(r.FrameZavoGrid->Query()->RecordCount(), 2);

    TFakeRicerche::answer = "C002";
    Click(r.ActionRCliente);
    EXPECT_EQ(TFakeRicerche::opened.back(), "");
    EXPECT_EQ(r.EditSiglaCliente->text(), "NAPOLI CALZ");
    EXPECT_EQ(r.FrameZavoGrid->Query()->RecordCount(), 0); // 15/08 is before the start date
    TFakeRicerche::answer = "C999"; // no longer in the customer table: the filter stays
    Click(r.ActionRCliente);
    EXPECT_EQ(r.EditSiglaCliente->text(), "NAPOLI CALZ");
}

TEST_P(ZelmModelFormEmbedded, EmptyListAndReadOnlyUser) {
    {
        TFormZelmModel& form = *Open();
        TFrameZelmModelRicerca& r = *form.FrameRicerca;
        r.EditCodice->setText("NESSUNO");
        r.ApplicaFiltri();
        for (QPushButton* b : {r.ButtonMostra, r.ButtonModifica, r.ButtonDuplica, r.ButtonElimina,
                               r.ButtonSospendi}) {
            fDialogs->Clear();
            Click(b);
            EXPECT_EQ(fDialogs->Texts(), QStringList{"Nessun record selezionato"})
                << b->objectName().toStdString();
        }
        fDialogs->Clear();
        Click(r.ButtonNuovo);
        EXPECT_EQ(form.PaginaCorrente(), 1);
        Click(form.FrameScheda->ActionAnnulla);
    }
    TFormZelmModel& form = *Open(2); // read-only access
    TFrameZelmModelRicerca& r = *form.FrameRicerca;
    for (QPushButton* b :
         {r.ButtonNuovo, r.ButtonDuplica, r.ButtonElimina, r.ButtonModifica, r.ButtonSospendi})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    Select(form, 1);
    Click(r.ButtonMostra);
    EXPECT_EQ(form.PaginaCorrente(), 1);
    EXPECT_FALSE(form.FrameScheda->ActionModifica->isEnabled());
    EXPECT_TRUE(form.FrameScheda->ActionChiudi->isEnabled());
    Click(form.FrameScheda->ActionChiudi);
    EXPECT_EQ(form.PaginaCorrente(), 0);
}

// The sheet card and its panels as a user works them: states, colours, picks, the file
// reference, the panels' rules, the dialogs, the export through the real office; screenshots.
#include "ZelmModelFormFixture.h"

#include "framework/grid/FrameZavoGrid.h"
#include "framework/grid/ZavoGrid.h"
#include "framework/ui/ModalDialog.h"
#include "model/MemDataSet.h"
#include "view/zelmmodel/FileWriteForm.h"
#include "view/zelmmodel/FramePanels.h"
#include "view/zelmmodel/SchedeEliminateForm.h"
#include "view/zelmmodel/StoWriteForm.h"
#include "view/zelmmodel/StoricoForm.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <ZXing/ReadBarcode.h>

#include <functional>

namespace {
void SaveShot(QWidget& widget, const QString& name) {
    QDir().mkpath(QStringLiteral(ZELM_SCREENSHOT_DIR));
    widget.grab().save(QStringLiteral(ZELM_SCREENSHOT_DIR "/%1.png").arg(name));
}

/// The next modal dialog is shown, handed to `fill`, and answered OK when it returns true.
void OnNextModal(std::function<bool(QDialog&)> fill) {
    SetModalHook([fill](QDialog& dialog) {
        SetModalHook({});
        dialog.show();
        QCoreApplication::processEvents();
        const bool ok = fill(dialog);
        dialog.hide();
        return ok ? int(QDialog::Accepted) : int(QDialog::Rejected);
    });
}

QColor Base(QWidget* w) {
    return w->palette().color(QPalette::Base);
}
} // namespace

class ZelmModelCard : public ZelmModelFormTest {
protected:
    void TearDown() override {
        SetModalHook({});
        TFrameZelmModelScheda::ApriFile = fApri;
        ZelmModelFormTest::TearDown();
    }
    /// The window with sheet `id` on the card, editable or not.
    TFormZelmModel& Card(int id, bool edit) {
        TFormZelmModel& form = *Open();
        Select(form, id);
        form.Esegui(edit ? cmdModifica : cmdMostra);
        EXPECT_EQ(form.PaginaCorrente(), 1) << LastText().toStdString();
        EXPECT_EQ(form.FrameScheda->ReadOnly(), !edit);
        return form;
    }
    std::function<bool(const QString&)> fApri = TFrameZelmModelScheda::ApriFile;
};
INSTANTIATE_TEST_SUITE_P(, ZelmModelCard, ::testing::Values(DbMode::Embedded), DbModeName);

TEST_P(ZelmModelCard, ViewAndEditStates) {
    TFormZelmModel& form = Card(1, false);
    TFrameZelmModelScheda& s = *form.FrameScheda;
    SaveShot(form, "card-view");
    EXPECT_EQ(s.findChild<QLineEdit*>("DBEditCodice")->text(), "DEC-101");
    EXPECT_EQ(s.findChild<QLineEdit*>("DBEditData")->text(), "01/09/2026");
    EXPECT_EQ(s.LabelCodiceCliente->text(), "C001");
    EXPECT_EQ(s.LabelIdModel->text(), "1");
    // The symbol on the card is whole modules, sharp enough to be read off the screen.
    {
        const QImage gray =
            s.ImageQrCode->pixmap().toImage().convertToFormat(QImage::Format_Grayscale8);
        ASSERT_FALSE(gray.isNull());
        EXPECT_LE(gray.width(), s.ImageQrCode->width());
        EXPECT_EQ(gray.width() % 29, 0) << gray.width(); // 21 modules and the quiet zone
        const ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(),
                                    ZXing::ImageFormat::Lum, static_cast<int>(gray.bytesPerLine()));
        const ZXing::Result read =
            ZXing::ReadBarcode(view, ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::QRCode));
        EXPECT_EQ(QString::fromStdWString(read.text()), s.FieldsCache()->QrCode());
    }
    EXPECT_TRUE(s.ActionModifica->isEnabled());
    for (QWidget* w : std::initializer_list<QWidget*>{s.ActionSalva, s.ActionAnnulla,
                                                      s.ActionRilasciaC, s.ActionRilasciaP,
                                                      s.ActionWriteFile, s.ActionRicercaCliente})
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    EXPECT_TRUE(s.ActionExportXls->isEnabled());
    EXPECT_TRUE(s.findChild<QLineEdit*>("DBEditCodice")->isReadOnly());
    // Every panel button is off and the preferences cannot be ticked.
    for (QToolButton* b : s.findChildren<QToolButton*>())
        if (b->parentWidget()->objectName() == "PanelTop" &&
            qobject_cast<TFrameZelmModelControl*>(b->parentWidget()->parentWidget())) {
            EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
        }
    QListWidgetItem* item = s.FramePrefComp->CheckListBox->item(3);
    EXPECT_FALSE(item->flags() & Qt::ItemIsUserCheckable);
    EXPECT_EQ(s.FramePrefComp->CheckListBox->count(), 4);
    EXPECT_EQ(s.FramePrefComp->GetData()->Count(), 3); // the sheet's three saved preferences

    Click(s.ActionModifica);
    SaveShot(form, "card-edit");
    EXPECT_FALSE(s.ReadOnly());
    EXPECT_FALSE(s.findChild<QLineEdit*>("DBEditCodice")->isReadOnly());
    EXPECT_TRUE(s.findChild<QLineEdit*>("DBEditStatusScheda")->isReadOnly());
    EXPECT_TRUE(s.ActionRilasciaC->isEnabled());
    EXPECT_FALSE(s.ActionRilasciaP->isEnabled());
    EXPECT_FALSE(s.ActionExportXls->isEnabled());
    EXPECT_FALSE(s.ActionChiudi->isEnabled());
    EXPECT_TRUE(s.FrameDett->ActionNuovo->isEnabled());
    EXPECT_TRUE(s.FramePrefComp->CheckListBox->item(3)->flags() & Qt::ItemIsUserCheckable);
    Click(s.ActionAnnulla);
}

TEST_P(ZelmModelCard, StatusColourAndReleaseButtons) {
    ExecSql(fArchive, "UPDATE ZELMMODEL SET STATUSSCHEDA=NULL WHERE ID=6");
    const struct {
        int id;
        QColor colour;
        bool rilasciaC, rilasciaP;
    } cases[] = {{1, Qt::yellow, true, false},
                 {6, Qt::yellow, true, false}, // no status counts as in preparation
                 {2, QColor(0, 255, 0), false, true},
                 {3, QColor(0, 255, 0), false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        fDialogs->answers = {true}; // sheet 3 asks for a new variant
        TFormZelmModel& form = *Open();
        Select(form, c.id);
        if (c.id == 3) { // released for production: the card shows it, read-only
            Click(form.FrameRicerca->ButtonMostra);
        } else {
            Click(form.FrameRicerca->ButtonModifica);
        }
        TFrameZelmModelScheda& s = *form.FrameScheda;
        EXPECT_EQ(Base(s.DBEditStatusScheda), c.colour);
        EXPECT_EQ(s.ActionRilasciaC->isEnabled(), c.rilasciaC);
        EXPECT_EQ(s.ActionRilasciaP->isEnabled(), c.rilasciaP);
        form.Esegui(s.ReadOnly() ? cmdChiudi : cmdAnnulla);
    }
    ExecSql(fArchive, "UPDATE ZELMMODEL SET STATUSSCHEDA='Sospesa' WHERE ID=6");
    TFormZelmModel& form = *Open();
    form.FrameRicerca->CheckNascondiSospesi->click();
    Select(form, 6);
    Click(form.FrameRicerca->ButtonMostra);
    EXPECT_EQ(Base(form.FrameScheda->DBEditStatusScheda), QColor(Qt::red));
}

TEST_P(ZelmModelCard, DatesCustomerAndFileReferencePicks) {
    TFormZelmModel& form = Card(1, true);
    TFrameZelmModelScheda& s = *form.FrameScheda;
    auto* prototipo = s.findChild<QLineEdit*>("DBEditDataPrototipo");
    auto* conferma = s.findChild<QLineEdit*>("DBEditDataConfermaCampione");
    // A typed edit goes with the pick; the pick opens on the current date.
    s.findChild<QLineEdit*>("DBEditLinea")->setText("Sportiva");
    fDialogs->dateAnswers = {QDate(2026, 12, 24)};
    Click(s.findChild<QToolButton*>("ActionDataConfermaCampione"));
    EXPECT_EQ(fDialogs->inputs.back().title, "Selezione data conferma campione");
    EXPECT_EQ(conferma->text(), "24/12/2026");
    fDialogs->dateAnswers = {QDate(2026, 9, 2)};
    Click(s.findChild<QToolButton*>("ActionDataPrototipo"));
    EXPECT_EQ(fDialogs->inputs.back().initial.toDate(), QDate(2026, 9, 1));
    EXPECT_EQ(prototipo->text(), "02/09/2026");
    fDialogs->dateAnswers = {QDate(2026, 1, 1)};
    Click(s.findChild<QToolButton*>("ActionData"));
    EXPECT_EQ(fDialogs->inputs.back().title, "Selezione data");
    // Emptied by hand, a date is stored as none.
    conferma->clear();

    TFakeRicerche::answer = "C999"; // the code is kept, the short name emptied
    Click(s.ActionRicercaCliente);
    EXPECT_EQ(TFakeRicerche::opened.back(), "C001");
    EXPECT_EQ(s.LabelCodiceCliente->text(), "C999");
    EXPECT_EQ(s.findChild<QLineEdit*>("DBEditSiglaCliente")->text(), "");
    TFakeRicerche::answer = "C004";
    Click(s.ActionRicercaCliente);
    EXPECT_EQ(s.findChild<QLineEdit*>("DBEditSiglaCliente")->text(), "BERGAMO SH");

    OnNextModal([](QDialog& d) {
        auto& f = static_cast<TFormZelmModelFileWrite&>(d);
        SaveShot(f, "dialog-file");
        f.EditPercorsoFile->setText("/srv/modelli");
        f.EditNomeFile->setText("DEC-101.xls");
        return true;
    });
    Click(s.ActionWriteFile);
    EXPECT_EQ(s.LabelFile->text(), "DEC-101.xls");

    Click(s.ActionSalva);
    ASSERT_EQ(form.PaginaCorrente(), 0) << LastText().toStdString();
    EXPECT_EQ(Value("SELECT DATAPROTOTIPO || '|' || DATA || '|' || COALESCE(DATACONFERMACAMPIONE, "
                    "'null') || '|' || LINEA || '|' || CODICECLIENTE || '|' || SIGLACLIENTE || "
                    "'|' || PERCORSOFILE || NOMEFILE FROM ZELMMODEL WHERE ID=1")
                  .toString(),
              "2026-09-02|2026-01-01|null|Sportiva|C004|BERGAMO SH|/srv/modelliDEC-101.xls");
}

TEST_P(ZelmModelCard, ADateThatIsNotOneIsRefusedAndNothingIsLost) {
    TFormZelmModel& form = Card(1, true);
    TFrameZelmModelScheda& s = *form.FrameScheda;
    s.findChild<QLineEdit*>("DBEditDataSfilata")->setText("31/02/2026");
    s.findChild<QLineEdit*>("DBEditModello")->setText("Aurora bis");
    Click(s.ActionSalva);
    EXPECT_EQ(form.PaginaCorrente(), 1);
    EXPECT_EQ(LastText(), "Operazione non consentita\r\n'31/02/2026' non è una data valida");
    EXPECT_EQ(s.findChild<QLineEdit*>("DBEditModello")->text(), "Aurora bis");
    s.findChild<QLineEdit*>("DBEditDataSfilata")->setText("28/02/2026");
    Click(s.ActionSalva);
    EXPECT_EQ(form.PaginaCorrente(), 0);
    EXPECT_EQ(Value("SELECT DATASFILATA FROM ZELMMODEL WHERE ID=1").toDate(), QDate(2026, 2, 28));
}

TEST_P(ZelmModelCard, FileLabelOpensTheReferenceOrSaysWhyNot) {
    QTemporaryDir dir;
    QFile existing(dir.filePath("scheda.xls"));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    QStringList opened;
    bool application = true;
    TFrameZelmModelScheda::ApriFile = [&](const QString& path) {
        opened << path;
        return application;
    };
    const struct {
        QString folder, name, message;
    } cases[] = {
        {dir.path(), "scheda.xls", ""}, // no trailing separator: folder, separator, name
        {dir.path() + "/manca/", "scheda.xls", "Percorso non trovato."},
        {dir.path() + "/", "altra.xls", "File non trovato."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        ExecSql(fArchive, QStringLiteral("UPDATE ZELMMODEL SET PERCORSOFILE='%1', NOMEFILE='%2' "
                                         "WHERE ID=1")
                              .arg(c.folder, c.name));
        TFormZelmModel& form = Card(1, false);
        fDialogs->Clear();
        opened.clear();
        form.FrameScheda->ClickFile();
        EXPECT_EQ(fDialogs->Texts().join(""), c.message);
        EXPECT_EQ(opened.size(), c.message.isEmpty() ? 1 : 0);
        if (!opened.isEmpty()) {
            EXPECT_EQ(opened[0], dir.filePath("scheda.xls"));
        }
        form.Esegui(cmdChiudi);
    }
    application = false;
    ExecSql(fArchive,
            QStringLiteral("UPDATE ZELMMODEL SET PERCORSOFILE='%1/', NOMEFILE='scheda.xls' "
                           "WHERE ID=1")
                .arg(dir.path()));
    TFormZelmModel& form = Card(1, false);
    fDialogs->Clear();
    form.FrameScheda->ClickFile();
    EXPECT_EQ(LastText(), "Nessuna applicazione associata a questo tipo di file.");
    form.Esegui(cmdChiudi);

    // No reference: nothing on a read-only card, the reference dialog on an editable one.
    ExecSql(fArchive, "UPDATE ZELMMODEL SET PERCORSOFILE=NULL, NOMEFILE=NULL WHERE ID=6");
    TFormZelmModel& view = Card(6, false);
    EXPECT_EQ(view.FrameScheda->LabelFile->text(), "Nessun riferimento file");
    bool dialog = false;
    OnNextModal([&](QDialog&) { return dialog = true, false; });
    fDialogs->Clear();
    view.FrameScheda->ClickFile();
    EXPECT_FALSE(dialog);
    EXPECT_TRUE(fDialogs->shown.empty());
    view.Esegui(cmdModifica);
    view.FrameScheda->ClickFile();
    EXPECT_TRUE(dialog);
}

// --- panels ---------------------------------------------------------------------------------

TEST_P(ZelmModelCard, SizeColumnsFollowTheOperativeSize) {
    QStringList values;
    for (int i = 1; i <= 20; ++i)
        values << QStringLiteral("INSERT INTO TAGLIEOPERATIVE (CODICE, NRIGA, DESCRIZIONE1) "
                                 "VALUES ('T20', %1, 'M%1')")
                      .arg(i);
    for (int i = 1; i <= 5; ++i)
        values << QStringLiteral("INSERT INTO TAGLIEOPERATIVE (CODICE, NRIGA, DESCRIZIONE1) "
                                 "VALUES ('T05', %1, 'P%1')")
                      .arg(i);
    for (const QString& v : values)
        ExecSql(fArchive, v);
    TFormZelmModel& form = Card(6, true); // no details yet
    TFrameZelmModelDett& d = *form.FrameScheda->FrameDett;
    auto shown = [&] {
        QStringList titles;
        for (int c = 0; c < d.Grid->model()->columnCount(); ++c)
            if (!d.Grid->isColumnHidden(c))
                titles << d.Grid->model()->headerData(c, Qt::Horizontal).toString();
        return titles;
    };
    for (const auto& [code, count, first] :
         {std::tuple{"T20", 17, "M1"}, std::tuple{"T05", 5, "P1"}}) {
        SCOPED_TRACE(code);
        fDialogs->Clear();
        // The list offers the distinct codes in order.
        const QStringList all{"D35-42", "T05", "T20", "U36-44"};
        fDialogs->listAnswers = {static_cast<int>(all.indexOf(code))};
        Click(d.ActionTagliaOperativa);
        EXPECT_EQ(fDialogs->inputs.back().title, "Selezione taglia operativa");
        const QStringList titles = shown();
        ASSERT_EQ(titles.size(), count + 1) << titles.join(",").toStdString();
        EXPECT_EQ(titles[0], "Tipo dettaglio");
        EXPECT_EQ(titles[1], first);
        EXPECT_EQ(d.EditHeader->text(), code);
    }
    SaveShot(*form.FrameScheda, "card-sizes");
}

TEST_P(ZelmModelCard, DetailRules) {
    TFormZelmModel& form = Card(1, true);
    TFrameZelmModelDett& d = *form.FrameScheda->FrameDett;
    ASSERT_EQ(d.DataSet->RecordCount(), 3);
    // Empty, taken, then a new type: the dialog opens again on what was typed.
    fDialogs->textAnswers = {"", "Lunghezza fondo", "Larghezza pianta"};
    Click(d.ActionNuovo);
    EXPECT_EQ(fDialogs->Texts(), (QStringList{"Tipo dettaglio obbligatorio",
                                              "Tipo dettaglio \"Lunghezza fondo\" già usato"}));
    ASSERT_EQ(fDialogs->inputs.size(), 3u);
    EXPECT_EQ(fDialogs->inputs[2].initial.toString(), "Lunghezza fondo");
    EXPECT_EQ(d.DataSet->RecordCount(), 4);
    fDialogs->Clear();
    fDialogs->textAnswers = {QString(31, 'x')};
    Click(d.ActionNuovo); // too long: the record's own rule, then Cancel
    EXPECT_EQ(fDialogs->shown.size(), 1u);
    EXPECT_EQ(d.DataSet->RecordCount(), 4);

    fDialogs->Clear();
    Click(d.ActionTagliaOperativa);
    EXPECT_EQ(LastText(),
              "Non è possibile cambiare taglia operativa se sono presenti dei dettagli");
    fDialogs->answers = {true};
    Click(d.ActionClear);
    EXPECT_EQ(fDialogs->Texts().back(), "Rimuovere la taglia operativa e tutti i dettagli?");
    // Details would be lost: asked as a warning, not as a plain question.
    EXPECT_EQ(fDialogs->shown.back().kind, TDialogs::Kind::WarningQuestion);
    EXPECT_EQ(d.PanelInfo->text(), "Taglia operativa non impostata");
    EXPECT_FALSE(d.ActionNuovo->isEnabled());
    Click(form.FrameScheda->ActionSalva);
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ZELMMODELDETT WHERE IDMODEL=1").toInt(), 0);
    EXPECT_TRUE(Value("SELECT TAGLIAOPERATIVA FROM ZELMMODEL WHERE ID=1").isNull());
}

TEST_P(ZelmModelCard, OptionSetLockedOnceAnOptionIsExpressed) {
    TFormZelmModel& form = Card(6, true); // no option set
    TFrameZelmModelOpz& o = *form.FrameScheda->FrameOpz;
    EXPECT_EQ(o.PanelInfo->text(), "Set opzioni lavorazione non impostato");
    fDialogs->listAnswers = {0}; // set 1
    Click(o.ActionSetOpzioniLavoraz);
    EXPECT_EQ(fDialogs->inputs.back().title, "Selezione set opzioni lavoraz.");
    ASSERT_EQ(o.DataSet->RecordCount(), 6);
    EXPECT_EQ(o.DataSet->Value(0, o.DataSet->FieldIndex("ETICHETTA")).toString(),
              "Cucitura tomaia");
    EXPECT_TRUE(o.DataSet->Value(0, o.DataSet->FieldIndex("DESCRIZIONE")).isNull());
    // Typing a description in the grid.
    const int column = o.DataSet->FieldIndex("DESCRIZIONE");
    o.Grid->setCurrentIndex(o.Grid->model()->index(1, column));
    o.Grid->edit(o.Grid->currentIndex());
    auto* editor = qobject_cast<QLineEdit*>(o.Grid->indexWidget(o.Grid->currentIndex()));
    ASSERT_NE(editor, nullptr);
    editor->setText("Foderata in pelle");
    fDialogs->Clear();
    Click(o.ActionSetOpzioniLavoraz); // posts the open editor first
    EXPECT_EQ(LastText(),
              "Non è possibile cambiare set se sono state espresse delle opzioni lavorazioni");
    fDialogs->answers = {false};
    Click(o.ActionClear);
    EXPECT_EQ(LastText(), "Rimuovere il set e tutte le opzioni lavorazioni?");
    EXPECT_EQ(o.DataSet->RecordCount(), 6);
    Click(form.FrameScheda->ActionSalva);
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ZELMMODELOPZ WHERE IDMODEL=5").toInt(), 6);
    EXPECT_EQ(Value("SELECT DESCRIZIONE FROM ZELMMODELOPZ WHERE IDMODEL=5 AND "
                    "ETICHETTA='Fodera'")
                  .toString(),
              "Foderata in pelle");
    EXPECT_EQ(Value("SELECT SETOPZIONILAVORAZ FROM ZELMMODEL WHERE ID=6").toInt(), 1);
}

TEST_P(ZelmModelCard, PreferencesCheckedAreSavedAndLockTheSet) {
    TFormZelmModel& form = Card(6, true);
    TFrameZelmModelPrefComp& p = *form.FrameScheda->FramePrefComp;
    EXPECT_EQ(p.PanelInfo->text(), "Set preferenze componenti non impostato");
    fDialogs->listAnswers = {1}; // set 2
    Click(p.ActionSetPreferenzeComponenti);
    ASSERT_EQ(p.CheckListBox->count(), 3);
    p.CheckListBox->item(2)->setCheckState(Qt::Checked);
    fDialogs->Clear();
    Click(p.ActionSetPreferenzeComponenti);
    EXPECT_EQ(LastText(),
              "Non è possibile cambiare set se sono state espresse delle preferenze componenti");
    Click(form.FrameScheda->ActionSalva);
    EXPECT_EQ(Value("SELECT ETICHETTA || '|' || IDOPZIONE FROM ZELMMODELPREFCOMP WHERE IDMODEL=5")
                  .toString(),
              "Fibbia ottone|2");
}

TEST_P(ZelmModelCard, AnnotationsInDateOrderThroughTheirDialog) {
    TFormZelmModel& form = Card(1, true);
    TFrameZelmModelSto& a = *form.FrameScheda->FrameSto;
    ASSERT_EQ(a.DataSet->RecordCount(), 3);
    bool typesOffered = false;
    OnNextModal([&](QDialog& d) {
        auto& f = static_cast<TFormZelmModelStoWrite&>(d);
        SaveShot(f, "dialog-annotation");
        EXPECT_EQ(f.DBEditData->text(), QDate::currentDate().toString("dd/MM/yyyy"));
        EXPECT_EQ(f.DBComboTipo->currentText(), "");
        typesOffered = f.DBComboTipo->count() == 3; // Campionario, Produzione, Prototipo
        // Empty text is refused and the dialog stays.
        f.ButtonOk->click();
        EXPECT_EQ(LastText(), "Inserire un'annotazione");
        f.DBComboTipo->setEditText("Reclamo");
        f.DBEditData->setText("15/03/2026");
        f.DBEditAnnotazione->setText("Cucitura allentata");
        return true;
    });
    Click(a.ActionNuovo);
    EXPECT_TRUE(typesOffered);
    ASSERT_EQ(a.DataSet->RecordCount(), 4);
    EXPECT_EQ(a.DataSet->Value(0, a.DataSet->FieldIndex("TIPOANNOTAZIONE")).toString(), "Reclamo");

    // Editing the current (oldest) one moves it after the others.
    a.DataSet->First();
    OnNextModal([](QDialog& d) {
        auto& f = static_cast<TFormZelmModelStoWrite&>(d);
        EXPECT_EQ(f.DBEditAnnotazione->text(), "Cucitura allentata");
        f.DBEditData->setText("01/12/2026");
        return true;
    });
    Click(a.ActionModifica);
    EXPECT_EQ(a.DataSet->Value(3, a.DataSet->FieldIndex("TIPOANNOTAZIONE")).toString(), "Reclamo");
    Click(form.FrameScheda->ActionSalva);
    EXPECT_EQ(Value("SELECT LIST(TIPOANNOTAZIONE, ',') FROM (SELECT TIPOANNOTAZIONE FROM "
                    "ZELMMODELSTO WHERE IDMODEL=1 ORDER BY DATAANNOTAZIONE)")
                  .toString(),
              "Prototipo,Campionario,Produzione,Reclamo");
}

TEST_P(ZelmModelCard, ExportThroughTheOfficeWritesAWorkbook) {
    QTemporaryDir dir;
    const QString target = dir.filePath("DEC-101");
    TFormZelmModel& form = Card(1, false);
    fDialogs->Clear();
    fDialogs->fileAnswers = {target};
    Click(form.FrameScheda->ActionExportXls);
    EXPECT_EQ(fDialogs->inputs.back().title, "Export XLS");
    EXPECT_EQ(LastText(), "Operazione completata") << fDialogs->Texts().join(" / ").toStdString();
    EXPECT_GT(QFileInfo(target + ".xls").size(), 0);
    // The extension picks the writer: .xlsx written directly, .pdf one page.
    for (const char* ext : {".xlsx", ".pdf"}) {
        fDialogs->Clear();
        fDialogs->fileAnswers = {target + ext};
        Click(form.FrameScheda->ActionExportXls);
        EXPECT_EQ(LastText(), "Operazione completata") << ext;
        QFile f(target + ext);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << ext;
        EXPECT_TRUE(f.read(4) == (QByteArray(ext) == ".pdf" ? "%PDF" : "PK\x03\x04")) << ext;
    }
    // Cancel on the file dialog ends silently.
    fDialogs->Clear();
    Click(form.FrameScheda->ActionExportXls);
    EXPECT_TRUE(fDialogs->shown.empty());
}

TEST_P(ZelmModelCard, SearchPageScreenshot) {
    TFormZelmModel& form = *Open();
    form.resize(1400, 700);
    QCoreApplication::processEvents();
    SaveShot(form, "search-page");
    EXPECT_EQ(form.Notebook->tabText(0), "Ricerca");
    EXPECT_EQ(form.windowTitle(),
              "Schede modelli - Ditta: CALZATURIFICIO BRENTA - Utente: Mario Rossi");
}

// Typing into the panels' cells as a clerk does: a click on an empty size cell of a new detail,
// then the keys; and text up to the column's width, never cut afterwards.
TEST_P(ZelmModelCard, CellsTakeWhatIsTypedUpToTheirWidth) {
    TFormZelmModel& form = Card(1, true);
    form.show();
    QApplication::setActiveWindow(&form);
    TFrameZelmModelDett& d = *form.FrameScheda->FrameDett;
    // The panel's parts are found by name, the objects that are not widgets too.
    EXPECT_EQ(d.findChild<QObject*>("ClientDataSet"), d.DataSet);
    EXPECT_NE(d.findChild<QObject*>("DataSource"), nullptr);
    fDialogs->textAnswers = {"Larghezza pianta"};
    Click(d.ActionNuovo);
    ASSERT_EQ(d.DataSet->RecordCount(), 4);
    // The text the editor holds once typed, before Enter.
    auto type = [](QTableView* grid, int row, int column, const QString& text) {
        const QModelIndex index = grid->model()->index(row, column);
        grid->scrollTo(index);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(index).center());
        for (const QChar ch : text)
            QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : grid,
                            ch.toLatin1());
        const auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        const QString held = editor ? editor->text() : QString();
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : grid,
                        Qt::Key_Return);
        return held;
    };
    const int d1 = d.DataSet->FieldIndex("D1");
    ASSERT_GE(d1, 0);
    EXPECT_EQ(type(d.Grid, 3, d1, "12345"), "12345");
    TFrameZelmModelOpz& o = *form.FrameScheda->FrameOpz;
    const int descr = o.DataSet->FieldIndex("DESCRIZIONE");
    ASSERT_GE(descr, 0);
    // The editor stops at the column's 50 characters while typing: nothing is cut afterwards.
    EXPECT_EQ(type(o.Grid, 0, descr, QString(60, 'd')), QString(50, 'd'));
    Click(form.FrameScheda->ActionSalva);
    EXPECT_EQ(Value("SELECT D1 FROM ZELMMODELDETT WHERE IDMODEL=1 AND TIPODETT='Larghezza pianta'")
                  .toString(),
              "12345");
    EXPECT_TRUE(fDialogs->Texts().filter("tagliat").isEmpty());
    EXPECT_EQ(
        Value("SELECT MAX(CHAR_LENGTH(DESCRIZIONE)) FROM ZELMMODELOPZ WHERE IDMODEL=1").toInt(),
        50);
}

// A note has no width: 5,000 characters typed are held and stored whole.
TEST_P(ZelmModelCard, ALongNoteIsTypedAndStoredWhole) {
    TFormZelmModel& form = Card(1, true);
    form.show();
    QApplication::setActiveWindow(&form);
    auto* note = form.FrameScheda->findChild<QPlainTextEdit*>("DBMemoNoteVarie");
    ASSERT_NE(note, nullptr);
    QString text;
    for (int i = 0; text.size() < 5000; ++i)
        text += QStringLiteral("nota %1, e poi ").arg(i); // typed key by key: ASCII
    text.truncate(5000);
    note->setFocus();
    note->selectAll();
    QTest::keyClicks(note, text);
    EXPECT_EQ(note->toPlainText(), text);
    Click(form.FrameScheda->ActionSalva);
    EXPECT_EQ(Value("SELECT NOTEVARIE FROM ZELMMODEL WHERE ID=1").toString(), text);
}

// A release on a card with pending edits stores them all with the status: the header and the
// panels, as "Salva" would; reopened, the card shows them.
TEST_P(ZelmModelCard, AReleaseStoresEveryPendingEdit) {
    TFormZelmModel& form = Card(1, true);
    TFrameZelmModelScheda& s = *form.FrameScheda;
    QLineEdit* codice = s.findChild<QLineEdit*>("DBEditCodice");
    codice->setText("DEC-RIL");
    emit codice->editingFinished();
    TFrameZelmModelDett& d = *s.FrameDett;
    fDialogs->textAnswers = {"Larghezza pianta"};
    Click(d.ActionNuovo);
    d.Grid->CommitEdit();
    TFrameZelmModelOpz& o = *s.FrameOpz;
    o.DataSet->SetRecNo(0);
    o.DataSet->Edit();
    o.DataSet->SetValue("DESCRIZIONE", "Descrizione al rilascio");
    o.DataSet->Post();
    fDialogs->Clear();
    fDialogs->answers = {true};
    Click(s.ActionRilasciaC);
    EXPECT_EQ(Value("SELECT STATUSSCHEDA || '|' || CODICE FROM ZELMMODEL WHERE ID=1").toString(),
              "RilasciataC|DEC-RIL")
        << fDialogs->Texts().join(" / ").toStdString();
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ZELMMODELDETT WHERE IDMODEL=1 AND "
                    "TIPODETT='Larghezza pianta'")
                  .toInt(),
              1);
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ZELMMODELOPZ WHERE IDMODEL=1 AND "
                    "DESCRIZIONE='Descrizione al rilascio'")
                  .toInt(),
              1);
}

// The card and the search page from the keyboard alone: Enter on a row shows it, F4 on a date
// opens its pick, Ctrl+S saves, Esc cancels.
TEST_P(ZelmModelCard, KeysOfTheSearchPageAndTheCard) {
    TFormZelmModel& form = *Open();
    form.show();
    QApplication::setActiveWindow(&form);
    Select(form, 1);
    TZavoGrid* grid = form.FrameRicerca->FrameZavoGrid->ZavoGrid();
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Return);
    EXPECT_EQ(form.PaginaCorrente(), 1);
    EXPECT_TRUE(form.FrameScheda->ReadOnly());
    Click(form.FrameScheda->ActionChiudi);

    Select(form, 1);
    form.Esegui(cmdModifica);
    ASSERT_EQ(form.PaginaCorrente(), 1);
    auto* data = form.FrameScheda->findChild<QLineEdit*>("DBEditData");
    data->setFocus();
    fDialogs->Clear();
    fDialogs->dateAnswers = {QDate(2026, 9, 2)};
    QTest::keyClick(data, Qt::Key_F4);
    ASSERT_FALSE(fDialogs->inputs.empty());
    EXPECT_EQ(fDialogs->inputs.back().title, "Selezione data");
    auto* codice = form.FrameScheda->findChild<QLineEdit*>("DBEditCodice");
    codice->setFocus();
    codice->selectAll();
    QTest::keyClicks(codice, "DEC-TAST");
    QTest::keyClick(codice, Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(form.PaginaCorrente(), 0) << fDialogs->Texts().join(" / ").toStdString();
    EXPECT_EQ(Value("SELECT CODICE || ' ' || DATA FROM ZELMMODEL WHERE ID=1").toString(),
              "DEC-TAST 2026-09-02");

    Select(form, 1);
    form.Esegui(cmdModifica);
    codice->setFocus();
    QTest::keyClicks(codice, "X");
    QTest::keyClick(codice, Qt::Key_Escape);
    EXPECT_EQ(form.PaginaCorrente(), 0);
    EXPECT_EQ(Value("SELECT CODICE FROM ZELMMODEL WHERE ID=1").toString(), "DEC-TAST");
}

// At the counter: a scanner types the sheet's QR text and Enter into a filter box, and the card
// of that sheet opens, even one the filters hide; an unknown code is told. The search page's
// picks open from the keyboard (F4, Alt+Down) as the card's do.
TEST_P(ZelmModelCard, AScannedCodeShowsItsSheetAndThePicksOpenFromTheKeyboard) {
    TFormZelmModel& form = *Open();
    form.show();
    QApplication::setActiveWindow(&form);
    TFrameZelmModelRicerca& r = *form.FrameRicerca;
    ASSERT_TRUE(r.CheckNascondiSospesi->isChecked());
    const struct {
        const char* name;
        QLineEdit* box;
        int id; // 0: unknown
    } cases[] = {{"in the code box", r.EditCodice, 1},
                 {"a suspended sheet the list hides", r.EditForma, 5},
                 {"an unknown code", r.EditCodice, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fDialogs->Clear();
        const QString qr =
            c.id ? Value(QStringLiteral("SELECT QRCODE FROM ZELMMODEL WHERE ID=%1").arg(c.id))
                       .toString()
                 : QStringLiteral("M9999999V000");
        c.box->setFocus();
        QTest::keyClicks(c.box, qr.toLower()); // as fast as a scanner, whatever its case
        QTest::keyClick(c.box, Qt::Key_Return);
        EXPECT_TRUE(c.box->text().isEmpty()); // a code is no filter
        if (c.id) {
            ASSERT_EQ(form.PaginaCorrente(), 1) << fDialogs->Texts().join(" / ").toStdString();
            EXPECT_TRUE(form.FrameScheda->ReadOnly());
            EXPECT_EQ(form.FrameScheda->FieldsCache()->Id(), c.id);
            Click(form.FrameScheda->ActionChiudi);
        } else {
            EXPECT_EQ(form.PaginaCorrente(), 0);
            EXPECT_EQ(fDialogs->Texts(), QStringList{"Nessuna scheda con il codice M9999999V000"});
        }
    }
    // Enter on an ordinary text filters at once.
    r.EditCodice->setFocus();
    QTest::keyClicks(r.EditCodice, "nessun-codice-simile");
    QTest::keyClick(r.EditCodice, Qt::Key_Return);
    EXPECT_FALSE(r.TimerFiltri->isActive());
    EXPECT_FALSE(r.RowSelected());
    r.EditCodice->clear();
    r.ApplicaFiltri();

    // The picks: F4 on the customer, Alt+Down on a date; their tooltips name the key.
    TFakeRicerche::answer = "C001";
    r.EditSiglaCliente->setFocus();
    QTest::keyClick(r.EditSiglaCliente, Qt::Key_F4);
    EXPECT_EQ(TFakeRicerche::opened.size(), 1);
    EXPECT_FALSE(r.EditSiglaCliente->text().isEmpty());
    fDialogs->Clear();
    fDialogs->dateAnswers = {QDate(2026, 9, 1)};
    r.EditDataInizio->setFocus();
    QTest::keyClick(r.EditDataInizio, Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(r.EditDataInizio->text(), "01/09/2026");
    for (QToolButton* b : {r.ActionRCliente, r.ActionPickDataInizio, r.ActionPickDataFine})
        EXPECT_TRUE(b->toolTip().endsWith("(F4)")) << b->toolTip().toStdString();
}

// "Storico" from the card, by its key, read-only and editable alike: the sheet's changes newest
// first with who made them, narrowed by field and by user as they are typed.
TEST_P(ZelmModelCard, TheHistoryOfTheSheetFromTheCard) {
    {
        TFormZelmModel& form = Card(1, true);
        form.FrameScheda->findChild<QLineEdit*>("DBEditCodice")->setText("STORIA-1");
        Click(form.FrameScheda->ActionSalva);
        ASSERT_EQ(form.PaginaCorrente(), 0) << LastText().toStdString();
        Select(form, 1);
        form.Esegui(cmdModifica);
        form.FrameScheda->findChild<QLineEdit*>("DBEditForma")->setText("F-STORIA");
        Click(form.FrameScheda->ActionSalva);
        ASSERT_EQ(form.PaginaCorrente(), 0) << LastText().toStdString();
    }
    TFormZelmModel& form = Card(1, false);
    EXPECT_TRUE(form.FrameScheda->ActionStorico->isEnabled());
    EXPECT_TRUE(form.FrameScheda->ActionStorico->toolTip().contains("Alt+T"));
    int shown = 0;
    OnNextModal([&](QDialog& d) {
        auto& storico = dynamic_cast<TFormStoricoScheda&>(d);
        TZavoQuery* q = storico.FrameStorico->Query();
        const auto rows = [&] {
            QStringList out;
            for (int i = 0; i < q->RecordCount(); ++i)
                out << q->Value(i, q->FieldIndex("CAMPO")).toString() + "|" +
                           q->Value(i, q->FieldIndex("VALOREDOPO")).toString() + "|" +
                           q->Value(i, q->FieldIndex("UTENTE")).toString();
            return out;
        };
        shown = q->RecordCount();
        EXPECT_EQ(rows(),
                  QStringList({"FORMA|F-STORIA|Mario Rossi", "CODICE|STORIA-1|Mario Rossi"}));
        SaveShot(storico, "card-history");
        QTest::keyClicks(storico.EditCampo, "cod");
        QTest::qWait(400);
        EXPECT_EQ(rows(), QStringList({"CODICE|STORIA-1|Mario Rossi"}));
        storico.EditCampo->clear();
        QTest::keyClicks(storico.EditUtente, "Giulia");
        QTest::qWait(400);
        EXPECT_EQ(q->RecordCount(), 0);
        return false;
    });
    form.show();
    QApplication::setActiveWindow(&form);
    // Its Alt+letter shows the button pressed for a moment, then it acts.
    QTest::keyClick(QApplication::activeWindow(), Qt::Key_T, Qt::AltModifier);
    QTest::qWait(300);
    EXPECT_EQ(shown, 2) << LastText().toStdString();
}

// "Schede eliminate" from the search page: the sheet deleted a moment ago, who and when, and
// "Ripristina" brings it back into the list with its rows.
TEST_P(ZelmModelCard, ADeletedSheetIsListedAndRestoredFromTheSearchPage) {
    TFormZelmModel& form = *Open();
    const int model = Value("SELECT IDMODEL FROM ZELMMODEL WHERE ID = 6").toInt();
    const QString stato = Value("SELECT STATUSSCHEDA FROM ZELMMODEL WHERE ID = 6").toString();
    const QString dettaglio =
        QStringLiteral("SELECT COUNT(*) FROM ZELMMODELDETT WHERE IDMODEL = %1").arg(model);
    const int dett = Value(dettaglio).toInt();
    Select(form, 6);
    fDialogs->answers = {true};
    Click(form.FrameRicerca->ButtonElimina);
    ASSERT_EQ(Value("SELECT COUNT(*) FROM ZELMMODEL WHERE ID = 6").toInt(), 0)
        << LastText().toStdString();
    EXPECT_TRUE(form.FrameRicerca->ButtonEliminate->toolTip().contains("Alt+H"));
    int listed = -1;
    OnNextModal([&](QDialog& d) {
        auto& eliminate = dynamic_cast<TFormSchedeEliminate&>(d);
        TZavoQuery* q = eliminate.FrameEliminate->Query();
        listed = q->RecordCount();
        EXPECT_EQ(listed, 1);
        if (listed != 1)
            return false;
        EXPECT_EQ(q->Value(0, q->FieldIndex("ID")).toInt(), 6);
        EXPECT_EQ(q->Value(0, q->FieldIndex("UTENTE")).toString(), "Mario Rossi");
        SaveShot(eliminate, "deleted-sheets");
        EXPECT_TRUE(eliminate.ButtonRipristina->isEnabled());
        fDialogs->answers = {true};
        eliminate.ButtonRipristina->click();
        QCoreApplication::processEvents();
        EXPECT_EQ(q->RecordCount(), 0) << LastText().toStdString();
        return false;
    });
    form.FrameRicerca->ButtonEliminate->click();
    QCoreApplication::processEvents();
    EXPECT_EQ(listed, 1);
    EXPECT_EQ(LastText(), "Scheda 6 ripristinata");
    EXPECT_EQ(Value("SELECT STATUSSCHEDA FROM ZELMMODEL WHERE ID = 6").toString(), stato);
    EXPECT_EQ(Value(dettaglio).toInt(), dett);
    EXPECT_EQ(form.FrameRicerca->CurrentRecord()->Id(), 6);
}

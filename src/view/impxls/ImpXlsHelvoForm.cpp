#include "ImpXlsHelvoForm.h"

#include "framework/db/DatabaseError.h"

#include "framework/core/Dialogs.h"
#include "framework/core/ScopeExit.h"
#include "framework/core/SlotGuard.h"
#include "framework/core/WinPath.h"
#include "framework/core/ZavoError.h"
#include "framework/grid/FrameZavoGrid.h"
#include "framework/grid/ZavoGrid.h"
#include "framework/grid/ZavoQuery.h"
#include "framework/session/Session.h"
#include "framework/session/ZavoUser.h"
#include "framework/ui/DataModuleQuenvar.h"
#include "import/ImportXls.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

TImpXlsHelvoForm::TImpXlsHelvoForm(int utente, int idFinestra) : TFormBase(utente, idFinestra) {
    setObjectName(QStringLiteral("ImpXlsHelvoForm"));
    resize(1100, 600);
    auto button = [this](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    GroupBox1 = new QGroupBox(QStringLiteral("Importa un file"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox2 = new QGroupBox(QStringLiteral("Importa tutti i file di una cartella"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    ButtonFile = button("ButtonFile", QStringLiteral("File"));
    EditFile = new QLineEdit(this);
    EditFile->setObjectName(QStringLiteral("EditFile"));
    ButtonImportaFile = button("ButtonImportaFile", QStringLiteral("Importa"));
    ButtonPercorso = button("ButtonPercorso", QStringLiteral("Percorso"));
    EditPercorso = new QLineEdit(this);
    EditPercorso->setObjectName(QStringLiteral("EditPercorso"));
    ButtonImportaPercorso = button("ButtonImportaPercorso", QStringLiteral("Importa"));
    CheckBoxAcqFoto = new QCheckBox(QStringLiteral("Acquisisci foto quando presenti"), this);
    CheckBoxAcqFoto->setObjectName(QStringLiteral("CheckBoxAcqFoto"));
    ButtonAggiorna = button("ButtonAggiorna", QString());
    ButtonAggiorna->setToolTip(QStringLiteral("Aggiorna"));
    if (TDataModuleQuenvar* dm = DataModuleQuenvar())
        ButtonAggiorna->setIcon(dm->Icon(11));
    else
        ButtonAggiorna->setText(QStringLiteral("↻"));
    ButtonChiudi = button("ButtonChiudi", QStringLiteral("Chiudi"));

    auto group = [](QGroupBox* box, QPushButton* pick, QLineEdit* edit, QPushButton* go) {
        auto* l = new QHBoxLayout(box);
        pick->setParent(box);
        edit->setParent(box);
        go->setParent(box);
        l->addWidget(pick);
        l->addWidget(edit, 1);
        l->addWidget(go);
    };
    group(GroupBox1, ButtonFile, EditFile, ButtonImportaFile);
    group(GroupBox2, ButtonPercorso, EditPercorso, ButtonImportaPercorso);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(CheckBoxAcqFoto);
    bottom->addStretch();
    bottom->addWidget(ButtonAggiorna);
    bottom->addWidget(ButtonChiudi);

    FrameLog = new TFrameZavoGrid(this);
    FrameLog->setObjectName(QStringLiteral("FrameLog"));
    FrameLog->ZavoGrid()->setObjectName(QStringLiteral("GridDati"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(GroupBox1);
    layout->addWidget(GroupBox2);
    layout->addLayout(bottom);
    layout->addWidget(FrameLog, 1);

    connect(ButtonFile, &QPushButton::clicked, this, Guarded([this] { ScegliFile(); }));
    connect(ButtonPercorso, &QPushButton::clicked, this, Guarded([this] { ScegliPercorso(); }));
    connect(ButtonImportaFile, &QPushButton::clicked, this, Guarded([this] { ImportaFile(); }));
    connect(ButtonImportaPercorso, &QPushButton::clicked, this,
            Guarded([this] { ImportaPercorso(); }));
    connect(ButtonAggiorna, &QPushButton::clicked, this, Guarded([this] { Aggiorna(); }));
    connect(ButtonChiudi, &QPushButton::clicked, this, [this] { close(); });

    // The log list: its own query on the session's archive, its layout kept per user.
    FrameLog->SetSession(FSession);
    FrameLog->SetTableName(QStringLiteral("ZELMLOGIMPXLS"));
    FrameLog->SetSituazione(4);
    FrameLog->SetFieldControl(new TFieldControlId(FrameLog->Query(), FrameLog));
    FrameLog->SQL = QStringList{
        QStringLiteral("SELECT ZELMLOGIMPXLS.ID, ZELMLOGIMPXLS.DATAORA, ZELMLOGIMPXLS.OPERATORE, "
                       "ZELMLOGIMPXLS.NOMEFILE, ZELMLOGIMPXLS.PERCORSOFILE, ZELMLOGIMPXLS.ESITO, "
                       "CAST(ZELMLOGIMPXLS.NOTE AS VARCHAR(255)) AS NOTE FROM ZELMLOGIMPXLS")};
    fImport =
        std::make_unique<TImportXls>(FSession->IBDatabase(), FSession->ZavoUser()->CodiceUtente(),
                                     FSession->ParametriTrebon()->TempDir(), HostProgramDir());
    fImport->NomeUtente = FSession->ZavoUser()->NomeUtente();
}

// The list and the importer use the session's connection: they go before it does.
TImpXlsHelvoForm::~TImpXlsHelvoForm() {
    delete FrameLog;
    fImport.reset();
}

QString TImpXlsHelvoForm::GetTitolo() const {
    return QStringLiteral("Acquisizione xls helvo - Ditta: %1 - Utente: %2")
        .arg(FSession->ZavoUser()->DittaUtente(), FSession->ZavoUser()->NomeUtente());
}

void TImpXlsHelvoForm::FormShow() {
    TFormBase::FormShow();
    // While the user picks a folder the office starts: the first workbook will not wait for it.
    TImportXls::PreparaOffice();
    // The log's design, for a first look without a stored layout: Italian titles, the folder and
    // the note readable at once.
    FrameLog->ZavoGrid()->ProgettoColonne = {{"ID", {QStringLiteral("ID"), 60}},
                                             {"DATAORA", {QStringLiteral("Data e ora"), 130}},
                                             {"OPERATORE", {QStringLiteral("Operatore"), 100}},
                                             {"NOMEFILE", {QStringLiteral("File"), 160}},
                                             {"PERCORSOFILE", {QStringLiteral("Cartella"), 260}},
                                             {"ESITO", {QStringLiteral("Esito"), 140}},
                                             {"NOTE", {QStringLiteral("Note"), 380}}};
    ApriLog();
}

bool TImpXlsHelvoForm::FormClose() {
    if (!RunGuarded([this] { FrameLog->Close(); }))
        return false;
    return TFormBase::FormClose();
}

void TImpXlsHelvoForm::ApriLog() {
    FrameLog->RefreshGrid();
}

void TImpXlsHelvoForm::Aggiorna() {
    FrameLog->RefreshGrid(rmCurrentRecord);
}

void TImpXlsHelvoForm::ScegliFile() {
    const QString file =
        Dialogs().ChooseOpenFile(QString(), EditFile->text(), QStringLiteral("File excel|*.*"));
    if (!file.isEmpty())
        EditFile->setText(QDir::toNativeSeparators(file));
}

void TImpXlsHelvoForm::ScegliPercorso() {
    const QString folder =
        Dialogs().ChooseFolder(QStringLiteral("Seleziona una cartella"), EditPercorso->text());
    if (!folder.isEmpty())
        EditPercorso->setText(QDir::toNativeSeparators(folder));
}

bool TImpXlsHelvoForm::Importa(const QString& file) {
    fImport->AcquisisciFoto = CheckBoxAcqFoto->isChecked();
    try {
        fImport->Importa(file);
    } catch (const EZavoError&) {
        // The photo store's set-up, or a log that could not be written: nothing was imported.
        // Told in Italian, the engine's detail to the log.
        ShowCurrentError(false);
        return false;
    }
    return true;
}

void TImpXlsHelvoForm::ImportaFile() {
    if (EditFile->text().isEmpty()) {
        Dialogs().Warning(QStringLiteral("Selezionare un file"));
        return;
    }
    ButtonImportaFile->setEnabled(false);
    TScopeExit enable([this] { ButtonImportaFile->setEnabled(true); });
    const bool done = Importa(EditFile->text());
    ApriLog();
    if (done)
        Dialogs().Information(QStringLiteral("Operazione completata"));
}

void TImpXlsHelvoForm::ImportaPercorso() {
    if (EditPercorso->text().isEmpty()) {
        Dialogs().Warning(QStringLiteral("Selezionare un percorso"));
        return;
    }
    const QString folder = EditPercorso->text().trimmed();
    if (!QFileInfo(folder).isDir()) {
        Dialogs().Warning(QStringLiteral("Il percorso specificato non è valido o non esiste."));
        return;
    }
    ButtonImportaPercorso->setEnabled(false);
    const QStringList files = TImportXls::FileDellaCartella(folder);
    QProgressDialog progress(QString(), QStringLiteral("Interrompi"), 0,
                             static_cast<int>(files.size()), this);
    progress.setWindowTitle(QStringLiteral("Importazione cartella"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    Progresso = &progress;
    TScopeExit end([this] {
        Progresso = nullptr;
        ButtonImportaPercorso->setEnabled(true);
    });
    // A workbook whose photo set-up fails is reported and skipped; the next one tries the
    // set-up again, and the batch ends as any other.
    for (int i = 0; i < files.size(); ++i) {
        // A stop asked for ends the batch after the workbook in hand.
        if (progress.wasCanceled())
            break;
        progress.setLabelText(QStringLiteral("File %1 di %2\n%3")
                                  .arg(i + 1)
                                  .arg(files.size())
                                  .arg(QFileInfo(files[i]).fileName()));
        progress.setValue(i);
        emit WorkbookInCorso(i + 1, static_cast<int>(files.size()), files[i]);
        QCoreApplication::processEvents();
        if (progress.wasCanceled())
            break;
        Importa(files[i]);
        ApriLog();
    }
    progress.setValue(static_cast<int>(files.size()));
    Dialogs().Information(QStringLiteral("Operazione completata"));
}

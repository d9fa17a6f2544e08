#include "ZelmModelForm.h"

#include "SchedeEliminateForm.h"
#include "framework/ui/ModalDialog.h"

#include "FieldControlZelmModel.h"
#include "FrameRicerca.h"
#include "FrameScheda.h"

#include "control/ExportExcelScheda.h"
#include "control/ZelmModelService.h"
#include "framework/core/Dialogs.h"
#include "framework/core/ScopeExit.h"
#include "framework/core/SlotGuard.h"
#include "framework/grid/FrameZavoGrid.h"
#include "framework/grid/ZavoGrid.h"
#include "framework/session/Session.h"
#include "framework/session/ZavoUser.h"
#include "framework/ui/FrameDlg.h"
#include "framework/ui/ZavoQrCode.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryFile>
#include <QVBoxLayout>

TFormZelmModel::TFormZelmModel(int utente, int idFinestra) : TFormBase(utente, idFinestra) {
    setObjectName(QStringLiteral("FormZelmModel"));
    resize(1404, 860); // the stored placement wins once there is one
    Notebook = new QTabWidget(this);
    Notebook->setObjectName(QStringLiteral("Notebook"));
    FrameRicerca = new TFrameZelmModelRicerca(Notebook);
    // The card is built the first time a sheet is opened: most sessions only search.
    fPaginaScheda = new QWidget(Notebook);
    fPaginaScheda->setObjectName(QStringLiteral("PaginaScheda"));
    auto* pagina = new QVBoxLayout(fPaginaScheda);
    pagina->setContentsMargins(0, 0, 0, 0);
    Notebook->addTab(FrameRicerca, QStringLiteral("Ricerca"));
    Notebook->addTab(fPaginaScheda, QStringLiteral("Scheda"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Notebook);
    MostraPagina(0);
    connect(FrameRicerca, &TFrameZelmModelMaster::OnCommand, this,
            Guarded([this](TFrameZelmModelMaster*, TZelmModelCommand c) { Esegui(c); }));
    connect(FrameRicerca, &TFrameZelmModelRicerca::MostraScheda, this,
            Guarded([this](int id) { MostraScheda(id); }));
}

// The pages and the service use the session's connection: they go before it does.
TFormZelmModel::~TFormZelmModel() {
    delete FrameRicerca;
    delete FrameScheda;
    fService.reset();
}

QString TFormZelmModel::GetTitolo() const {
    return QStringLiteral("Schede modelli - Ditta: %1 - Utente: %2")
        .arg(FSession->ZavoUser()->DittaUtente(), FSession->ZavoUser()->NomeUtente());
}

void TFormZelmModel::FormShow() {
    TFormBase::FormShow();
    if (fService)
        return;
    fService = std::make_unique<TZelmModelService>();
    fService->SetSession(FSession);
    FrameRicerca->SetSession(FSession);
    FrameRicerca->SetService(fService.get());
    MostraPagina(0);
    FrameRicerca->Open();
}

void TFormZelmModel::closeEvent(QCloseEvent* event) {
    if (PaginaCorrente() == 1) {
        Dialogs().Warning(
            QStringLiteral("Per chiudere la finestra è necessario chiudere prima la scheda"));
        event->ignore();
        return;
    }
    TFormBase::closeEvent(event);
}

bool TFormZelmModel::FormClose() {
    if (fService) {
        if (!RunGuarded([this] { FrameRicerca->Close(); }))
            return false;
        // Nothing is open on the search page: whatever the last command left is given back.
        RunGuarded([this] { fService->EndTransaction(false); });
    }
    return TFormBase::FormClose();
}

TFrameZelmModelScheda* TFormZelmModel::Scheda() {
    if (!FrameScheda) {
        FrameScheda = new TFrameZelmModelScheda(fPaginaScheda);
        fPaginaScheda->layout()->addWidget(FrameScheda);
        FrameScheda->SetSession(FSession);
        FrameScheda->SetService(fService.get());
        connect(FrameScheda, &TFrameZelmModelMaster::OnCommand, this,
                Guarded([this](TFrameZelmModelMaster*, TZelmModelCommand c) { Esegui(c); }));
    }
    return FrameScheda;
}

int TFormZelmModel::PaginaCorrente() const {
    return Notebook->currentIndex();
}

void TFormZelmModel::MostraPagina(int page) {
    // The pages are the window's mode: the user moves between them through the commands only.
    Notebook->setTabEnabled(page, true);
    Notebook->setCurrentIndex(page);
    Notebook->setTabEnabled(1 - page, false);
    // The keyboard follows the page: the list, or the card's first field.
    if (page == 0)
        FrameRicerca->FrameZavoGrid->ZavoGrid()->setFocus(Qt::OtherFocusReason);
    else
        FrameScheda->FocusPrimoCampo();
}

int TFormZelmModel::IdCorrente() const {
    return PaginaCorrente() == 0 ? FrameRicerca->CurrentRecord()->Id()
                                 : FrameScheda->FieldsCache()->Id();
}

void TFormZelmModel::NuovaTransazione() {
    fService->EndTransaction(false);
    fService->StartTransaction();
}

bool TFormZelmModel::Verifica(const std::function<bool()>& work) {
    try {
        return work();
    } catch (...) {
        ShowCurrentError(false, QStringLiteral("Operazione non consentita\r\n"));
        return false;
    }
}

bool TFormZelmModel::VerificaDaCapo(const std::function<bool()>& work) {
    const bool ok = Verifica([&] {
        NuovaTransazione();
        return work();
    });
    if (!ok)
        fService->EndTransaction(false);
    return ok;
}

void TFormZelmModel::Apri(const TZelmModelContext& context, bool readOnly) {
    Scheda()->SetContext(context);
    Scheda()->SetReadOnly(readOnly);
    MostraPagina(1);
}

bool TFormZelmModel::Esecuzione(const std::function<void()>& work, bool comeErrore) {
    try {
        work();
        return true;
    } catch (...) {
        ShowCurrentError(comeErrore, QStringLiteral("Operazione fallita\r\n"));
        return false;
    }
}

bool TFormZelmModel::Conferma(const TValidationResult* result, const QString& question,
                              const QString& plainQuestion) {
    if (!result || result->IsOk())
        return plainQuestion.isEmpty() || Dialogs().Question(plainQuestion);
    if (result->IsWarning()) {
        QString text = QStringLiteral("Attenzione:\r\n");
        for (const QString& w : result->Warnings())
            text += w + QStringLiteral("\r\n");
        text += question + QStringLiteral("\r\n");
        return Dialogs().WarningQuestion(text);
    }
    throw EZavoError(result->Errors().join(QStringLiteral("\r\n")));
}

void TFormZelmModel::Esegui(TZelmModelCommand command) {
    switch (command) {
    case cmdNuovo:
        Nuovo();
        break;
    case cmdDuplica:
        Duplica();
        break;
    case cmdModifica:
        Modifica();
        break;
    case cmdElimina:
        Elimina();
        break;
    case cmdMostra:
        Mostra();
        break;
    case cmdSalva:
        Salva();
        break;
    case cmdAnnulla:
        Annulla();
        break;
    case cmdRilasciaC:
        Rilascia(false);
        break;
    case cmdRilasciaP:
        Rilascia(true);
        break;
    case cmdSospendi:
        Sospendi();
        break;
    case cmdExportXls:
        ExportXls();
        break;
    case cmdChiudi:
        Chiudi();
        break;
    case cmdSchedeEliminate:
        SchedeEliminate();
        break;
    }
}

// A command that starts from the search page or from a read-only card opens nothing unless it
// succeeds: its transaction is given back when it is refused, so that a later attempt sees what
// others committed meanwhile.
void TFormZelmModel::Nuovo() {
    std::unique_ptr<TZelmModelContext> context;
    if (VerificaDaCapo([&] {
            context = fService->CreateNew();
            return true;
        }))
        Apri(*context, false);
}

void TFormZelmModel::Duplica() {
    std::unique_ptr<TZelmModelContext> duplicate;
    if (VerificaDaCapo([&] {
            duplicate = fService->CreateDuplicate(*fService->Load(IdCorrente()));
            return true;
        }))
        Apri(*duplicate, false);
}

void TFormZelmModel::Modifica() {
    const int id = IdCorrente();
    std::unique_ptr<TZelmModelContext> context;
    if (!VerificaDaCapo([&] {
            context = fService->Load(id);
            std::unique_ptr<TValidationModifyResult> result = fService->ValidateModify(*context);
            const bool variante = result && result->NewVariante;
            if (!Conferma(result.get(), variante ? QStringLiteral("Creare una nuova variante?")
                                                 : QStringLiteral("Continuare?")))
                return false;
            if (variante)
                context = fService->CreateVariante(*context);
            return true;
        }))
        return;
    Apri(*context, false);
}

void TFormZelmModel::Elimina() {
    std::unique_ptr<TZelmModelContext> context;
    const QString question = QStringLiteral("Eliminare la scheda corrente?");
    if (!VerificaDaCapo([&] {
            context = fService->Load(IdCorrente());
            return Conferma(fService->ValidateDelete(*context).get(), question, question);
        }))
        return;
    if (!Scrivi([&] { fService->Delete(*context); }, false)) {
        fService->EndTransaction(false);
        return;
    }
    FrameRicerca->RefreshGrid(rmNextRecord);
}

void TFormZelmModel::SchedeEliminate() {
    try {
        fService->RichiediStorico();
    } catch (...) {
        ShowCurrentError(false);
        return;
    }
    TFormSchedeEliminate form(FSession, FSession->DirittoAccesso() != daSolaLettura, this);
    form.Ripristina = [this](int id) {
        if (!VerificaDaCapo([] { return true; }))
            return false;
        if (!Scrivi([&] { fService->Ripristina(id); }, true)) {
            fService->EndTransaction(false);
            return false;
        }
        FrameRicerca->RefreshGrid(id);
        Dialogs().Information(QStringLiteral("Scheda %1 ripristinata").arg(id));
        return true;
    };
    ExecModal(form);
}

void TFormZelmModel::Mostra() {
    MostraScheda(IdCorrente());
}

void TFormZelmModel::MostraScheda(int id) {
    std::unique_ptr<TZelmModelContext> context;
    if (VerificaDaCapo([&] {
            context = fService->Load(id);
            return true;
        }))
        Apri(*context, true);
}

void TFormZelmModel::Salva() {
    std::unique_ptr<TZelmModelContext> context;
    // A refusal or a failure leaves the card open with the user's changes.
    if (!Verifica([&] {
            context = Scheda()->GetContext();
            fService->StartTransaction();
            return Conferma(fService->ValidateSave(*context).get(), QStringLiteral("Continuare?"));
        }))
        return;
    if (!Scrivi([&] { fService->Save(*context); }, true))
        return;
    MostraPagina(0);
    FrameRicerca->RefreshGrid(context->Model() ? context->Model()->Id() : 0);
}

void TFormZelmModel::Annulla() {
    fService->EndTransaction(false);
    MostraPagina(0);
    FrameRicerca->RefreshGrid(rmCurrentRecord);
}

void TFormZelmModel::Rilascia(bool produzione) {
    std::unique_ptr<TZelmModelContext> context;
    const QString fase = produzione ? QStringLiteral("produzione") : QStringLiteral("campione");
    if (!Verifica([&] {
            context = Scheda()->GetContext();
            fService->StartTransaction();
            // The release stores the whole card as "Salva" would: what it refuses to save
            // refuses the release too.
            const std::unique_ptr<TValidationResult> save = fService->ValidateSave(*context);
            if (save && !save->Errors().isEmpty())
                throw EZavoError(save->Errors().join(QStringLiteral("\r\n")));
            const std::unique_ptr<TValidationResult> result =
                produzione ? fService->ValidateRilasciaP(*context)
                           : fService->ValidateRilasciaC(*context);
            return Conferma(result.get(),
                            QStringLiteral("Rilasciare comunque la scheda (%1)?").arg(fase),
                            QStringLiteral("Rilasciare la scheda (%1)?").arg(fase));
        }))
        return;
    if (!Scrivi(
            [&] {
                if (produzione)
                    fService->RilasciaP(*context);
                else
                    fService->RilasciaC(*context);
                // The panels' pending edits go with the status, in the same transaction: the
                // read-only card then shows what is stored.
                fService->Save(*context);
            },
            true))
        return;
    FrameRicerca->RefreshGrid(context->Model()->Id());
    fService->StartTransaction();
    Scheda()->SetContext(*context);
    Scheda()->SetReadOnly(true);
}

void TFormZelmModel::Sospendi() {
    std::unique_ptr<TZelmModelContext> context;
    const QString question = QStringLiteral("Vuoi sospendere irrevocabilmente la scheda corrente?");
    if (!VerificaDaCapo([&] {
            context = fService->Load(IdCorrente());
            return Conferma(fService->ValidateSospendi(*context).get(), question, question);
        }))
        return;
    if (!Scrivi([&] { fService->Sospendi(*context); }, false)) {
        fService->EndTransaction(false);
        return;
    }
    FrameRicerca->RefreshGrid(rmCurrentRecord);
}

bool TFormZelmModel::Scrivi(const std::function<void()>& work, bool comeErrore) {
    return Esecuzione(
        [&] {
            work();
            fService->EndTransaction(true);
        },
        comeErrore);
}

void TFormZelmModel::ExportXls() {
    std::unique_ptr<TZelmModelContext> context;
    TExportExcelScheda exporter;
    std::unique_ptr<QTemporaryFile> qrFile;
    if (!Verifica([&] {
            fService->StartTransaction();
            context = fService->Load(Scheda()->FieldsCache()->Id());
            const QString reference = context->Model()->GetFileName();
            if (!Conferma(fService->ValidateExportXls(*context).get(),
                          QStringLiteral("Esportare comunque la scheda?")))
                return false;
            // The kind chosen, or the extension typed, picks the writer; no extension: Excel 97.
            QString file = Dialogs().ChooseSaveFile(
                QStringLiteral("Export XLS"), QFileInfo::exists(reference) ? reference : QString(),
                QStringLiteral("Excel 97 (*.xls)|*.xls|Excel (*.xlsx)|*.xlsx|PDF (*.pdf)|*.pdf|"
                               "Tutti i file (*.*)|*.*"));
            if (file.isEmpty())
                return false;
            if (QFileInfo(file).suffix().isEmpty())
                file += QStringLiteral(".xls");
            exporter.Context = context.get();
            exporter.FileName = file;
            if (TExportExcelScheda::FormatoDi(file) == TExportExcelScheda::TFormato::Pdf) {
                // The code that travels on paper with the prototype, as a picture for the page.
                qrFile = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                          QStringLiteral("/zelm-qr-XXXXXX.png"));
                if (!qrFile->open() ||
                    !GetQrCodeBitmap(context->Model()->QrCode(), 10).save(qrFile.get(), "PNG"))
                    throw EZavoError(QStringLiteral("Immagine del QR code non creata"));
                qrFile->close();
                exporter.FileQrCode = qrFile->fileName();
            }
            return Conferma(exporter.Prepare().get(), QStringLiteral("Continuare?"));
        }))
        return;
    if (!Esecuzione(
            [&] {
                TFrameDlg* overlay =
                    TFrameDlg::BuildFrameDlg(Scheda(), QStringLiteral("Export in corso"), false);
                TScopeExit remove([overlay] { delete overlay; });
                exporter.Exec();
            },
            true))
        return;
    Dialogs().Information(QStringLiteral("Operazione completata"));
}

void TFormZelmModel::Chiudi() {
    if (PaginaCorrente() == 0) {
        close();
        return;
    }
    MostraPagina(0);
    FrameRicerca->RefreshGrid(rmCurrentRecord);
}

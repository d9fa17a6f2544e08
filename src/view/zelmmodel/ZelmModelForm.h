// The model-sheet window: page "Ricerca" lists the sheets, page "Scheda" shows one; the pages
// raise commands and the window carries them out through the service.
#pragma once

#include "FrameCustom.h"

#include "framework/ui/FormBase.h"

#include <functional>
#include <memory>

class QTabWidget;
class TFrameZelmModelRicerca;
class TFrameZelmModelScheda;
class TValidationResult;
class TZelmModelContext;
class TZelmModelService;

class TFormZelmModel : public TFormBase {
    Q_OBJECT
public:
    TFormZelmModel(int utente, int idFinestra);
    ~TFormZelmModel() override;
    int GetCodiceSituazione() const override { return 1; }
    QString GetTitolo() const override;

    TZelmModelService* Service() const { return fService.get(); }
    /// Carries out a command of a page (the pages' OnCommand).
    void Esegui(TZelmModelCommand command);
    /// 0: search page, 1: a sheet is open on the card.
    int PaginaCorrente() const;

    QTabWidget* Notebook;
    TFrameZelmModelRicerca* FrameRicerca;
    /// The card; none until a sheet is first opened (Scheda() builds it).
    TFrameZelmModelScheda* FrameScheda = nullptr;
    TFrameZelmModelScheda* Scheda();

protected:
    void FormShow() override;
    bool FormClose() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Nuovo();
    void Duplica();
    void Modifica();
    void Elimina();
    void Mostra();
    /// "Mostra" on a sheet given by its identifier (a scanned code), in or out of the list.
    void MostraScheda(int id);
    void Salva();
    void Annulla();
    void Rilascia(bool produzione);
    void Sospendi();
    void ExportXls();
    /// The deleted sheets the history keeps, and their restore.
    void SchedeEliminate();
    void Chiudi();

    void MostraPagina(int page);
    /// The id of the sheet in view: the search row's on page 0, the card's on page 1.
    int IdCorrente() const;
    /// A fresh service transaction for a command that starts from nothing open.
    void NuovaTransazione();
    /// Runs the loading and checking part of a command, which answers whether to go on; its
    /// errors are shown as "Operazione non consentita". False when refused or declined.
    bool Verifica(const std::function<bool()>& work);
    /// The same for a command that starts from nothing open: in a fresh transaction, given back
    /// unless the command goes on.
    bool VerificaDaCapo(const std::function<bool()>& work);
    /// Runs a confirmed operation; its errors are shown as "Operazione fallita" (a warning or an
    /// error). False when it failed.
    bool Esecuzione(const std::function<void()>& work, bool comeErrore);
    /// A confirmed write, committed when it succeeds.
    bool Scrivi(const std::function<void()>& work, bool comeErrore);
    /// The card on `context`, editable or not.
    void Apri(const TZelmModelContext& context, bool readOnly);
    /// Acts on a validation: nothing or the plain question on code 0, the warnings and
    /// `question` on code 1, the errors raised on code 2. True to go on.
    static bool Conferma(const TValidationResult* result, const QString& question,
                         const QString& plainQuestion = QString());

    std::unique_ptr<TZelmModelService> fService;
    QWidget* fPaginaScheda;
};

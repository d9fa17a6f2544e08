// The window that creates item-master articles from a model sheet: one article per operative
// size of the chosen numbering, all under one code.
#pragma once

#include "framework/ui/FormBase.h"

#include <memory>

class QComboBox;
class QEventLoop;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TClientiData;
class TZelmCreaArtService;
class TZelmModelData;
class TClassificazione1DataList;
class TClassificazione5DataList;

class TFormZelmCreaArt : public TFormBase {
    Q_OBJECT
public:
    /// The window of the entry point, with a session of its own.
    TFormZelmCreaArt(int utente, int idFinestra);
    /// A window inside an existing session (for the modal use).
    TFormZelmCreaArt(QWidget* owner, TSession* session);
    ~TFormZelmCreaArt() override;
    int GetCodiceSituazione() const override { return 7; }
    QString GetTitolo() const override;

    enum TEsito { mrNone = 0, mrOk = 1, mrCancel = 2 };
    /// Shows the window modally and returns mrOk after a creation, mrCancel after "Chiudi".
    int EseguiModale();

    TZelmCreaArtService* Service() const { return fService.get(); }
    const TZelmModelData* Model() const { return fModel.get(); }
    const TClientiData* Cliente() const { return fCliente.get(); }

    // --- the user's actions
    void SelezionaModello();
    void RicercaCliente();
    /// Loads the customer whose code is typed (the timer's work).
    void CaricaCliente();
    void Crea();

    QPushButton *ButtonSelezModello, *ButtonCliente, *ButtonCrea, *ButtonChiudi;
    QLabel *LabelId, *LabelIdModel, *LabelIdVariante, *LabelDataVariante;
    QLineEdit *EditCliente, *EditLavorazione, *EditCodice, *EditForma, *EditTacco, *EditPlato,
        *EditData;
    QLineEdit *EditCodiceArticolo, *EditCodiceCliente, *EditSiglaCliente, *EditRagSocCliente,
        *EditFondoDescrizione, *EditFormaArticolo;
    QComboBox *ComboNumerataOperativa, *ComboLissaColore;
    QTimer* TimerCliente;

protected:
    void FormShow() override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Build();
    void MostraModello();
    void MostraCliente();
    void Termina(int esito);

    std::unique_ptr<TZelmCreaArtService> fService;
    std::unique_ptr<TZelmModelData> fModel;
    std::unique_ptr<TClientiData> fCliente;
    std::unique_ptr<TClassificazione1DataList> fLissaColore;
    std::unique_ptr<TClassificazione5DataList> fNumerate;
    bool fModale = false;
    int fEsito = mrNone;
    QEventLoop* fLoop = nullptr;
};

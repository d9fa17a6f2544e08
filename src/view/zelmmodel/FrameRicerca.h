// Page "Ricerca" of the model-sheet window: the commands, the filters and the list of sheets.
#pragma once

#include "FrameCustom.h"

#include "framework/grid/FrameZavoGrid.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class QTimer;
class QToolButton;
class TFieldControlZelmModel;

class TFrameZelmModelRicerca : public TFrameZelmModelMaster {
    Q_OBJECT
public:
    explicit TFrameZelmModelRicerca(QWidget* parent = nullptr);

    void SetSession(TSession* session) override;
    TFieldControlZelmModel* CurrentRecord() const { return fCurrentRecord; }
    bool RowSelected() const;

    /// Builds the query from the filters and fills the list.
    void Open();
    /// Closes the list's query (storing the user's layout).
    void Close();
    void RefreshGrid(int id);
    void RefreshGrid(TRelocateMode mode);
    /// Stops the filter timer, rebuilds the query and refreshes keeping the selected sheet.
    void ApplicaFiltri();
    /// The query text of the filters as they are now.
    QStringList CostruisciSql() const;

    TFrameZavoGrid* FrameZavoGrid;
    QTimer* TimerFiltri;
    QPushButton *ButtonNuovo, *ButtonDuplica, *ButtonElimina, *ButtonModifica, *ButtonSospendi,
        *ButtonMostra, *ButtonEliminate, *ButtonEsci;
    QCheckBox* CheckNascondiSospesi;
    QLineEdit *EditSiglaCliente, *EditLavorazione, *EditCodice, *EditForma, *EditTacco, *EditPlato,
        *EditDataInizio, *EditDataFine;
    QToolButton *ActionRCliente, *ActionPickDataInizio, *ActionPickDataFine;

signals:
    /// A sheet's code was scanned (or typed) into a filter box: its card is to be shown.
    void MostraScheda(int id);

private:
    /// Enter in a filter box: a sheet's QR text shows that sheet, anything else filters at once.
    void Invio(QLineEdit* edit);
    /// Raises `command`; those needing a row first check there is one.
    void Raise(TZelmModelCommand command, bool needsRow);
    void PickData(QLineEdit* edit, const QString& title);
    void RicercaCliente();

    TFieldControlZelmModel* fCurrentRecord = nullptr;
};

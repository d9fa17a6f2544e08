// Page "Scheda" of the model-sheet window: every column of one sheet in its control over a
// one-row in-memory table, the four sub-record panels, the picks, the file reference, the status
// colour and the QR image; view and edit states.
#pragma once

#include "FrameCustom.h"

#include "model/ZelmModelContext.h"

#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class TFieldControlZelmModel;
class TFrameZelmModelDett;
class TFrameZelmModelOpz;
class TFrameZelmModelPrefComp;
class TFrameZelmModelSto;
class TMemDataSet;

class TFrameZelmModelScheda : public TFrameZelmModelMaster {
    Q_OBJECT
public:
    explicit TFrameZelmModelScheda(QWidget* parent = nullptr);

    void SetSession(TSession* session) override;
    void SetService(TZelmModelService* service) override;
    void SetReadOnly(bool readOnly) override;
    /// The keyboard starts on the card's first field that takes input (a read-only card: its
    /// first list), so a user who just opened it can type or Tab on at once.
    void FocusPrimoCampo();

    /// Shows the context's sheet and sub-records.
    void SetContext(const TZelmModelContext& from);
    /// The sheet as the card holds it now, with the panels' rows; refuses a date that is not one.
    std::unique_ptr<TZelmModelContext> GetContext();

    TFieldControlZelmModel* FieldsCache() const { return fFieldsCache; }
    TMemDataSet* ClientDataSet;

    // --- the user's actions
    void PickData(const QString& field, const QString& title);
    void RicercaCliente();
    void WriteFile();
    void ClickFile();
    /// The photo viewer on the sheet's QR code; the window keeps painting until it ends.
    void OrvoPhoto();
    /// The sheet's history, in its own window.
    void MostraStorico();
    /// Writes what the controls hold into the row ("post any pending edit").
    void PostEdits();

    /// How a referenced file is opened; replaced by tests. False: no application opened it.
    static std::function<bool(const QString& path)> ApriFile;
    /// The Italian text of why `path` cannot be opened (empty: nothing known against it).
    static QString MotivoApertura(const QString& path);

    QPushButton *ActionModifica, *ActionSalva, *ActionAnnulla, *ActionRilasciaC, *ActionRilasciaP,
        *ActionExportXls, *ActionStorico, *ActionChiudi, *ActionOrvoPhoto;
    QToolButton *ActionWriteFile, *ActionRicercaCliente;
    QLabel *LabelId, *LabelIdModel, *LabelIdVariante, *LabelDataVariante, *LabelFile,
        *LabelCodiceCliente, *ImageQrCode;
    QLineEdit* DBEditStatusScheda;
    TFrameZelmModelDett* FrameDett;
    TFrameZelmModelOpz* FrameOpz;
    TFrameZelmModelPrefComp* FramePrefComp;
    TFrameZelmModelSto* FrameSto;
    /// The date picks: field, button and the title of their dialog.
    struct TDatePick {
        QString field;
        QToolButton* button;
        QString title;
    };
    std::vector<TDatePick> DatePicks;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<QWidget*> fTabOrder; ///< the fields, then each panel's commands and list
    struct TBinding {
        QWidget* control;
        QString field;
        bool date;
    };
    QLineEdit* AddEdit(const char* name, const QString& field, int maxLength);
    void LoadControls();
    void RefreshStatus();
    void RefreshFile();
    void RefreshQrCode();

    std::vector<TBinding> fBindings;
    TFieldControlZelmModel* fFieldsCache = nullptr;
};

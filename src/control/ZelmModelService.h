// Every rule and operation on model sheets, in the one snapshot transaction of its window.
#pragma once

#include "ServiceBase.h"

#include "model/ZelmModelContext.h"

#include <QObject>

class TSession;
class TIBDatabase;
class TIBTransaction;

/// A validation of a modification; NewVariante proposes a new variant instead of an edit in place.
class TValidationModifyResult : public TValidationResult {
public:
    bool NewVariante = false;
};

class TZelmModelService : public TServiceBase {
    Q_OBJECT
public:
    explicit TZelmModelService(QObject* owner = nullptr);

    std::unique_ptr<TZelmModelContext> CreateNew();
    void Lock(int id);
    std::unique_ptr<TZelmModelContext> SafeLoad(int id);
    /// As SafeLoad; a missing sheet is the error "Record ID %d non trovato".
    std::unique_ptr<TZelmModelContext> Load(int id);
    std::unique_ptr<TValidationModifyResult> ValidateModify(const TZelmModelContext& context);
    std::unique_ptr<TZelmModelContext> CreateVariante(const TZelmModelContext& from);
    std::unique_ptr<TZelmModelContext> CreateDuplicate(const TZelmModelContext& from);
    std::unique_ptr<TValidationResult> ValidateDelete(const TZelmModelContext& context);
    void Delete(const TZelmModelContext& context);
    std::unique_ptr<TValidationResult> ValidateRilasciaC(const TZelmModelContext& context);
    void RilasciaC(TZelmModelContext& context);
    std::unique_ptr<TValidationResult> ValidateRilasciaP(const TZelmModelContext& context);
    void RilasciaP(TZelmModelContext& context);
    std::unique_ptr<TValidationResult> ValidateSospendi(const TZelmModelContext& context);
    void Sospendi(TZelmModelContext& context);
    std::unique_ptr<TValidationResult> ValidateSave(const TZelmModelContext& context);
    void Save(TZelmModelContext& context);
    std::unique_ptr<TValidationResult> ValidateExportXls(const TZelmModelContext& context);
    std::unique_ptr<TZelmModelDettContext> BuildDettContext(const TZelmModelContext& from);
    std::unique_ptr<TZelmModelOpzContext> BuildOpzContext(const TZelmModelContext& from);
    std::unique_ptr<TZelmModelPrefCompContext> BuildPrefCompContext(const TZelmModelContext& from);
    /// The sheet of a scanned code's model and variant, 0 when there is none (a read of its own).
    int IdDaQrText(int idModel, int idVariante);
    void LoadTaglieOperative(const QString& codice, TTaglieOperativeDataList& to);
    bool LoadCliente(const QString& codice, TClientiData& to);
    /// Whether the archive keeps the sheets' history.
    bool HaStorico();
    /// Raises the Italian refusal of a command that needs the history when the archive has none.
    void RichiediStorico();
    /// Stores again sheet `id`, deleted, with its identifiers and the sub-records deleted with it,
    /// as the history kept them. Refused in Italian when the sheet is there, its model and
    /// variant were taken meanwhile, or the history has no deletion of it.
    void Ripristina(int id);

protected:
    void TransazionePersa() override;
    void TransazioneFinita() override;

private:
    /// Names the operation, the window's user and the program for the history of what the
    /// command writes next.
    void SegnaOperazione(const QString& operazione);
    /// Before a write on the sheet taken for editing whose lock went with a lost transaction:
    /// takes the lock again and compares what is stored with what was loaded under the old one;
    /// raises an Italian refusal (nothing written) when another user changed or deleted it.
    void RiprendiBlocco(const TZelmModelData& sheet);
    /// The sheet as loaded when it was locked for editing, while the lock lasts.
    std::unique_ptr<TZelmModelContext> fBloccata;
    bool fBloccoPerso = false;

    std::unique_ptr<TValidationResult> ValidateStatus(const TZelmModelContext& context,
                                                      TStatusScheda status);
    void ChangeStatus(TZelmModelContext& context, TStatusScheda status);
    /// Throws the first missing reference of the sheet.
    void CheckReferences(const TZelmModelContext& context);
    /// Stores the sheet's row; a new variant takes the model's next free number when its own
    /// was taken meanwhile.
    void SaveSheetRow(TZelmModelContext& context);
    /// Adds the lock's refusal to `result` as an error.
    void LockInto(const TZelmModelData& sheet, TValidationResult& result);
};

// Loads, locks, numbers, writes and deletes model sheets (ZELMMODEL).
#pragma once

#include "DataAccessObject.h"

#include "model/ZelmModelData.h"

class TZelmModelDataAccess : public TDataAccessObject {
    Q_OBJECT
public:
    using TDataAccessObject::TDataAccessObject;

    bool Load(int id, TZelmModelData& to);
    ZELM_OR_NONE(TZelmModelData, Load, (int id), id)
    /// Sub-records are not touched here.
    void Delete(int id);
    /// Fills identifier, model number, status and QR text where missing, then writes the row.
    void Save(TZelmModelData& data);
    /// Holds the row for the rest of the transaction: ERecordLocked when another transaction
    /// holds it (at once, transactions do not wait), ERecordNotFound when it is gone.
    void Lock(int id);
    int GenId();
    int GenIdModel();
    /// Highest variant of the model plus one; 1 for a model without sheets.
    int GenIdVariante(int idModel);
    int CountModel(int idModel);
    /// Whether the row `id` exists, as the accessor's transaction sees it.
    bool Exists(int id);
    /// The committed sheet of this model and variant (read outside the caller's snapshot), 0
    /// when there is none.
    int CommittedId(int idModel, int idVariante);
    /// The highest variant number of the model stored by anyone, -1 when none.
    int CommittedMaxVariante(int idModel);

private:
    TIBSQL* fSelect = nullptr;
    TIBSQL* fDelete = nullptr;
    TIBSQL* fUpsert = nullptr;
    TIBSQL* fLock = nullptr;
    TIBSQL* fMaxVariante = nullptr;
    TIBSQL* fCount = nullptr;
    TIBSQL* fExists = nullptr;
};

// Articles of the item master: read by identifier or code, inserted one by one.
#pragma once

#include "DataAccessObject.h"

#include "model/AnaMagData.h"

class TAnaMagDataAccess : public TDataAccessObject {
    Q_OBJECT
public:
    using TDataAccessObject::TDataAccessObject;
    bool Load(int id, TAnaMagData& to);
    ZELM_OR_NONE(TAnaMagData, Load, (int id), id)
    /// Every extension of a code (cut to 20 characters), ordered by extension.
    bool Load(const QString& codice, TAnaMagDataList& to);
    ZELM_OR_NONE(TAnaMagDataList, Load, (const QString& codice), codice)
    int GenId();
    /// Plain insert: an ID that exists already fails with the key violation.
    void Save(TAnaMagData& data);

private:
    TIBSQL* fById = nullptr;
    TIBSQL* fByCode = nullptr;
    TIBSQL* fInsert = nullptr;
};

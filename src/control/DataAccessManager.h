// One accessor per table, created on first use, all sharing the manager's connection and
// transaction.
#pragma once

#include "AnaMagDataAccess.h"
#include "ReferenceDataAccess.h"
#include "ZelmModelDataAccess.h"
#include "ZelmModelSubDataAccess.h"

class TDataAccessManager : public TDataAccessObject {
    Q_OBJECT
public:
    using TDataAccessObject::TDataAccessObject;

    TZelmModelDataAccess& ZelmModelDataAccess() { return Get(fZelmModel); }
    TZelmModelDettDataAccess& ZelmModelDettDataAccess() { return Get(fDett); }
    TZelmModelOpzDataAccess& ZelmModelOpzDataAccess() { return Get(fOpz); }
    TZelmModelPrefCompDataAccess& ZelmModelPrefCompDataAccess() { return Get(fPrefComp); }
    TZelmModelStoDataAccess& ZelmModelStoDataAccess() { return Get(fSto); }
    TZelmSetOpzioniLavorazDataAccess& ZelmSetOpzioniLavorazDataAccess() { return Get(fSetOpz); }
    TZelmSetPreferenzeComponentiDataAccess& ZelmSetPreferenzeComponentiDataAccess() {
        return Get(fSetPref);
    }
    TTaglieOperativeDataAccess& TaglieOperativeDataAccess() { return Get(fTaglie); }
    TClientiDataAccess& ClientiDataAccess() { return Get(fClienti); }
    TClassificazione1DataAccess& Classificazione1DataAccess() { return Get(fClass1); }
    TClassificazione5DataAccess& Classificazione5DataAccess() { return Get(fClass5); }
    TAnaMagDataAccess& AnaMagDataAccess() { return Get(fAnaMag); }

private:
    template <typename T> T& Get(T*& slot) {
        if (!slot) {
            slot = new T(this);
            slot->SetIBDatabase(IBDatabase());
            slot->SetIBTransaction(IBTransaction());
        }
        return *slot;
    }

    TZelmModelDataAccess* fZelmModel = nullptr;
    TZelmModelDettDataAccess* fDett = nullptr;
    TZelmModelOpzDataAccess* fOpz = nullptr;
    TZelmModelPrefCompDataAccess* fPrefComp = nullptr;
    TZelmModelStoDataAccess* fSto = nullptr;
    TZelmSetOpzioniLavorazDataAccess* fSetOpz = nullptr;
    TZelmSetPreferenzeComponentiDataAccess* fSetPref = nullptr;
    TTaglieOperativeDataAccess* fTaglie = nullptr;
    TClientiDataAccess* fClienti = nullptr;
    TClassificazione1DataAccess* fClass1 = nullptr;
    TClassificazione5DataAccess* fClass5 = nullptr;
    TAnaMagDataAccess* fAnaMag = nullptr;
};

#include "ServiceBase.h"

#include "framework/db/DBConnection.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBTransaction.h"
#include "framework/session/Session.h"

TServiceBase::TServiceBase(QObject* owner) : QObject(owner) {}

TServiceBase::~TServiceBase() {
    // Accessors hold statements on the transaction: they go first.
    delete fManager;
    fManager = nullptr;
}

TIBDatabase& TServiceBase::IBDatabase() const {
    if (!fSession)
        throw EZavoError(QStringLiteral("Sessione non impostata"));
    return fSession->IBDatabase();
}

TIBTransaction& TServiceBase::IBTransaction() {
    if (!fTransaction)
        fTransaction = CreaTransazione(IBDatabase(), TTipoTransazione::Snapshot, false);
    return *fTransaction;
}

TDataAccessManager& TServiceBase::DataAccessManager() {
    if (!fManager) {
        fManager = new TDataAccessManager(this);
        fManager->SetIBDatabase(&IBDatabase());
        fManager->SetIBTransaction(&IBTransaction());
    }
    return *fManager;
}

void TServiceBase::StartTransaction() {
    if (!IBTransaction().InTransaction())
        IBTransaction().StartTransaction();
}

void TServiceBase::EndTransaction(bool commit) {
    if (!fTransaction || !fTransaction->InTransaction())
        return;
    if (commit)
        fTransaction->Commit();
    else
        fTransaction->Rollback();
}

void TServiceBase::RequireWriteAccess() const {
    if (fSession && fSession->DirittoAccesso() == daSolaLettura)
        throw EZavoError(QStringLiteral("Operazione non consentita: l'utente ha accesso in sola "
                                        "lettura"));
}

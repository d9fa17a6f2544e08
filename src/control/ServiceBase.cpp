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
    // Every command starts here: a connection that broke since the last one (a server restarted)
    // is opened again. A command that was under way lost its reads and locks with it, whoever
    // noticed the break first (this command, or another transaction of the same connection): the
    // user repeats it, with everything typed still on the window, and what relied on a lost lock
    // is checked again before anything is written.
    IBDatabase().Ripristina();
    if (IBTransaction().Persa()) {
        TransazionePersa();
        IBTransaction().StartTransaction(); // a fresh snapshot; the mark is cleared
        throw EZavoError(QStringLiteral("La connessione all'archivio si era interrotta ed è stata "
                                        "ripristinata: ripetere l'operazione."));
    }
    if (!IBTransaction().InTransaction())
        IBTransaction().StartTransaction();
}

void TServiceBase::EndTransaction(bool commit) {
    if (commit && fTransaction && fTransaction->Persa())
        throw EZavoError(QStringLiteral("La connessione all'archivio si è interrotta durante "
                                        "l'operazione: nulla è stato salvato. Ripeterla."));
    if (!fTransaction || !fTransaction->InTransaction()) {
        if (!commit)
            TransazioneFinita(); // given up: a lock lost with it is no longer wanted either
        return;
    }
    if (commit)
        fTransaction->Commit();
    else
        fTransaction->Rollback();
    TransazioneFinita();
}

void TServiceBase::RequireWriteAccess() const {
    if (fSession && fSession->DirittoAccesso() == daSolaLettura)
        throw EZavoError(QStringLiteral("Operazione non consentita: l'utente ha accesso in sola "
                                        "lettura"));
}

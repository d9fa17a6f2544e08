// What a window's service is made of: its session, one snapshot transaction created at first use
// and started and ended by the window around each unit of work, and the accessors bound to it.
#pragma once

#include "DataAccessManager.h"

#include <QObject>

#include <memory>

class TSession;
class TIBDatabase;
class TIBTransaction;

class TServiceBase : public QObject {
    Q_OBJECT
public:
    explicit TServiceBase(QObject* owner = nullptr);
    ~TServiceBase() override;

    TSession* Session() const { return fSession; }
    void SetSession(TSession* session) { fSession = session; }
    TIBDatabase& IBDatabase() const;
    /// Created on first use (snapshot: concurrency, nowait).
    TIBTransaction& IBTransaction();
    TDataAccessManager& DataAccessManager();

    /// Starts the transaction unless it is active.
    void StartTransaction();
    /// Commits (true) or rolls back (false) an active transaction; nothing when idle.
    void EndTransaction(bool commit);

protected:
    /// Refuses every write for a session with read-only access.
    void RequireWriteAccess() const;
    /// The transaction was found lost (a server restarted, or an administrator cut the
    /// connection): the locks it held are gone with it.
    virtual void TransazionePersa() {}
    /// The transaction ended (committed or given back): its locks are released.
    virtual void TransazioneFinita() {}

    TSession* fSession = nullptr;

private:
    std::unique_ptr<TIBTransaction> fTransaction;
    TDataAccessManager* fManager = nullptr;
};

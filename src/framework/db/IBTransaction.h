// A transaction built from transaction-parameter items ("isc_tpb_concurrency", …). Destroying an
// active transaction rolls it back.
#pragma once

#include <QString>
#include <QStringList>

#include <set>

namespace Firebird {
class ITransaction;
}
class TIBDatabase;
class TIBSQL;

class TIBTransaction {
public:
    explicit TIBTransaction(TIBDatabase* defaultDatabase = nullptr);
    ~TIBTransaction();
    TIBTransaction(const TIBTransaction&) = delete;
    TIBTransaction& operator=(const TIBTransaction&) = delete;

    TIBDatabase* DefaultDatabase() const { return fDatabase; }
    void SetDefaultDatabase(TIBDatabase* database);

    /// Parameter items, one per line, as "isc_tpb_" + the item's name; read when started.
    QStringList Params;

    void StartTransaction();
    void Commit();
    void CommitRetaining();
    void Rollback();
    void RollbackRetaining();
    bool InTransaction() const { return fTransaction != nullptr; }
    /// Was under way when its connection broke and was opened again: what it wrote is gone.
    /// Cleared by the next start.
    bool Persa() const { return fPersa; }

    Firebird::ITransaction* Handle() const { return fTransaction; }

    /// Item name of a transaction-parameter number 1..20 ("concurrency" for 2), empty otherwise.
    static QString ItemName(int item);
    /// Item number of "isc_tpb_<name>" or "<name>", 0 when unknown.
    static int ItemNumber(const QString& name);

private:
    friend class TIBDatabase;
    friend class TIBSQL;
    void ForceRollback() noexcept;
    void CloseCursors();
    void Finished();

    TIBDatabase* fDatabase = nullptr;
    Firebird::ITransaction* fTransaction = nullptr;
    bool fPersa = false;
    std::set<TIBSQL*> fStatements;
};

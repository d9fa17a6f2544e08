#include "IBTransaction.h"

#include "DatabaseError.h"

#include "FbClient.h"
#include "IBDatabase.h"
#include "IBSQL.h"

#include <array>

using namespace Firebird;

namespace {
const std::array<const char*, 21> kItemNames = {"",
                                                "consistency",
                                                "concurrency",
                                                "shared",
                                                "protected",
                                                "exclusive",
                                                "wait",
                                                "nowait",
                                                "read",
                                                "write",
                                                "lock_read",
                                                "lock_write",
                                                "verb_time",
                                                "commit_time",
                                                "ignore_limbo",
                                                "read_committed",
                                                "autocommit",
                                                "rec_version",
                                                "no_rec_version",
                                                "restart_requests",
                                                "no_auto_undo"};
} // namespace

QString TIBTransaction::ItemName(int item) {
    if (item < 1 || item > 20)
        return QString();
    return QString::fromLatin1(kItemNames[item]);
}

int TIBTransaction::ItemNumber(const QString& name) {
    QString n = name.trimmed().toLower();
    if (n.startsWith(QLatin1String("isc_tpb_")))
        n = n.mid(8);
    for (int i = 1; i <= 20; ++i)
        if (n == QLatin1String(kItemNames[i]))
            return i;
    return 0;
}

TIBTransaction::TIBTransaction(TIBDatabase* defaultDatabase) {
    SetDefaultDatabase(defaultDatabase);
}

TIBTransaction::~TIBTransaction() {
    ForceRollback();
    for (TIBSQL* s : fStatements)
        s->fTransaction = nullptr;
    if (fDatabase)
        fDatabase->fTransactions.erase(this);
}

void TIBTransaction::SetDefaultDatabase(TIBDatabase* database) {
    if (database == fDatabase)
        return;
    if (InTransaction())
        throw EZavoError(
            QStringLiteral("Impossibile cambiare il database di una transazione attiva"));
    if (fDatabase)
        fDatabase->fTransactions.erase(this);
    fDatabase = database;
    if (fDatabase)
        fDatabase->fTransactions.insert(this);
}

void TIBTransaction::StartTransaction() {
    if (InTransaction())
        throw EZavoError(QStringLiteral("Transazione già attiva"));
    fPersa = false;
    // Work starts here: a connection that a server restart broke is opened again first.
    if (fDatabase)
        fDatabase->Ripristina();
    if (!fDatabase || !fDatabase->Connected())
        throw EZavoError(QStringLiteral("Database non connesso"));
    std::vector<unsigned char> tpb{isc_tpb_version3};
    for (const QString& p : Params) {
        const int item = ItemNumber(p);
        if (item == 0)
            throw EZavoError(QStringLiteral("Parametro di transazione sconosciuto: %1").arg(p));
        tpb.push_back(static_cast<unsigned char>(item));
    }
    FbClient::Status st;
    ITransaction* tr = fDatabase->Handle()->startTransaction(
        &st, tpb.size() > 1 ? static_cast<unsigned>(tpb.size()) : 0,
        tpb.size() > 1 ? tpb.data() : nullptr);
    st.Check();
    fTransaction = tr;
}

void TIBTransaction::CloseCursors() {
    for (TIBSQL* s : fStatements)
        s->CloseCursorNoThrow();
}

void TIBTransaction::Finished() {
    fTransaction->release();
    fTransaction = nullptr;
}

void TIBTransaction::Commit() {
    if (!InTransaction())
        throw EZavoError(QStringLiteral("Transazione non attiva"));
    CloseCursors();
    FbClient::Status st;
    fTransaction->commit(&st);
    st.Check(); // on failure the transaction stays active: the caller may still roll back
    fTransaction = nullptr;
}

void TIBTransaction::CommitRetaining() {
    if (!InTransaction())
        throw EZavoError(QStringLiteral("Transazione non attiva"));
    FbClient::Status st;
    fTransaction->commitRetaining(&st);
    st.Check();
}

void TIBTransaction::Rollback() {
    if (!InTransaction())
        throw EZavoError(QStringLiteral("Transazione non attiva"));
    CloseCursors();
    FbClient::Status st;
    fTransaction->rollback(&st);
    if (st.Failed()) {
        // The server may have lost the transaction with the connection: forget it either way.
        // Nothing is left to undo on a connection that broke, so that is no failure.
        Finished();
        try {
            st.Raise();
        } catch (const EDatabaseError& e) {
            if (!e.IsConnectionLost())
                throw;
        }
        return;
    }
    fTransaction = nullptr;
}

void TIBTransaction::RollbackRetaining() {
    if (!InTransaction())
        throw EZavoError(QStringLiteral("Transazione non attiva"));
    FbClient::Status st;
    fTransaction->rollbackRetaining(&st);
    st.Check();
}

void TIBTransaction::ForceRollback() noexcept {
    if (!fTransaction)
        return;
    CloseCursors();
    FbClient::Status st;
    fTransaction->rollback(&st);
    if (st.Failed())
        Finished();
    else
        fTransaction = nullptr;
}

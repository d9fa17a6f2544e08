#include "DbHelpers.h"

#include "IBDatabase.h"
#include "IBSQL.h"
#include "IBTransaction.h"

std::unique_ptr<TIBTransaction> CreateSnapshotTransaction(TIBDatabase& database) {
    auto tr = std::make_unique<TIBTransaction>(&database);
    tr->Params << QStringLiteral("isc_tpb_concurrency") << QStringLiteral("isc_tpb_nowait");
    return tr;
}

int GeneratorNextValue(TIBDatabase& database, const QString& generator, int step) {
    std::unique_ptr<TIBTransaction> tr = CreateSnapshotTransaction(database);
    TIBSQL sql(&database, tr.get());
    sql.ParamCheck = false;
    sql.SetSQL(QStringLiteral("SELECT GEN_ID(") + generator + ',' + QString::number(step) +
               QStringLiteral(") FROM RDB$DATABASE"));
    // The transaction rolls back when `tr` goes out of scope, also after a failure.
    tr->StartTransaction();
    sql.ExecQuery();
    const int value = static_cast<int>(sql.Fields(0).AsInt64());
    sql.Close();
    tr->Rollback();
    return value;
}

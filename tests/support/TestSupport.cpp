#include "TestSupport.h"

#include "framework/db/IBDatabase.h"

#include <QDir>
#include <QFile>

std::string DbModeName(const ::testing::TestParamInfo<DbMode>& info) {
    return info.param == DbMode::Embedded ? "Embedded" : "Server";
}

QString TestServerPrefix() {
    const QString server = qEnvironmentVariable("ZELM_TEST_SERVER");
    return server.isEmpty() ? QString() : server + ':';
}

TTestFolder::TTestFolder() : fDir(QDir::tempPath() + QStringLiteral("/zelm-test-XXXXXX")) {}

QString TTestFolder::Path(const QString& name) const {
    return name.isEmpty() ? fDir.path() : fDir.filePath(name);
}

void DbModeTest::SetUp() {
    if (GetParam() == DbMode::Server) {
        fPrefix = TestServerPrefix();
        if (fPrefix.isEmpty())
            GTEST_SKIP() << "Nessun server Firebird di prova (ZELM_TEST_SERVER non impostata)";
    }
}

QString DbModeTest::Connection(const QString& file) const {
    return fPrefix + fFolder.Path(file);
}

std::unique_ptr<TIBDatabase> DbModeTest::CreateDb(const QString& file, const QStringList& scripts) {
    CreateDatabaseFromScripts(Connection(file), scripts);
    return OpenDb(file);
}

std::unique_ptr<TIBDatabase> DbModeTest::OpenDb(const QString& file) {
    auto db = std::make_unique<TIBDatabase>();
    db->SetDatabaseName(Connection(file));
    db->Open();
    return db;
}

THostFolder DbModeTest::ProvisionDemo() {
    return ProvisionHostFolder(fFolder.Path(QStringLiteral("host")), true, true, fPrefix);
}

#include "framework/db/DBConnection.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

THostDirGuard::THostDirGuard(const QString& folder)
    : fPrevious(qgetenv("ZELM_HOST_DIR")),
      fHadPrevious(qEnvironmentVariableIsSet("ZELM_HOST_DIR")) {
    qputenv("ZELM_HOST_DIR", QFile::encodeName(folder));
}

THostDirGuard::~THostDirGuard() {
    if (fHadPrevious)
        qputenv("ZELM_HOST_DIR", fPrevious);
    else
        qunsetenv("ZELM_HOST_DIR");
}

void ExecSql(TIBDatabase& db, const QString& sql) {
    TIBTransaction tr(&db);
    tr.StartTransaction();
    TIBSQL q(&db, &tr);
    q.ParamCheck = false;
    q.SetSQL(sql);
    q.ExecQuery();
    tr.Commit();
}

QVariant QueryValue(TIBDatabase& db, const QString& sql) {
    auto tr = CreaTransazione(db, TTipoTransazione::ReadCommitted);
    TIBSQL q(&db, tr.get());
    q.ParamCheck = false;
    q.SetSQL(sql);
    q.ExecQuery();
    return q.Eof() ? QVariant() : q.Fields(0).AsVariant();
}

void DemoHostTest::SetUp() {
    DbModeTest::SetUp();
    if (IsSkipped())
        return;
    fHost = ProvisionDemo();
    fGuard = std::make_unique<THostDirGuard>(fHost.root);
}

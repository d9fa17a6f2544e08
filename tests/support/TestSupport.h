// Throw-away databases and host folders for the tests, embedded or on the test server.
#pragma once

#include "HostDb.h"

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

#include <gtest/gtest.h>

#include <memory>

class TIBDatabase;

enum class DbMode { Embedded, Server };

std::string DbModeName(const ::testing::TestParamInfo<DbMode>& info);

/// Names table-driven cases "Case0", "Case1", … instead of dumping their bytes.
struct CaseIndex {
    template <typename T> std::string operator()(const ::testing::TestParamInfo<T>& info) const {
        return "Case" + std::to_string(info.index);
    }
};

/// The server's "host/port:" prefix when the test script started one, otherwise empty.
QString TestServerPrefix();

/// A temporary folder removed with its databases at the end of the test.
class TTestFolder {
public:
    TTestFolder();
    QString Path(const QString& name = QString()) const;

private:
    QTemporaryDir fDir;
};

/// Base of the tests that run once embedded and once on the server; server runs are skipped
/// with a message when no server was started.
class DbModeTest : public ::testing::TestWithParam<DbMode> {
protected:
    void SetUp() override;
    /// Connection string for a file of the test folder.
    QString Connection(const QString& file) const;
    /// Creates an empty database (optionally with one of the bundled scripts) and opens it.
    std::unique_ptr<TIBDatabase> CreateDb(const QString& file, const QStringList& scripts = {});
    std::unique_ptr<TIBDatabase> OpenDb(const QString& file);
    /// Provisions a host folder with the demo data in the test folder.
    THostFolder ProvisionDemo();

    TTestFolder fFolder;
    QString fPrefix;
};

class THostDirGuard;

/// A DbModeTest on a provisioned demo host folder, which the product takes for its host
/// program's folder while the test runs.
class DemoHostTest : public DbModeTest {
protected:
    void SetUp() override;
    THostFolder fHost;
    std::unique_ptr<THostDirGuard> fGuard;
};

#define ZELM_DB_MODES(Suite)                                                                       \
    INSTANTIATE_TEST_SUITE_P(, Suite, ::testing::Values(DbMode::Embedded, DbMode::Server),         \
                             DbModeName)

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

inline void PrintTo(DbMode mode, std::ostream* os) {
    *os << (mode == DbMode::Embedded ? "embedded" : "server");
}

/// Points the product's "folder of the host program" at `folder` for the lifetime of the guard.
class THostDirGuard {
public:
    explicit THostDirGuard(const QString& folder);
    ~THostDirGuard();
    THostDirGuard(const THostDirGuard&) = delete;
    THostDirGuard& operator=(const THostDirGuard&) = delete;

private:
    QByteArray fPrevious;
    bool fHadPrevious;
};

/// Runs one statement in a transaction of its own and commits.
void ExecSql(TIBDatabase& db, const QString& sql);
/// First column of the first row of `sql` as a variant (invalid when there is no row).
QVariant QueryValue(TIBDatabase& db, const QString& sql);

// The office started from inside the host (by an import or an export) must not keep the host's
// databases: after the work is done and its windows closed, every entry point opens again in
// the same process, and the office holds no database file.
#include "HostLoader.h"

#include "control/ExportExcelScheda.h"
#include "control/ZelmModelService.h"
#include "control/office/OfficeSuite.h"
#include "framework/session/Session.h"
#include "import/ImportXls.h"

#include "../import/WorkbookFixture.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

namespace {
/// The files of the databases a process holds open.
QStringList DatabaseFilesOf(qint64 pid) {
    QStringList out;
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString& fd : fds.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot)) {
        const QString target = QFileInfo(fds.filePath(fd)).symLinkTarget();
        if (target.endsWith(QLatin1String(".fdb"), Qt::CaseInsensitive))
            out << target;
    }
    return out;
}

void CloseWindows() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}
} // namespace

class EntryPointsAfterOffice : public ::testing::TestWithParam<const char*> {
protected:
    TTestFolder fFolder;
};
INSTANTIATE_TEST_SUITE_P(, EntryPointsAfterOffice, ::testing::Values("import", "export"),
                         [](const auto& info) { return std::string(info.param); });

TEST_P(EntryPointsAfterOffice, EveryWindowOpensAgain) {
    const THostFolder host = ProvisionHostFolder(fFolder.Path("host"));
    THostDirGuard guard(host.root);
    THostLoader loader;
    ASSERT_TRUE(loader.Load(ZELM_PLUGIN_PATH)) << loader.ErrorString().toStdString();
    // The office is started while the host has both databases open, as in a window.
    TOfficeSuite::Instance().Shutdown();
    {
        TSession session(nullptr, 1);
        if (QByteArray(GetParam()) == "import") {
            const QString path = fFolder.Path("modello.xls");
            Scrivi(path);
            TImportXls import(session.IBDatabase(), 1, host.tempDir, host.binDir);
            const TEsitoXls e = import.Importa(path);
            ASSERT_EQ(e.esito, "OK") << e.note.toStdString();
        } else {
            TZelmModelService service;
            service.SetSession(&session);
            service.StartTransaction();
            auto ctx = service.Load(1);
            TExportExcelScheda exporter;
            exporter.Context = ctx.get();
            exporter.FileName = fFolder.Path("scheda.xls");
            ASSERT_TRUE(exporter.Prepare()->IsOk());
            exporter.Exec();
        }
    }
    const qint64 office = TOfficeSuite::Instance().ProcessId();
    ASSERT_GT(office, 0);
    EXPECT_EQ(DatabaseFilesOf(office), QStringList());
    for (const char* entry :
         {"ShowZelmModelFormX", "ShowImpXlsHelvoFormX", "ShowZelmCreaArtFormX"}) {
        EXPECT_TRUE(loader.Call(entry, 1, 1)) << entry << ": " << loader.LastError().toStdString();
        CloseWindows();
    }
    EXPECT_EQ(TOfficeSuite::Instance().ProcessId(), office); // still the same office
}

// The office suite through its bridge: one office process for the whole test binary.
#include "control/office/Descrittori.h"
#include "control/office/OfficeSuite.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

// What the office's child does before exec: every descriptor above the standard streams is closed,
// through close_range and through the one-by-one fallback for kernels that refuse it.
TEST(OfficeSuite, TheChildKeepsOnlyTheStandardStreams) {
    for (const bool closeRange : {true, false}) {
        SCOPED_TRACE(closeRange ? "close_range" : "one by one");
        const int file = open("/dev/null", O_RDONLY); // without O_CLOEXEC, as a library may open
        ASSERT_GE(file, 3);
        const int high = dup2(file, 900);
        ASSERT_EQ(high, 900);
        const long limit = zelm::office::DescriptorLimit();
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            zelm::office::CloseDescriptorsFrom(3, limit, closeRange);
            const bool closed = fcntl(file, F_GETFD) == -1 && fcntl(high, F_GETFD) == -1;
            const bool kept = fcntl(0, F_GETFD) != -1 && fcntl(2, F_GETFD) != -1;
            _exit(closed && kept ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        close(file);
        close(high);
    }
}

TEST(OfficeSuite, WritesStoresAndReadsBackAWorkbook) {
    TTestFolder dir;
    const QString path = dir.Path("prova libro.xls");
    {
        auto doc = TOfficeSuite::Instance().NewSpreadsheet();
        EXPECT_TRUE(TOfficeSuite::Instance().Running());
        doc->SetString(0, 0, QString::fromUtf8("Città"));
        doc->SetValue(1, 0, 46000);
        const int key = doc->NumberFormatKey("DD-MM-YYYY", "it", "IT");
        EXPECT_GE(key, 0);
        EXPECT_EQ(doc->NumberFormatKey("DD-MM-YYYY", "it", "IT"), key); // found, not added again
        doc->SetProperty("B1", "NumberFormat", key);
        doc->SetProperty("A2:C3", "CellBackColor", 0xFFFF00);
        doc->SetBorders("A2:C3", 62, true);
        doc->Merge("A2:C3");
        doc->SetRangeString("A2:C3", "unito");
        doc->SetColumnWidth(0, 2040);
        doc->SetRowHeight(4, 630);
        doc->StoreAsExcel97(path);
        doc->Close();
    }
    ASSERT_TRUE(QFileInfo::exists(path));
    auto back = TOfficeSuite::Instance().LoadSpreadsheet(path);
    EXPECT_EQ(back->GetString(0, 0), QString::fromUtf8("Città"));
    EXPECT_EQ(back->GetString(1, 0), "09-12-2025"); // the date format is kept
    EXPECT_DOUBLE_EQ(back->GetValue(1, 0), 46000);
    EXPECT_EQ(back->GetProperty(1, 1, "CellBackColor").toInt(), 0xFFFF00);
    EXPECT_TRUE(back->IsMerged(0, 1));
    const TSpreadsheet::TArea area = back->MergedArea(0, 1);
    EXPECT_EQ(area.startColumn, 0);
    EXPECT_EQ(area.endColumn, 2);
    EXPECT_EQ(area.endRow, 2);
    EXPECT_FALSE(back->IsMerged(5, 5));
    EXPECT_NEAR(back->BorderWidth(0, 1, "TopBorder2"), 62, 2);
    EXPECT_NEAR(back->ColumnWidth(0), 2040, 20);
    EXPECT_NEAR(back->RowHeight(4), 630, 20);
    EXPECT_EQ(back->GetString(0, 1), "unito");
    EXPECT_EQ(back->GetString(7, 7), "");
}

TEST(OfficeSuite, DataArraysAndErrors) {
    auto doc = TOfficeSuite::Instance().NewSpreadsheet();
    doc->SetDataArray("A1:B2", {{"a", 1.5}, {"b", 2}});
    const QList<QVariantList> rows = doc->GetDataArray("A1:B2");
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[1][0].toString(), "b");
    EXPECT_DOUBLE_EQ(rows[0][1].toDouble(), 1.5);
    EXPECT_THROW(doc->SetProperty("A1", "NessunaProprieta", 1), EOfficeError);
    EXPECT_THROW(TOfficeSuite::Instance().LoadSpreadsheet("/nessuna/cartella/x.xls"), EOfficeError);
}

// The office's sockets in the shared temporary folder, and whether they are still there.
static std::vector<std::string> Lasciati(const std::vector<std::string>& pipes) {
    std::vector<std::string> left;
    for (const std::string& p : pipes)
        if (QFileInfo::exists(QString::fromStdString(p)))
            left.push_back(p);
    return left;
}

// Killed or shut down, the office leaves nothing in the temporary folder; its own temporary
// folder is inside its profile.
TEST(OfficeSuite, ADeadOfficeIsRestartedOnceForTheNextOperation) {
    auto first = TOfficeSuite::Instance().NewSpreadsheet();
    first->SetString(0, 0, "prima");
    const qint64 pid = TOfficeSuite::Instance().ProcessId();
    ASSERT_GT(pid, 0);
    const std::vector<std::string> pipes = zelm::office::SocketPaths(static_cast<pid_t>(pid));
    ASSERT_EQ(std::count_if(pipes.begin(), pipes.end(),
                            [](const std::string& p) { return p.find("zelm_office_") != p.npos; }),
              1);
    ASSERT_EQ(Lasciati(pipes).size(), pipes.size());
    QFile envFile(QString("/proc/%1/environ").arg(pid));
    ASSERT_TRUE(envFile.open(QIODevice::ReadOnly));
    QByteArray tmpdir;
    for (const QByteArray& e : envFile.readAll().split(0))
        if (e.startsWith("TMPDIR="))
            tmpdir = e;
    EXPECT_TRUE(tmpdir.contains("/zelm-office-") && tmpdir.endsWith("/tmp")) << tmpdir.data();

    const int starts = TOfficeSuite::Instance().StartCount();
    kill(-static_cast<pid_t>(pid), SIGKILL);
    EXPECT_THROW(first->SetString(0, 1, "persa"), EOfficeError); // its document died with it
    auto second = TOfficeSuite::Instance().NewSpreadsheet();
    second->SetString(0, 0, "dopo");
    EXPECT_EQ(second->GetString(0, 0), "dopo");
    EXPECT_EQ(TOfficeSuite::Instance().StartCount(), starts + 1);
    EXPECT_NE(TOfficeSuite::Instance().ProcessId(), pid);
    EXPECT_EQ(Lasciati(pipes), std::vector<std::string>{}) << "sockets of the killed office left";

    const auto secondPipes =
        zelm::office::SocketPaths(static_cast<pid_t>(TOfficeSuite::Instance().ProcessId()));
    ASSERT_FALSE(secondPipes.empty());
    second.reset();
    TOfficeSuite::Instance().Shutdown();
    EXPECT_EQ(Lasciati(secondPipes), std::vector<std::string>{});
}

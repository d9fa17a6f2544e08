#include "framework/core/FileAccess.h"
#include "framework/core/IniFile.h"
#include "framework/core/ScriptedDialogs.h"
#include "framework/core/WinPath.h"
#include "framework/core/ZavoError.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QThread>

namespace {
QByteArray ReadAll(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}
void WriteAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
}
} // namespace

TEST(IniFile, ReadsCaseInsensitivelyAndMissingKeysAreEmpty) {
    TTestFolder dir;
    const QString path = dir.Path("dati.ini");
    WriteAll(path, "; commento\r\n[config]\r\nnome server = SRV01 \r\nAlias=\"ARCH\"\r\n"
                   "[ALTRO]\r\nNome Server=NO\r\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("CONFIG", "Nome Server"), "SRV01");
    EXPECT_EQ(ini.ReadString("Config", "ALIAS"), "ARCH");
    EXPECT_EQ(ini.ReadString("CONFIG", "PercorsoDatabase"), "");
    EXPECT_EQ(ini.ReadString("MANCA", "Alias", "x"), "x");
    EXPECT_EQ(TIniFile(dir.Path("nessuno.ini")).ReadString("CONFIG", "Alias"), "");
}

TEST(IniFile, WriteKeepsEveryOtherLineAndTheLineEndings) {
    TTestFolder dir;
    const QString path = dir.Path("dati.ini");
    WriteAll(path, "; commento\r\n[CONFIG]\r\nAlias=A\r\n\r\n[ALTRO]\r\nX=1\r\n");
    TIniFile ini(path);
    ini.WriteString("config", "alias", "B");
    ini.WriteString("CONFIG", "Nome Server", "SRV");
    ini.WriteString("NUOVA", "K", "v");
    EXPECT_EQ(ReadAll(path), QByteArray("; commento\r\n[CONFIG]\r\nalias=B\r\nNome Server=SRV\r\n"
                                        "\r\n[ALTRO]\r\nX=1\r\n\r\n[NUOVA]\r\nK=v\r\n"));
    EXPECT_EQ(TIniFile(path).ReadString("CONFIG", "ALIAS"), "B");
}

TEST(IniFile, AnsiFilesAreReadAndWrittenBackInTheirEncoding) {
    TTestFolder dir;
    const QString path = dir.Path("dati.ini");
    WriteAll(path, "[CONFIG]\r\nPercorsoDatabase=D:\\Archivi\\citt\xe0.fdb\r\n");
    TIniFile ini(path);
    EXPECT_EQ(ini.ReadString("CONFIG", "PercorsoDatabase"),
              QString::fromUtf8("D:\\Archivi\\città.fdb"));
    ini.WriteString("CONFIG", "Alias", "X");
    EXPECT_TRUE(ReadAll(path).contains("citt\xe0.fdb"));
}

TEST(WinPath, SplitsWindowsPaths) {
    EXPECT_EQ(WinPath::Drive("C:\\x\\y.fdb"), "C:");
    EXPECT_EQ(WinPath::Drive("\\\\host\\share\\x\\y.fdb"), "\\\\host\\share");
    EXPECT_EQ(WinPath::Drive("/home/x/y.fdb"), "");
    EXPECT_EQ(WinPath::Folder("C:\\x\\y.fdb"), "C:\\x\\");
    EXPECT_EQ(WinPath::FileName("C:\\x\\y.fdb"), "y.fdb");
    EXPECT_EQ(WinPath::RelativeToDrive("C:\\x\\y.fdb", "c:"), "x\\y.fdb");
    EXPECT_EQ(WinPath::RelativeToDrive("D:\\x\\y.fdb", "C:"), "D:\\x\\y.fdb");
    EXPECT_TRUE(WinPath::IsUnc("\\\\SRV\\C\\a.fdb"));
    EXPECT_FALSE(WinPath::IsUnc("\\\\\\x"));
    EXPECT_EQ(WinPath::FolderAnySep("/home/x/y.fdb"), "/home/x/");
}

TEST(ScriptedDialogs, RecordsAndAnswersFromTheQueue) {
    TScopedDialogs dialogs;
    dialogs->answers.push_back(true);
    EXPECT_TRUE(Dialogs().Question("Procedere?"));
    EXPECT_FALSE(Dialogs().Question("Ancora?")); // queue empty: No
    Dialogs().Warning("Attenzione");
    EXPECT_EQ(dialogs->Texts(), QStringList({"Procedere?", "Ancora?", "Attenzione"}));
}

// --- writes that read back equal, and a file that survives a kill ------------------------------

struct IniValue {
    const char* name;
    QString value;
    bool ansiFile;
    bool refused;
};

class IniRoundTrip : public ::testing::TestWithParam<IniValue> {};

TEST_P(IniRoundTrip, ReadsBackEqualOrIsRefusedLeavingTheFileAsItWas) {
    const IniValue& c = GetParam();
    TTestFolder dir;
    const QString path = dir.Path("dati.ini");
    const QByteArray before = c.ansiFile ? QByteArray("[CONFIG]\r\nAlias=citt\xe0\r\n")
                                         : QByteArray("\xef\xbb\xbf[CONFIG]\r\nAlias=città\r\n");
    WriteAll(path, before);
    TIniFile ini(path);
    if (c.refused) {
        EXPECT_THROW(ini.WriteString("CONFIG", "Valore", c.value), EZavoError);
        EXPECT_EQ(ReadAll(path), before);
        return;
    }
    ini.WriteString("CONFIG", "Valore", c.value);
    const TIniFile back(path);
    EXPECT_EQ(back.ReadString("CONFIG", "Valore", "<manca>"), c.value);
    EXPECT_EQ(back.ReadString("CONFIG", "Alias"), QString::fromUtf8("città"));
    const QByteArray after = ReadAll(path);
    EXPECT_EQ(after.startsWith("\xef\xbb\xbf"), !c.ansiFile); // the encoding is kept
    EXPECT_EQ(after.count("\r\n"), 3);                        // one line more, same endings
}

INSTANTIATE_TEST_SUITE_P(
    , IniRoundTrip,
    ::testing::Values(IniValue{"plain", "SRV01", false, false}, IniValue{"empty", "", false, false},
                      IniValue{"blanks_at_the_ends", "  C:\\Archivi\\ ", false, false},
                      IniValue{"double_quoted", "\"ARCH\"", false, false},
                      IniValue{"single_quoted", "'x'", false, false},
                      IniValue{"one_quote", "l'archivio", false, false},
                      IniValue{"equals_and_semicolon", "a=b; c", false, false},
                      IniValue{"section_look_alike", "[ALTRO]", false, false},
                      IniValue{"accented_utf8", QString::fromUtf8("perché €"), false, false},
                      IniValue{"accented_ansi", QString::fromUtf8("perché"), true, false},
                      IniValue{"line_feed", "a\n[ALTRO]\nX=1", false, true},
                      IniValue{"carriage_return", "a\rb", false, true},
                      IniValue{"euro_in_ansi", QString::fromUtf8("5 €"), true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniFile, AKilledWriterNeverLeavesAnEmptyOrCutFile) {
    TTestFolder dir;
    const QString path = dir.Path("dati.ini");
    QByteArray content = "[CONFIG]\r\n";
    for (int i = 0; i < 2000; ++i)
        content += "Chiave" + QByteArray::number(i) + "=valore di prova numero " +
                   QByteArray::number(i) + "\r\n";
    WriteAll(path, content);
    int damaged = 0;
    const int trials = 10;
    for (int trial = 0; trial < trials; ++trial) {
        QProcess writer;
        writer.start(ZELM_INI_WRITER, {path});
        ASSERT_TRUE(writer.waitForStarted());
        QThread::msleep(20 + 15 * trial); // somewhere inside a write
        writer.kill();
        writer.waitForFinished();
        const TIniFile ini(path);
        if (ini.ReadString("CONFIG", "Chiave0").isEmpty() ||
            ini.ReadString("CONFIG", "Chiave1999").isEmpty())
            ++damaged;
    }
    EXPECT_EQ(damaged, 0) << damaged << " of " << trials << " files emptied or cut";
}

// --- an office's lock file left behind ---------------------------------------------------------

namespace {
void WriteLock(const QString& target, const QString& host, const QString& profileUrl) {
    const QFileInfo info(target);
    WriteAll(info.absolutePath() + "/.~lock." + info.fileName() + '#',
             QString(",Mario Rossi,%1,10.12.2026 10:00,%2;").arg(host, profileUrl).toUtf8());
}
bool LockExists(const QString& target) {
    const QFileInfo info(target);
    return QFileInfo::exists(info.absolutePath() + "/.~lock." + info.fileName() + '#');
}
} // namespace

TEST(FileAccess, StaleOfficeLocksGoLiveOnesStay) {
    TTestFolder dir;
    const QString target = dir.Path("scheda.xls");
    WriteAll(target, "x");
    const QString host = QSysInfo::machineHostName();

    // Our own private office's profile: the office that wrote it died while storing.
    WriteLock(target, host,
              QString("file:///tmp/zelm-office-%1-AbCdEf").arg(QCoreApplication::applicationPid()));
    WriteAll(dir.Path("lu12345.tmp"), "resti");
    EXPECT_EQ(MotivoAccessoNegato(target), "");
    EXPECT_FALSE(LockExists(target));
    EXPECT_FALSE(QFileInfo::exists(dir.Path("lu12345.tmp")));

    // A profile no office of this host uses any more; the target itself already deleted.
    QFile::remove(target);
    WriteLock(target, host, "file:///tmp/zelm-office-999999-QwErTy");
    EXPECT_TRUE(RimuoviBloccoOfficeOrfano(target));
    EXPECT_FALSE(LockExists(target));

    // A lock cut short by the office's death names nobody: stale while no other office runs.
    const QFileInfo info(target);
    WriteAll(info.absolutePath() + "/.~lock." + info.fileName() + '#', ",Mario Ro");
    EXPECT_TRUE(RimuoviBloccoOfficeOrfano(target));

    // A live office on that profile, and a lock written on another workstation, are respected.
    WriteAll(target, "x");
    const QString live = dir.Path("soffice.bin");
    WriteAll(live, "#!/bin/sh\nsleep 30\n");
    QProcess office;
    office.start("/bin/sh", {live, "-env:UserInstallation=file:///tmp/zelm-vivo-123"});
    ASSERT_TRUE(office.waitForStarted());
    QThread::msleep(100);
    WriteLock(target, host, "file:///tmp/zelm-vivo-123");
    EXPECT_EQ(MotivoAccessoNegato(target), "Il file è aperto in LibreOffice");
    EXPECT_TRUE(LockExists(target));
    office.kill();
    office.waitForFinished();
    EXPECT_EQ(MotivoAccessoNegato(target), ""); // its office has ended since
    WriteLock(target, "altra-postazione", "file:///tmp/zelm-office-999999-QwErTy");
    EXPECT_FALSE(RimuoviBloccoOfficeOrfano(target));
    EXPECT_EQ(MotivoAccessoNegato(target), "Il file è aperto in LibreOffice");
}

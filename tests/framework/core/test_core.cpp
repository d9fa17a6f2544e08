#include "framework/core/IniFile.h"
#include "framework/core/ScriptedDialogs.h"
#include "framework/core/WinPath.h"

#include "support/TestSupport.h"

#include <QFile>

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

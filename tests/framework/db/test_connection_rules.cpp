// How paths and "dati.ini" become connection strings, and the open-or-create scheme.
#include "framework/core/IniFile.h"
#include "framework/core/ScriptedDialogs.h"
#include "framework/db/DBConnection.h"
#include "framework/db/DatabaseError.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBTransaction.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <thread>

namespace {
void WriteIni(const QString& path, const QByteArray& text) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}
} // namespace

struct IBNameCase {
    const char* fileName;
    const char* server;
    const char* drive;
    const char* percorso;
    const char* alias;
    const char* expected;
};

class GetIBFileName : public ::testing::TestWithParam<IBNameCase> {};

TEST_P(GetIBFileName, BuildsTheExactConnectionString) {
    const IBNameCase& c = GetParam();
    TDBConnectionInfo info;
    info.FileName = c.fileName;
    info.NomeServer = c.server;
    info.LetteraDiscoServer = c.drive;
    info.PercorsoDatabase = c.percorso;
    info.Alias = c.alias;
    EXPECT_EQ(info.GetIBFileName(), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    , GetIBFileName,
    ::testing::Values(
        IBNameCase{R"(C:\Dati\archivio.fdb)", "", "", "", "", R"(C:\Dati\archivio.fdb)"},
        IBNameCase{R"(\\SRV\C\Dati\archivio.fdb)", "", "", "", "", R"(\\SRV\C:\Dati\archivio.fdb)"},
        IBNameCase{R"(\\SRV\D:\Dati\archivio.fdb)", "", "", "", "",
                   R"(\\SRV\D:\Dati\archivio.fdb)"},
        IBNameCase{R"(Z:\Dati\archivio.fdb)", "SRV", "Z", "", "", R"(\\SRV\Z:\Dati\archivio.fdb)"},
        IBNameCase{R"(Z:\Dati\archivio.fdb)", "SRV", "", "", "ARCH", "SRV:ARCH"},
        IBNameCase{"", "SRV", "", R"(D:\Archivi\archivio.fdb)", "",
                   R"(\\SRV\D:\Archivi\archivio.fdb)"},
        IBNameCase{R"(Z:\x.fdb)", "SRV", "E", R"(D:\Archivi\archivio.fdb)", "",
                   R"(\\SRV\E:\D:\Archivi\archivio.fdb)"},
        IBNameCase{R"(\\PC\Condiviso\Ditta\archivio.fdb)", "SRV", "C", "", "",
                   R"(\\SRV\C:\Ditta\archivio.fdb)"},
        IBNameCase{"", "", "", R"(\\NAS\E\Archivi\a.fdb)", "", R"(\\NAS\E:\Archivi\a.fdb)"},
        IBNameCase{"/home/dati/archivio.fdb", "", "", "", "", "/home/dati/archivio.fdb"}),
    CaseIndex());

TEST(ConnectionRules, ServerWithoutDriveOrPathIsIncomplete) {
    TTestFolder dir;
    WriteIni(dir.Path("dati.ini"), "[CONFIG]\r\nNome Server=SRV\r\n");
    TIBDatabase db;
    try {
        ConnettiIBDatabase(db, dir.Path("archivio.fdb"));
        FAIL();
    } catch (const EZavoError& e) {
        EXPECT_EQ(e.Message(), "Riferimenti file .ini incompleti (specificare \"Lettera Disco "
                               "Server\" o \"PercorsoDatabase\")");
    }
    EXPECT_FALSE(db.Connected());
}

TEST(ConnectionRules, DatiIniBesideTheFileRedirectsTheConnection) {
    TTestFolder dir;
    CreateDatabaseFromScripts(dir.Path("vero.fdb"), {});
    // An alias-less INI pointing at another file of the same folder through PercorsoDatabase.
    WriteIni(dir.Path("dati.ini"),
             "[CONFIG]\r\nPercorsoDatabase=" + dir.Path("vero.fdb").toUtf8() + "\r\n");
    TIBDatabase db;
    ConnettiIBDatabase(db, dir.Path("apparente.fdb"));
    EXPECT_TRUE(db.Connected());
    EXPECT_EQ(db.DatabaseName(), dir.Path("vero.fdb"));
    EXPECT_EQ(db.Params, QStringList({"user_name=SYSDBA", "password=plumbcore"}));
    // Reconnecting closes first.
    ConnettiIBDatabase(db, dir.Path("vero.fdb"));
    EXPECT_TRUE(db.Connected());
}

// A lookup's worker reads the site's user while the window thread sets it from a dati.ini: the
// reader always gets a pair that was set together, never one half of each.
TEST(ConnectionRules, SiteCredentialsAreReadWholeWhileAnotherThreadSetsThem) {
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!done) {
            const auto [user, password, ruolo] = CredenzialiSitoCorrenti();
            if (user.mid(1) != password.mid(1))
                ++torn;
        }
    });
    for (int i = 0; i < 20000; ++i)
        ImpostaCredenzialiSito(QStringLiteral("u%1").arg(i), QStringLiteral("p%1").arg(i));
    done = true;
    reader.join();
    ImpostaCredenzialiSito(QString(), QString());
    EXPECT_EQ(torn, 0);
}

TEST(ConnectionRules, MissingDatabaseReachesTheCaller) {
    TTestFolder dir;
    TIBDatabase db;
    try {
        ConnettiIBDatabase(db, dir.Path("manca.fdb"));
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.IsMissingDatabase()) << e.what();
    }
    EXPECT_FALSE(QFileInfo::exists(dir.Path("manca.fdb")));
}

TEST(ConnectionRules, TransactionItemsAreAddedInIncreasingOrder) {
    TTestFolder dir;
    CreateDatabaseFromScripts(dir.Path("t.fdb"), {});
    TIBDatabase db;
    ConnettiIBDatabase(db, dir.Path("t.fdb"));
    auto tr = CreaTransazione(db, {17, 9, 15});
    EXPECT_TRUE(tr->InTransaction());
    EXPECT_EQ(tr->Params,
              QStringList({"isc_tpb_write", "isc_tpb_read_committed", "isc_tpb_rec_version"}));
    EXPECT_EQ(CreaTransazione(db, TTipoTransazione::ReadCommitted)->Params,
              QStringList({"isc_tpb_read_committed", "isc_tpb_rec_version"}));
    EXPECT_EQ(TIBTransaction::ItemName(1), "consistency");
    EXPECT_EQ(TIBTransaction::ItemName(20), "no_auto_undo");
    EXPECT_EQ(TIBTransaction::ItemNumber("isc_tpb_nowait"), 7);
}

struct PercorsoCase {
    const char* folder;
    const char* serverPath;
    const char* expected;
    bool stop;
};
class ConvertiPercorso : public ::testing::TestWithParam<PercorsoCase> {};

TEST_P(ConvertiPercorso, TurnsUncFoldersIntoServerForms) {
    TScopedDialogs dialogs;
    const PercorsoCase& c = GetParam();
    const TPercorsoRete r = ConvertiPercorsoRete(c.folder, c.serverPath);
    EXPECT_EQ(r.stop, c.stop);
    if (!c.stop) {
        EXPECT_EQ(r.folder, QString::fromUtf8(c.expected));
    }
    EXPECT_EQ(dialogs->shown.size(), c.stop ? 1u : 0u);
}

INSTANTIATE_TEST_SUITE_P(, ConvertiPercorso,
                         ::testing::Values(PercorsoCase{R"(\\SRV\C\Dati\)", "", R"(SRV:C:\Dati\)",
                                                        false},
                                           PercorsoCase{R"(\\SRV\Archivi\)", R"(E:\Archivi\)",
                                                        R"(SRV:E:\Archivi\)", false},
                                           PercorsoCase{R"(\\SRV\Archivi\)", "", "", true}),
                         CaseIndex());

TEST(ApriOCreaDatabase, ShareNamedWithoutServerPathWarnsAndOpensNothing) {
    TScopedDialogs dialogs;
    TIBDatabase db;
    EXPECT_FALSE(ApriOCreaDatabase(db, R"(\\SRV\Archivi\)", "archivio.fdb"));
    ASSERT_EQ(dialogs->shown.size(), 1u);
    EXPECT_EQ(dialogs->shown[0].text,
              QString::fromUtf8("Attenzione: il disco con gli archivi è stato condiviso in rete "
                                "con un nome - Archivi - e non con la lettera che lo identifica. "
                                "Si consiglia di correggere la condivisione oppure di correggere "
                                "manualmente la sezione Percorso Nel Server nel file Dati.ini "
                                "accanto al database"));
    EXPECT_FALSE(db.Connected());
}

TEST(ApriOCreaDatabase, EmptyNameCreatesArchivioThenOpensIt) {
    TScopedDialogs dialogs;
    TTestFolder dir;
    const QString folder = dir.Path() + "/";
    TIBDatabase db;
    EXPECT_TRUE(ApriOCreaDatabase(db, folder, ""));
    EXPECT_TRUE(db.Connected());
    EXPECT_TRUE(QFileInfo::exists(folder + "archivio.fdb"));
    EXPECT_EQ(dialogs->Texts(), QStringList({"Effettuata creazione data base"}));
    db.Close();
    dialogs->Clear();
    EXPECT_TRUE(ApriOCreaDatabase(db, folder, ""));
    EXPECT_TRUE(dialogs->shown.empty()); // opened, not created again
}

TEST(ApriOCreaDatabase, AskedServerIsWrittenToDatiIni) {
    TScopedDialogs dialogs;
    TTestFolder dir;
    const QString folder = dir.Path() + "/";
    dialogs->twoFieldAnswers.push_back({true, "SRVNUOVO", "E"});
    const TServerScelto s = ChiediServer(folder);
    EXPECT_EQ(s.server, "SRVNUOVO");
    EXPECT_EQ(s.driveLetter, "E");
    EXPECT_EQ(TIniFile(folder + "dati.ini").ReadString("CONFIG", "Nome Server"), "SRVNUOVO");
    EXPECT_EQ(TIniFile(folder + "dati.ini").ReadString("CONFIG", "Lettera Disco Server"), "E");
    EXPECT_TRUE(dialogs->shown[1].text.contains("sua\r\nunità disco"));

    TTestFolder other;
    const TServerScelto none = ChiediServer(other.Path() + "/"); // Cancel
    EXPECT_TRUE(none.server.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(other.Path("dati.ini")));
}

// Only a missing file may be created: a refused login or an unreachable server must never
// leave a new empty database behind.
class ProvaConnessioneTest : public DbModeTest {};

TEST_P(ProvaConnessioneTest, CreatesOnlyWhenTheFileIsMissing) {
    TScopedDialogs dialogs;
    if (GetParam() == DbMode::Server) {
        TIBDatabase db;
        const QString path = fFolder.Path("login.fdb");
        EXPECT_FALSE(ProvaConnessione(db, path, fPrefix.chopped(1), "sbagliata", "SYSDBA"));
        EXPECT_FALSE(QFileInfo::exists(path));
        EXPECT_FALSE(ProvaConnessione(db, path, "127.0.0.1/1"));
        EXPECT_FALSE(QFileInfo::exists(path));
        EXPECT_TRUE(dialogs->shown.empty());
    }
    TIBDatabase db;
    const QString path = fFolder.Path("nuovo.fdb");
    EXPECT_TRUE(ProvaConnessione(db, path, fPrefix.isEmpty() ? QString() : fPrefix.chopped(1)));
    EXPECT_TRUE(db.Connected());
    EXPECT_TRUE(QFileInfo::exists(path));
    EXPECT_EQ(dialogs->Texts(), QStringList({"Effettuata creazione data base"}));
}

ZELM_DB_MODES(ProvaConnessioneTest);

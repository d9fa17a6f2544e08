// The access layer against real databases, embedded and on the test server.
#include "framework/db/ConnessioniInAttesa.h"
#include "framework/db/DBConnection.h"
#include "framework/db/DatabaseError.h"
#include "framework/db/DbHelpers.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

#include "SiteRoles.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QThread>

namespace {
const char* kTypesTable =
    "CREATE TABLE TIPI (ID INTEGER NOT NULL PRIMARY KEY, S SMALLINT, I INTEGER, B BIGINT, "
    "F FLOAT, D DOUBLE PRECISION, N NUMERIC(15,2), N4 DECIMAL(9,4), C CHAR(5), "
    "V VARCHAR(10), DT DATE, TM TIME, TS TIMESTAMP, M BLOB SUB_TYPE 1)";

qint64 Count(TIBDatabase& db, const QString& table) {
    return QueryValue(db, "SELECT COUNT(*) FROM " + table).toLongLong();
}
} // namespace

class Database : public DbModeTest {};

TEST_P(Database, TypedValuesAndNullsRoundTrip) {
    auto db = CreateDb("tipi.fdb");
    ExecSql(*db, kTypesTable);
    auto tr = CreaTransazione(*db, TTipoTransazione::Snapshot, false);
    tr->StartTransaction();
    TIBSQL ins(db.get(), tr.get());
    ins.SetSQL("INSERT INTO TIPI (ID, S, I, B, F, D, N, N4, C, V, DT, TM, TS, M) VALUES "
               "(:ID, :S, :I, :B, :F, :D, :N, :N4, :C, :V, :DT, :TM, :TS, :M)");
    ins.ParamByName("ID").SetInteger(1);
    ins.ParamByName("S").SetInteger(-7);
    ins.ParamByName("I").SetInteger(123456);
    ins.ParamByName("B").SetInt64(9000000000LL);
    ins.ParamByName("F").SetDouble(1.5);
    ins.ParamByName("D").SetDouble(3.25e-7);
    ins.ParamByName("N").SetDouble(12.345); // rounded to the column's scale
    ins.ParamByName("N4").SetString("-0,5");
    ins.ParamByName("C").SetString("ab");
    ins.ParamByName("V").SetString("città  ");
    ins.ParamByName("DT").SetDate(QDate(2026, 12, 9));
    ins.ParamByName("TM").SetTime(QTime(13, 45, 30));
    ins.ParamByName("TS").SetDateTime(QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58)));
    const QString memo = QString::fromUtf8("Nota lunga àèìòù ") + QString(40000, 'x');
    ins.ParamByName("M").SetString(memo);
    ins.ExecQuery();
    EXPECT_EQ(ins.RowsAffected(), 1);
    ins.ParamByName("ID").SetInteger(2);
    for (const char* n : {"S", "I", "B", "F", "D", "N", "N4", "C", "V", "DT", "TM", "TS", "M"})
        ins.ParamByName(n).Clear();
    ins.ExecQuery();

    TIBSQL sel(db.get(), tr.get());
    sel.SetSQL("SELECT * FROM TIPI ORDER BY ID");
    sel.ExecQuery();
    ASSERT_FALSE(sel.Eof());
    EXPECT_EQ(sel.FieldByName("S").AsInteger(), -7);
    EXPECT_EQ(sel.FieldByName("i").AsInteger(), 123456);
    EXPECT_EQ(sel.FieldByName("B").AsInt64(), 9000000000LL);
    EXPECT_DOUBLE_EQ(sel.FieldByName("F").AsDouble(), 1.5);
    EXPECT_DOUBLE_EQ(sel.FieldByName("D").AsDouble(), 3.25e-7);
    EXPECT_EQ(sel.FieldByName("N").AsString(), "12.35");
    EXPECT_EQ(sel.FieldByName("N4").AsString(), "-0.5000");
    EXPECT_EQ(sel.FieldByName("C").AsString(), "ab"); // CHAR: pad blanks gone
    EXPECT_EQ(sel.FieldByName("V").AsString(), QString::fromUtf8("città  ")); // VARCHAR kept
    EXPECT_EQ(sel.FieldByName("DT").AsDate(), QDate(2026, 12, 9));
    EXPECT_EQ(sel.FieldByName("DT").AsString(), "09/12/2026");
    EXPECT_EQ(sel.FieldByName("TM").AsTime(), QTime(13, 45, 30));
    EXPECT_EQ(sel.FieldByName("TS").AsDateTime(),
              QDateTime(QDate(1999, 12, 31), QTime(23, 59, 58)));
    EXPECT_EQ(sel.FieldByName("M").AsString(), memo);
    EXPECT_FALSE(sel.FieldByName("M").IsNull());
    ASSERT_TRUE(sel.Next());
    for (const char* n : {"S", "I", "B", "F", "D", "N", "N4", "C", "V", "DT", "TM", "TS", "M"}) {
        EXPECT_TRUE(sel.FieldByName(n).IsNull()) << n;
        EXPECT_FALSE(sel.FieldByName(n).AsVariant().isValid()) << n;
    }
    EXPECT_EQ(sel.FieldByName("I").AsInteger(), 0);
    EXPECT_EQ(sel.FieldByName("V").AsString(), "");
    EXPECT_FALSE(sel.FieldByName("DT").AsDate().isValid());
    EXPECT_FALSE(sel.Next());
    EXPECT_TRUE(sel.Eof());
}

TEST_P(Database, MetadataNamesTheColumnsOrigin) {
    auto db = CreateDb("meta.fdb");
    ExecSql(*db, kTypesTable);
    auto tr = CreaTransazione(*db, TTipoTransazione::ReadCommitted);
    TIBSQL sel(db.get(), tr.get());
    sel.SetSQL("SELECT T.ID, T.V AS VALORE, T.C, T.N, 1+1 AS DUE FROM TIPI T");
    sel.Prepare();
    ASSERT_EQ(sel.FieldCount(), 5);
    EXPECT_EQ(sel.FieldInfo(1).name, "V");
    EXPECT_EQ(sel.FieldInfo(1).alias, "VALORE");
    EXPECT_EQ(sel.FieldInfo(1).relation, "TIPI");
    EXPECT_EQ(sel.FieldInfo(1).sqlType, SqlType::Varying);
    EXPECT_EQ(sel.FieldInfo(1).Size(), 10);
    EXPECT_EQ(sel.FieldInfo(2).Size(), 5);
    EXPECT_EQ(sel.FieldInfo(3).scale, -2);
    EXPECT_EQ(sel.FieldInfo(4).relation, "");
    EXPECT_EQ(sel.FieldIndex("valore"), 1);
    EXPECT_EQ(sel.FieldIndex("MANCA"), -1);
}

TEST_P(Database, BadInputGivesClearErrors) {
    auto db = CreateDb("errori.fdb");
    ExecSql(*db, kTypesTable);
    auto tr = CreaTransazione(*db, TTipoTransazione::Snapshot, false);
    tr->StartTransaction();
    TIBSQL q(db.get(), tr.get());
    q.SetSQL("SELECT ID FROM TIPI WHERE ID=:ID");
    try {
        q.ParamByName("IDX");
        FAIL() << "unknown parameter accepted";
    } catch (const EZavoError& e) {
        EXPECT_EQ(e.Message(), "Parametro IDX non trovato");
    }
    q.ParamByName("ID").SetInteger(1);
    q.ExecQuery();
    EXPECT_TRUE(q.Eof());
    EXPECT_THROW(q.FieldByName("ID").AsInteger(), EZavoError); // no current row
    try {
        q.FieldByName("NOME");
        FAIL() << "missing column accepted";
    } catch (const EZavoError& e) {
        EXPECT_EQ(e.Message(), "Campo NOME non trovato");
    }
    q.SetSQL("SELECT * FROM NESSUNA_TABELLA");
    try {
        q.ExecQuery();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.Message().contains("NESSUNA_TABELLA")) << e.what();
        EXPECT_NE(e.PrimaryCode(), 0);
        EXPECT_FALSE(e.SecondaryCodes().empty());
    }
    // A text longer than the column is refused, never cut silently.
    q.SetSQL("INSERT INTO TIPI (ID, V) VALUES (:ID, :V)");
    q.ParamByName("ID").SetInteger(5);
    q.ParamByName("V").SetString("troppo lungo per dieci");
    try {
        q.ExecQuery();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.HasCode(FbCode::StringTruncation)) << e.what();
    }
}

TEST_P(Database, PreparedOnceExecutedManyWithRepeatedNames) {
    auto db = CreateDb("prep.fdb");
    ExecSql(*db, kTypesTable);
    auto tr = CreaTransazione(*db, TTipoTransazione::Snapshot, false);
    tr->StartTransaction();
    TIBSQL ins(db.get(), tr.get());
    ins.SetSQL("INSERT INTO TIPI (ID, I, B) VALUES (:ID, :ID * 2, :ID)");
    for (int i = 1; i <= 50; ++i) {
        ins.ParamByName("ID").SetInteger(i);
        ins.ExecQuery();
    }
    EXPECT_EQ(ins.ParamCount(), 1);
    TIBSQL sum(db.get(), tr.get());
    sum.SetSQL("SELECT SUM(I), SUM(B), COUNT(*) FROM TIPI");
    sum.ExecQuery();
    EXPECT_EQ(sum.Fields(0).AsInt64(), 2550);
    EXPECT_EQ(sum.Fields(1).AsInt64(), 1275);
    EXPECT_EQ(sum.Fields(2).AsInt64(), 50);
}

TEST_P(Database, ExecuteBlockKeepsItsLocalVariables) {
    auto db = CreateDb("block.fdb");
    ExecSql(*db, kTypesTable);
    auto tr = CreaTransazione(*db, TTipoTransazione::Snapshot, false);
    tr->StartTransaction();
    TIBSQL q(db.get(), tr.get());
    q.ParamCheck = false;
    q.SetSQL(QStringList{"EXECUTE BLOCK", "AS", "  DECLARE VARIABLE K Integer = 3;", "BEGIN",
                         "  WHILE (:K > 0) DO", "  BEGIN",
                         "    INSERT INTO TIPI (ID, V) VALUES (:K, 'riga');", "    K = K - 1;",
                         "  END", "END"});
    q.ExecQuery();
    tr->Commit();
    EXPECT_EQ(Count(*db, "TIPI"), 3);
}

TEST_P(Database, TransactionsCommitRollBackAndRetain) {
    auto db = CreateDb("tr.fdb");
    ExecSql(*db, kTypesTable);
    {
        auto tr = CreaTransazione(*db, TTipoTransazione::Snapshot);
        EXPECT_EQ(tr->Params, QStringList({"isc_tpb_concurrency", "isc_tpb_nowait"}));
        TIBSQL q(db.get(), tr.get());
        q.SetSQL("INSERT INTO TIPI (ID) VALUES (:ID)");
        q.ParamByName("ID").SetInteger(1);
        q.ExecQuery();
        tr->CommitRetaining();
        EXPECT_TRUE(tr->InTransaction());
        q.ParamByName("ID").SetInteger(2);
        q.ExecQuery();
        tr->RollbackRetaining();
        q.ParamByName("ID").SetInteger(3);
        q.ExecQuery();
        // Destroyed while active: rolled back.
    }
    EXPECT_EQ(Count(*db, "TIPI"), 1);
    TIBTransaction tr(db.get());
    EXPECT_THROW(tr.Commit(), EZavoError);
    tr.StartTransaction();
    EXPECT_THROW(tr.StartTransaction(), EZavoError);
    tr.Rollback();
    EXPECT_FALSE(tr.InTransaction());
    // Closing the connection ends what is still open on it.
    TIBTransaction open(db.get());
    open.StartTransaction();
    TIBSQL q(db.get(), &open);
    q.SetSQL("SELECT ID FROM TIPI");
    q.ExecQuery();
    db->Close();
    EXPECT_FALSE(open.InTransaction());
    EXPECT_FALSE(q.Prepared());
}

TEST_P(Database, LockConflictBetweenTwoConnectionsFailsAtOnce) {
    auto a = CreateDb("lock.fdb");
    ExecSql(*a, kTypesTable);
    ExecSql(*a, "INSERT INTO TIPI (ID, V) VALUES (1, 'uno')");
    auto b = OpenDb("lock.fdb");

    auto trA = CreaTransazione(*a, TTipoTransazione::Snapshot);
    TIBSQL updA(a.get(), trA.get());
    updA.SetSQL("UPDATE TIPI SET V=:V WHERE ID=1");
    updA.ParamByName("V").SetString("A");
    updA.ExecQuery();

    auto trB = CreaTransazione(*b, TTipoTransazione::Snapshot);
    TIBSQL updB(b.get(), trB.get());
    updB.SetSQL("UPDATE TIPI SET V=:V WHERE ID=1");
    updB.ParamByName("V").SetString("B");
    QElapsedTimer t;
    t.start();
    try {
        updB.ExecQuery();
        FAIL() << "second writer was not refused";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.IsLockConflict()) << e.what();
        EXPECT_FALSE(e.IsNetworkError());
    }
    EXPECT_LT(t.elapsed(), 2000) << "nowait transaction waited for the lock";
    trA->Commit();
    trB->Rollback();
}

TEST_P(Database, GeneratorsNeverRepeatAcrossConnectionsAndRollbacks) {
    auto a = CreateDb("gen.fdb", {"archive_schema.sql"});
    auto b = OpenDb("gen.fdb");
    int last = 0;
    for (int i = 0; i < 20; ++i) {
        TIBDatabase& db = (i % 2) ? *b : *a;
        const int v = GeneratorNextValue(db, "ID_ZELMMODEL_COUNTER");
        EXPECT_GT(v, last);
        last = v;
    }
    EXPECT_EQ(GeneratorNextValue(*a, "ID_ZELMMODEL_COUNTER", 10), last + 10);
    EXPECT_THROW(GeneratorNextValue(*a, "NESSUN_GENERATORE"), EDatabaseError);
    // The failed call left no transaction behind: the connection closes cleanly.
    EXPECT_NO_THROW(a->Close());
}

TEST_P(Database, DemoHostFolderIsProvisioned) {
    const THostFolder host = ProvisionDemo();
    TIBDatabase user;
    ConnettiIBDatabase(user, host.Connection(host.userDb));
    EXPECT_EQ(Count(user, "UTENTI"), 3);
    auto tr = CreaTransazione(user, TTipoTransazione::ReadCommitted);
    TIBSQL q(&user, tr.get());
    q.SetSQL("SELECT VALORE FROM TABTREBON WHERE UTENTE=:U AND PARAMETRO=:P");
    q.ParamByName("U").SetInteger(1);
    q.ParamByName("P").SetString("Archivio");
    q.ExecQuery();
    const QString archivio = q.Fields(0).AsString();
    EXPECT_EQ(archivio, host.Connection(host.archiveDb));
    TIBDatabase archive;
    ConnettiIBDatabase(archive, archivio);
    EXPECT_EQ(Count(archive, "ZELMMODEL"), 6);
    EXPECT_EQ(Count(archive, "TAGLIEOPERATIVE WHERE CODICE='U36-44'"), 17);
    auto tra = CreaTransazione(archive, TTipoTransazione::ReadCommitted);
    TIBSQL s(&archive, tra.get());
    s.SetSQL("SELECT DISTINCT STATUSSCHEDA FROM ZELMMODEL ORDER BY 1");
    s.ExecQuery();
    QStringList states;
    for (; !s.Eof(); s.Next())
        states << s.Fields(0).AsString();
    EXPECT_EQ(states, QStringList({"InPreparazione", "RilasciataC", "RilasciataP", "Sospesa"}));
}

// A site's workstations connect as the site's own user, named in dati.ini: the user database
// and then the archive (named by a parameter, with no file of its own) both run as that user.
TEST_P(Database, ASiteUserNamedInDatiIniServesEveryConnection) {
    const THostFolder host = ProvisionDemo();
    {
        TIBDatabase admin;
        ConnettiIBDatabase(admin, host.Connection(host.userDb));
        if (GetParam() == DbMode::Server)
            ExecSql(admin, "CREATE OR ALTER USER ZELMSITO PASSWORD 'sito2026' USING PLUGIN Srp");
    }
    const QString ini = fFolder.Path("dati.ini");
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("[CONFIG]\r\nUtente=ZELMSITO\r\nPassword=sito2026\r\n");
    f.close();
    TDBConnectionInfo info;
    info.FileName = host.Connection(host.userDb);
    info.LoadFromIniFile(ini, QStringLiteral("CONFIG"));
    const auto riprendi = qScopeGuard([] { ImpostaCredenzialiSito(QString(), QString()); });
    TIBDatabase user, archive;
    ConnettiIBDatabase(user, info);
    EXPECT_EQ(QueryValue(user, "SELECT CURRENT_USER FROM RDB$DATABASE").toString(), "ZELMSITO");
    ConnettiIBDatabase(archive, host.Connection(host.archiveDb));
    EXPECT_EQ(QueryValue(archive, "SELECT CURRENT_USER FROM RDB$DATABASE").toString(), "ZELMSITO");
}

// A site's accounts act through roles: the operator changes sheets but not the users' tables, the
// read-only account changes no sheet even with a query tool, an account that held every right by
// itself (a site set up before roles) loses them, and without its role an account reads nothing.
TEST_P(Database, ASiteAccountDoesOnlyWhatItsRoleAllows) {
    if (GetParam() != DbMode::Server)
        GTEST_SKIP() << "roles are a server's";
    namespace sito = zelm::sito;
    const THostFolder host = ProvisionDemo();
    const QString user = host.Connection(host.userDb), archive = host.Connection(host.archiveDb);
    // The test server's security database is shared by parallel tests: names of this run only.
    const QString suffix = QString::number(QCoreApplication::applicationPid());
    const QString oper = "ZOP" + suffix, lett = "ZLE" + suffix;
    {
        TIBDatabase admin;
        ConnettiIBDatabase(admin, user);
        for (const QString& u : {oper, lett})
            ExecSql(
                admin,
                QStringLiteral("CREATE OR ALTER USER %1 PASSWORD 'k2026' USING PLUGIN Srp").arg(u));
        TIBDatabase adminArchive;
        ConnettiIBDatabase(adminArchive, archive);
        // What the single account of earlier set-ups held.
        ExecSql(admin, "GRANT ALL ON UTENTI TO USER " + oper);
        ExecSql(adminArchive, "GRANT ALL ON ZELMMODEL TO USER " + lett);
    }
    const auto riprendi = qScopeGuard([&] {
        TIBDatabase admin;
        ConnettiIBDatabase(admin, user);
        for (const QString& u : {oper, lett})
            ExecSql(admin, "DROP USER " + u + " USING PLUGIN Srp");
    });
    for (const QString& c : {user, archive}) {
        sito::ApplicaRuoli(c);
        sito::ApplicaRuoli(c); // a second run changes nothing and does not fail
        sito::AssegnaRuolo(c, sito::kOperatore, oper.toLower());
        sito::AssegnaRuolo(c, sito::kLettura, lett);
    }
    EXPECT_THROW(sito::AssegnaRuolo(archive, sito::kLettura, "X; DROP TABLE ANAMAG"), EZavoError);
    EXPECT_THROW(sito::AssegnaRuolo(archive, "RDB$ADMIN", oper), EZavoError);

    const auto as = [](TIBDatabase& db, const QString& conn, const QString& u,
                       const QString& role) {
        db.SetDatabaseName(conn);
        db.Params = QStringList{"user_name=" + u, "password=k2026"};
        if (!role.isEmpty())
            db.Params << "sql_role_name=" + role;
        db.Open();
    };
    const auto refused = [](TIBDatabase& db, const QString& sql) {
        try {
            ExecSql(db, sql);
        } catch (const EDatabaseError& e) {
            EXPECT_TRUE(e.HasCode(FbCode::NoPermission)) << e.Dettaglio().toStdString();
            EXPECT_TRUE(e.TestoUtente().startsWith("Operazione non permessa"))
                << e.TestoUtente().toStdString();
            return true;
        }
        return false;
    };
    TIBDatabase opUser, opArchive, leUser, leArchive, bare;
    as(opUser, user, oper, sito::kOperatore);
    as(opArchive, archive, oper, sito::kOperatore);
    as(leUser, user, lett, sito::kLettura);
    as(leArchive, archive, lett, sito::kLettura);

    EXPECT_EQ(QueryValue(opUser, "SELECT COUNT(*) FROM UTENTI").toInt(), 3);
    EXPECT_TRUE(refused(opUser, "UPDATE UTENTI SET PROFILOSICUREZZA = 0"));
    EXPECT_TRUE(refused(opUser, "DELETE FROM TABTREBON"));
    ExecSql(opArchive, "UPDATE ZELMMODEL SET CODICE = 'OP' WHERE ID = 1");
    ExecSql(opArchive, "INSERT INTO ZELMLOGIMPXLS (ID, NOMEFILE) VALUES "
                       "(NEXT VALUE FOR ID_ZELMLOGIMPXLS_COUNTER, 'x.xls')");
    EXPECT_TRUE(refused(opArchive, "DELETE FROM CLIENTI"));

    EXPECT_EQ(QueryValue(leArchive, "SELECT CODICE FROM ZELMMODEL WHERE ID = 1").toString(), "OP");
    EXPECT_TRUE(refused(leArchive, "UPDATE ZELMMODEL SET CODICE = 'LE' WHERE ID = 1"));
    EXPECT_TRUE(refused(leArchive, "DELETE FROM ZELMMODELDETT"));
    ExecSql(leArchive,
            "UPDATE OR INSERT INTO SETGRID (CODICEPROGETTO, CODICEUTENTE, "
            "COLORERECORDSELEZ) VALUES (1, 2, 7) MATCHING (CODICEPROGETTO, CODICEUTENTE)");
    EXPECT_TRUE(refused(leUser, "UPDATE TABTREBON SET VALORE = 'x'"));

    as(bare, archive, oper, QString());
    EXPECT_THROW(QueryValue(bare, "SELECT COUNT(*) FROM ZELMMODEL"), EDatabaseError);
}

// The archive's parameter is pointed for the companies named, every user's text copy with it;
// the demo's second company keeps its own.
TEST_P(Database, TheArchiveIsPointedOnlyForTheCompaniesNamed) {
    namespace sito = zelm::sito;
    const THostFolder host = ProvisionDemo();
    const QString user = host.Connection(host.userDb);
    ASSERT_EQ(sito::Ditte(user), QStringList({"CALZATURIFICIO BRENTA", "SUOLIFICIO ADIGE"}));
    QString adige;
    {
        TIBDatabase before;
        ConnettiIBDatabase(before, user);
        adige = QueryValue(before, "SELECT VALORE FROM TABTREBON WHERE INTESTAZIONE = "
                                   "'SUOLIFICIO ADIGE'")
                    .toString();
        ASSERT_FALSE(adige.isEmpty());
    }
    EXPECT_EQ(sito::PuntaArchivio(user, "srv:zelm_archivio", {"CALZATURIFICIO BRENTA"}), 3);
    TIBDatabase db;
    ConnettiIBDatabase(db, user);
    EXPECT_EQ(QueryValue(db, "SELECT COUNT(*) FROM TABTREBON WHERE PARAMETRO = 'Archivio' AND "
                             "VALORE = 'srv:zelm_archivio'")
                  .toInt(),
              3);
    EXPECT_EQ(QueryValue(db, "SELECT VALORE FROM TABTREBON WHERE INTESTAZIONE = 'SUOLIFICIO ADIGE'")
                  .toString(),
              adige);
    const QString trebon = QueryValue(db, "SELECT TREBON FROM UTENTI WHERE CODICE = 3").toString();
    EXPECT_TRUE(trebon.contains("[CALZATURIFICIO BRENTA]\nArchivio=srv:zelm_archivio\n"))
        << trebon.toStdString();
    EXPECT_TRUE(trebon.contains("[SUOLIFICIO ADIGE]\nArchivio="));
    EXPECT_FALSE(trebon.contains("[SUOLIFICIO ADIGE]\nArchivio=srv:"));
}

ZELM_DB_MODES(Database);

// --- Failures that only a server can give ---------------------------------------------------
class FailureKinds : public DbModeTest {};

TEST_P(FailureKinds, LoginAndNetworkFailuresAreToldApart) {
    if (GetParam() != DbMode::Server)
        GTEST_SKIP() << "only meaningful on a server";
    auto created = CreateDb("login.fdb");
    created->Close();
    TIBDatabase db;
    db.SetDatabaseName(Connection("login.fdb"));
    db.Params << "user_name=SYSDBA"
              << "password=sbagliata";
    try {
        db.Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.IsLoginFailure()) << e.what();
        EXPECT_FALSE(e.IsMissingDatabase());
    }
    TIBDatabase far;
    far.SetDatabaseName("127.0.0.1/1:" + fFolder.Path("login.fdb"));
    try {
        far.Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.IsNetworkError()) << e.what();
        EXPECT_FALSE(e.IsMissingDatabase());
    }
}

TEST_P(FailureKinds, MissingDatabaseFileIsRecognised) {
    TIBDatabase db;
    db.SetDatabaseName(Connection("non_esiste.fdb"));
    try {
        db.Open();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.IsMissingDatabase()) << e.what();
        EXPECT_FALSE(e.IsLoginFailure());
        EXPECT_FALSE(e.Message().isEmpty());
    }
}

ZELM_DB_MODES(FailureKinds);

// --- the host suite's own databases: no character set, or WIN1252 ------------------------------

struct HostCharset {
    const char* name;
    const char* defaultCharset; ///< "" for a database created without one (NONE)
};

class HostDatabaseText : public ::testing::TestWithParam<std::tuple<DbMode, HostCharset>> {
protected:
    void SetUp() override {
        if (std::get<0>(GetParam()) == DbMode::Server) {
            fPrefix = TestServerPrefix();
            if (fPrefix.isEmpty())
                GTEST_SKIP() << "Nessun server Firebird di prova (ZELM_TEST_SERVER non impostata)";
        }
    }
    TTestFolder fFolder;
    QString fPrefix;
};

namespace {
const QString kAccented = QString::fromUtf8("città perché € è");
const QString kRaw = QString::fromUtf8("però à");

QByteArray Cp1252(const QString& text) {
    QByteArray out;
    for (QChar ch : text)
        out.append(ch.unicode() == 0x20AC ? '\x80' : static_cast<char>(ch.unicode()));
    return out;
}
} // namespace

TEST_P(HostDatabaseText, ReadsBackEqualAndWritesWhatAWindowsClientWrites) {
    const HostCharset& c = std::get<1>(GetParam());
    const QString conn = fPrefix + fFolder.Path("host.fdb");
    // The host's program: a client that speaks WIN1252, here isql. The database is made first,
    // then the rows are written through a WIN1252 connection.
    auto runIsql = [&](const QByteArray& script, const QStringList& options) {
        const QString file = fFolder.Path("host.sql");
        QFile f(file);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return QString("script non scritto");
        f.write(script);
        f.close();
        QProcess isql;
        isql.start("isql-fb", QStringList{"-q"} + options + QStringList{"-i", file});
        if (!isql.waitForFinished(60000) || isql.exitCode() != 0)
            return QString::fromLocal8Bit(isql.readAllStandardError() +
                                          isql.readAllStandardOutput());
        return QString();
    };
    QByteArray create =
        "CREATE DATABASE '" + conn.toUtf8() + "' USER 'SYSDBA' PASSWORD 'plumbcore' PAGE_SIZE 4096";
    if (*c.defaultCharset)
        create += QByteArray(" DEFAULT CHARACTER SET ") + c.defaultCharset;
    create += ";\nCREATE TABLE T (ID INTEGER, TESTO VARCHAR(40), GREZZO VARCHAR(40) CHARACTER SET "
              "NONE);\nCOMMIT;\n";
    ASSERT_EQ(runIsql(create, {}), "");
    const QByteArray insert = "CONNECT '" + conn.toUtf8() +
                              "' USER 'SYSDBA' PASSWORD 'plumbcore';\nINSERT INTO T VALUES (1, '" +
                              Cp1252(kAccented) + "', '" + Cp1252(kRaw) + "');\nCOMMIT;\n";
    ASSERT_EQ(runIsql(insert, {"-ch", "WIN1252"}), "");

    TIBDatabase db;
    db.SetDatabaseName(conn);
    db.Open();
    EXPECT_EQ(db.Charset(), "WIN1252");
    EXPECT_EQ(QueryValue(db, "SELECT TESTO FROM T WHERE ID=1").toString(), kAccented);
    EXPECT_EQ(QueryValue(db, "SELECT GREZZO FROM T WHERE ID=1").toString(), kRaw);
    {
        TIBTransaction tr(&db);
        tr.StartTransaction();
        TIBSQL sql(&db, &tr);
        sql.SetSQL("INSERT INTO T VALUES (2, :TESTO, :GREZZO)");
        sql.ParamByName("TESTO").SetString(kAccented);
        sql.ParamByName("GREZZO").SetString(kRaw);
        sql.ExecQuery();
        // A character the database cannot hold is refused, not stored as "?".
        sql.ParamByName("TESTO").SetString(QString::fromUtf8("北京"));
        EXPECT_THROW(sql.ExecQuery(), EDatabaseError);
        tr.Commit();
    }
    // Byte for byte what the Windows client wrote.
    for (const char* column : {"TESTO", "GREZZO"}) {
        const QString bytes = QString("SELECT CAST(%1 AS VARCHAR(40) CHARACTER SET OCTETS) FROM T "
                                      "WHERE ID=%2")
                                  .arg(column);
        TIBTransaction tr(&db);
        tr.StartTransaction();
        TIBSQL a(&db, &tr), b(&db, &tr);
        a.SetSQL(bytes.arg(1));
        b.SetSQL(bytes.arg(2));
        a.ExecQuery();
        b.ExecQuery();
        EXPECT_EQ(a.Fields(0).AsUtf8(), b.Fields(0).AsUtf8()) << column;
        EXPECT_EQ(a.Fields(0).AsUtf8(), Cp1252(QString(column) == "TESTO" ? kAccented : kRaw));
    }
    EXPECT_EQ(QueryValue(db, "SELECT COUNT(*) FROM T").toInt(), 2);
    db.Close();

    // The connection settings can still choose.
    db.Params << "lc_ctype=UTF8";
    db.Open();
    EXPECT_EQ(db.Charset(), "UTF8");
    if (*c.defaultCharset) // WIN1252 columns are transliterated by the engine
        EXPECT_EQ(QueryValue(db, "SELECT TESTO FROM T WHERE ID=2").toString(), kAccented);
}

INSTANTIATE_TEST_SUITE_P(, HostDatabaseText,
                         ::testing::Combine(::testing::Values(DbMode::Embedded, DbMode::Server),
                                            ::testing::Values(HostCharset{"None", ""},
                                                              HostCharset{"Win1252", "WIN1252"})),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param) == DbMode::Embedded
                                                    ? "Embedded"
                                                    : "Server") +
                                    std::get<1>(info.param).name;
                         });

TEST_P(Database, ProductDatabasesKeepSpeakingUtf8) {
    auto db = CreateDb("u.fdb");
    db->Close();
    db->Open();
    EXPECT_EQ(db->Charset(), "UTF8");
}

// A connection a closed lookup parks is handed out again only for the same database and
// parameters, only when nothing of its own is left on it, and never stands in a drop's way.
TEST_P(Database, ParkedConnectionsAreReusedOnlyWhenFree) {
    auto db = CreateDb("attesa.fdb");
    const QString name = db->DatabaseName();
    ConnessioniInAttesa::Chiudi();
    auto connectionId = [](TIBDatabase& d) {
        return QueryValue(d, "SELECT CURRENT_CONNECTION FROM RDB$DATABASE").toLongLong();
    };
    auto first = ConnettiRiusando(name);
    const qint64 id = connectionId(*first);
    {
        auto busy = ConnettiRiusando(name);
        TIBTransaction tr(busy.get());
        tr.StartTransaction();
        ConnessioniInAttesa::Riponi(std::move(busy)); // a transaction of its own: closed
        EXPECT_EQ(ConnessioniInAttesa::Quante(), 0);
    }
    ConnessioniInAttesa::Riponi(std::move(first));
    EXPECT_EQ(ConnessioniInAttesa::Quante(), 1);
    EXPECT_EQ(ConnessioniInAttesa::Prendi(name, {"user_name=ALTRO"}), nullptr);
    EXPECT_EQ(ConnessioniInAttesa::Prendi(name + "x", db->Params), nullptr);
    auto again = ConnettiRiusando(name);
    EXPECT_EQ(connectionId(*again), id);
    EXPECT_EQ(ConnessioniInAttesa::Quante(), 0);
    ConnessioniInAttesa::Riponi(std::move(again));
    ASSERT_EQ(ConnessioniInAttesa::Quante(), 1);
    EXPECT_NO_THROW(db->DropDatabase());
    EXPECT_EQ(ConnessioniInAttesa::Quante(), 0);
}

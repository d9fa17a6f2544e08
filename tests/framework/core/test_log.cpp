// The diagnostic log: rotation by size with a bounded number of files, whole lines from two
// processes at once, and what an error shown to a user leaves in it.
#include "framework/core/Log.h"
#include "framework/core/ScriptedDialogs.h"
#include "framework/core/SlotGuard.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

namespace {
QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

TEST(Log, TwoProcessesRotateIntoABoundedSetOfWholeLines) {
    TTestFolder folder;
    const QString path = folder.Path("zelm.log");
    const qint64 max = 16 * 1024;
    const int files = 3;
    QProcess a, b;
    a.start(ZELM_LOG_WRITER, {path, QString::number(max), QString::number(files), "A", "3000"});
    b.start(ZELM_LOG_WRITER, {path, QString::number(max), QString::number(files), "B", "3000"});
    ASSERT_TRUE(a.waitForFinished(60000) && b.waitForFinished(60000));
    EXPECT_EQ(a.exitCode(), 0);
    EXPECT_EQ(b.exitCode(), 0);

    const QStringList present = QDir(folder.Path())
                                    .entryList({"zelm.log*"}, QDir::Files)
                                    .filter(QRegularExpression("^zelm\\.log(\\.\\d+)?$"));
    EXPECT_EQ(present.size(), files) << present.join(' ').toStdString();
    EXPECT_FALSE(QFile::exists(path + "." + QString::number(files)));
    const QRegularExpression whole("^[AB] \\d+ x{90} fine$");
    int lines = 0;
    for (const QString& name : present) {
        const QByteArray data = ReadAll(folder.Path(name));
        // A file passes its size by one line at most, from each writer, before it is rotated.
        EXPECT_LE(data.size(), max + 2 * 110) << name.toStdString();
        EXPECT_TRUE(data.isEmpty() || data.endsWith('\n')) << name.toStdString();
        for (const QByteArray& line : data.split('\n')) {
            if (line.isEmpty())
                continue;
            ++lines;
            ASSERT_TRUE(whole.match(QString::fromLatin1(line)).hasMatch())
                << name.toStdString() << ": " << line.constData();
        }
    }
    EXPECT_GT(lines, 0);
}

// An engine error shown through the guard: the user reads Italian, the log holds the engine's
// code and text under the user interface's category, with the product's version at the start;
// the password the connection was opened with is nowhere in it.
TEST(Log, AnErrorShownLeavesItsEngineDetailAndNoPassword) {
    TTestFolder folder;
    qputenv("XDG_STATE_HOME", QFile::encodeName(folder.Path("stato")));
    zelm::log::Installa("test");
    const QString log = zelm::log::FileCorrente()->Path();

    TIBDatabase db;
    db.SetDatabaseName(folder.Path("a.fdb"));
    db.Params = QStringList{"user_name=SYSDBA", "password=Segreta-Sito-42"};
    db.CreateDatabase();
    db.Close();
    db.Open();
    TScriptedDialogs dialogs;
    TDialogs* previous = InstallDialogs(&dialogs);
    const bool ok = RunGuarded([&] {
        TIBTransaction tr(&db);
        tr.StartTransaction();
        TIBSQL sql(&db, &tr);
        sql.SetSQL(QStringList{"SELECT * FROM TABELLA_CHE_NON_ESISTE"});
        sql.ExecQuery();
    });
    InstallDialogs(previous);
    EXPECT_FALSE(ok);
    ASSERT_EQ(dialogs.shown.size(), 1u);
    const QString shown = dialogs.shown.front().text;
    EXPECT_TRUE(shown.startsWith("Errore dell'archivio")) << shown.toStdString();
    EXPECT_FALSE(shown.contains("Table unknown")) << shown.toStdString();

    // A slow statement is logged with its time and tables, not with the values it carries.
    TIBSQL::SetSogliaLenta(1);
    {
        TIBTransaction tr(&db);
        tr.StartTransaction();
        TIBSQL sql(&db, &tr);
        sql.SetSQL(QStringList{"SELECT COUNT(*) FROM RDB$FIELDS A CROSS JOIN RDB$FIELDS B "
                               "CROSS JOIN RDB$DATABASE WHERE 'VALORE-DIGITATO' <> ''"});
        sql.ExecQuery();
    }
    TIBSQL::SetSogliaLenta(2000);

    const QByteArray text = ReadAll(log);
    EXPECT_TRUE(QString::fromUtf8(text).contains(QRegularExpression(
        "zelm\\.db warning: istruzione lenta: \\d+ ms; tabelle: RDB\\$FIELDS RDB\\$DATABASE\\n")))
        << text.constData();
    EXPECT_FALSE(text.contains("VALORE-DIGITATO"));
    EXPECT_TRUE(
        text.contains("zelm.session info: avvio: test zelm " + zelm::log::Versione().toUtf8()))
        << text.constData();
    EXPECT_TRUE(text.contains("zelm.db info: connessione aperta:")) << text.constData();
    EXPECT_TRUE(text.contains("zelm.ui warning: errore mostrato: Errore dell'archivio"));
    EXPECT_TRUE(text.contains("335544569")) << text.constData(); // dsql_error
    EXPECT_TRUE(text.contains("TABELLA_CHE_NON_ESISTE")) << text.constData();
    EXPECT_FALSE(text.contains("Segreta-Sito-42"));
    // One entry, one line, each with its time, process and category.
    const QRegularExpression entry("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d\\.\\d{3} \\[\\d+\\] "
                                   "[a-z.]+ (debug|info|warning|critical): ");
    for (const QByteArray& line : text.split('\n')) {
        if (!line.isEmpty()) {
            EXPECT_TRUE(entry.match(QString::fromUtf8(line)).hasMatch()) << line.constData();
        }
    }
}

#include "HostDb.h"

#include "Storico.h"

#include "framework/core/ZavoError.h"
#include "framework/db/DbHelpers.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

static void InitHostDbResources() {
    Q_INIT_RESOURCE(hostdb);
}

THostFolder HostFolderLayout(const QString& root, const QString& serverPrefix) {
    THostFolder f;
    f.root = QDir(root).absolutePath();
    f.userDb = f.root + QStringLiteral("/user/user.fdb");
    f.archiveDb = f.root + QStringLiteral("/dati/archivio.fdb");
    f.binDir = f.root + QStringLiteral("/bin");
    f.tempDir = f.root + QStringLiteral("/temp");
    f.photoDir = f.root + QStringLiteral("/foto");
    f.serverPrefix = serverPrefix;
    return f;
}

QString BundledScript(const QString& name) {
    InitHostDbResources();
    QFile f(QStringLiteral(":/hostdb/sql/") + name);
    if (!f.open(QIODevice::ReadOnly))
        throw EZavoError(QStringLiteral("Script %1 non trovato").arg(name));
    return QString::fromUtf8(f.readAll());
}

QStringList SplitSqlScript(const QString& script) {
    QStringList out;
    QString current;
    const int n = script.size();
    for (int i = 0; i < n; ++i) {
        const QChar c = script[i];
        if (c == '\'' || c == '"') {
            int j = i + 1;
            while (j < n && !(script[j] == c && (j + 1 >= n || script[j + 1] != c)))
                j += (script[j] == c) ? 2 : 1;
            current += QStringView(script).mid(i, j - i + 1);
            i = j;
        } else if (c == '-' && i + 1 < n && script[i + 1] == '-') {
            while (i < n && script[i] != '\n')
                ++i;
            current += '\n';
        } else if (c == ';') {
            if (!current.trimmed().isEmpty())
                out << current.trimmed();
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.trimmed().isEmpty())
        out << current.trimmed();
    return out;
}

void RunSqlScript(TIBDatabase& database, const QString& script,
                  const QHash<QString, QString>& vars) {
    QString text = script;
    for (auto it = vars.begin(); it != vars.end(); ++it)
        text.replace(QStringLiteral("${") + it.key() + '}',
                     QString(it.value()).replace('\'', "''"));
    TIBTransaction tr(&database);
    tr.Params << QStringLiteral("isc_tpb_concurrency") << QStringLiteral("isc_tpb_nowait");
    tr.StartTransaction();
    TIBSQL sql(&database, &tr);
    sql.ParamCheck = false;
    for (const QString& statement : SplitSqlScript(text)) {
        sql.SetSQL(statement);
        try {
            sql.ExecQuery();
        } catch (const EZavoError& e) {
            throw EZavoError(QStringLiteral("%1\nin: %2").arg(e.Message(), statement.left(200)));
        }
        sql.Close();
    }
    tr.Commit();
}

void CreateDatabaseFromScripts(const QString& connection, const QStringList& scriptNames,
                               const QHash<QString, QString>& vars) {
    TIBDatabase db;
    db.SetDatabaseName(connection);
    // The product's default administrator, or the site's when one was given.
    db.Params << QStringLiteral("page_size=8192") << QStringLiteral("force_write=0");
    db.CreateDatabase();
    for (const QString& name : scriptNames)
        RunSqlScript(db, BundledScript(name), vars);
    db.Close();
}

THostFolder ProvisionHostFolder(const QString& root, bool demo, bool replace,
                                const QString& serverPrefix) {
    const THostFolder f = HostFolderLayout(root, serverPrefix);
    for (const QString& dir : {QFileInfo(f.userDb).path(), QFileInfo(f.archiveDb).path(), f.binDir,
                               f.tempDir, f.photoDir})
        if (!QDir().mkpath(dir))
            throw EZavoError(QStringLiteral("Impossibile creare la cartella %1").arg(dir));

    const QHash<QString, QString> vars = {{QStringLiteral("ARCHIVIO"), f.Connection(f.archiveDb)},
                                          {QStringLiteral("BINDIR"), f.binDir},
                                          {QStringLiteral("TEMPDIR"), f.tempDir},
                                          {QStringLiteral("PHOTODIR"), f.photoDir}};
    // True when the file was kept as it was.
    auto make = [&](const QString& path, const QString& schema, const QString& data) {
        if (QFileInfo::exists(path)) {
            if (!replace)
                return true;
            QFile::remove(path);
        }
        QStringList scripts{schema};
        if (demo)
            scripts << data;
        CreateDatabaseFromScripts(f.Connection(path), scripts, vars);
        return false;
    };
    make(f.userDb, QStringLiteral("user_schema.sql"), QStringLiteral("user_demo.sql"));
    if (make(f.archiveDb, QStringLiteral("archive_schema.sql"), QStringLiteral("archive_demo.sql")))
        AggiornaArchivio(f.Connection(f.archiveDb));
    else
        CreaStorico(f.Connection(f.archiveDb));
    return f;
}

bool AggiornaArchivio(const QString& connection) {
    TIBDatabase db;
    db.SetDatabaseName(connection);
    db.Open();
    TIBTransaction tr(&db);
    tr.StartTransaction();
    TIBSQL sql(&db, &tr);
    const bool creata =
        CreaTabellaSeManca(sql, QStringLiteral("ZELMIMPXLSLOCK"),
                           SplitSqlScript(BundledScript(QStringLiteral("archive_claims.sql"))));
    tr.Commit();
    db.Close();
    const bool storico = CreaStorico(connection);
    return creata || storico;
}

// Stand-in for the host suite's databases: creates the user database and the archive of a host
// folder from the schema scripts, optionally with the demo data set.
#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

class TIBDatabase;

struct THostFolder {
    QString root;      ///< the host program's folder
    QString userDb;    ///< root/user/user.fdb
    QString archiveDb; ///< root/dati/archivio.fdb
    QString binDir;    ///< root/bin
    QString tempDir;   ///< root/temp
    QString photoDir;  ///< root/foto
    /// Connection string of a file: the path itself, or "server:path" when provisioned on a server.
    QString serverPrefix;
    QString Connection(const QString& path) const { return serverPrefix + path; }
};

THostFolder HostFolderLayout(const QString& root, const QString& serverPrefix = QString());

/// Brings an archive kept from an earlier version up to what the product needs (the import's
/// claims table, the sheets' history and its triggers); true when a table was added.
bool AggiornaArchivio(const QString& connection);

/// Creates the folders and both databases. Existing database files are replaced when
/// `replace` is true and kept as they are otherwise. With `demo` the demo data set is loaded.
/// `serverPrefix` ("127.0.0.1/3055:") creates the databases through a server.
THostFolder ProvisionHostFolder(const QString& root, bool demo = true, bool replace = true,
                                const QString& serverPrefix = QString());

/// Splits a script at the ";" that end statements (quotes and comments respected).
QStringList SplitSqlScript(const QString& script);
/// Runs every statement of a script in one transaction, with ${NAME} replaced from `vars`.
void RunSqlScript(TIBDatabase& database, const QString& script,
                  const QHash<QString, QString>& vars = {});
/// Text of one of the bundled scripts ("user_schema.sql", …).
QString BundledScript(const QString& name);
/// Creates an empty database (UTF8, page size 8192, no synchronous writes) and runs `scripts`.
void CreateDatabaseFromScripts(const QString& connection, const QStringList& scriptNames,
                               const QHash<QString, QString>& vars = {});

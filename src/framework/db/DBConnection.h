// How a database path and the "dati.ini" beside it become a connection, the transaction presets,
// and the older open-or-create scheme of the lookup dialogs.
#pragma once

#include <QSet>
#include <QString>

#include <memory>

class TIBDatabase;
class TIBTransaction;

struct TDBConnectionInfo {
    QString FileName;
    QString NomeServer;
    QString LetteraDiscoServer;
    QString PercorsoDatabase;
    QString Alias;
    /// The connection's character set when the database's own default must not decide ("CharSet"
    /// of the INI file, e.g. WIN1252 or UTF8); empty: the database's default.
    QString CharSet;
    /// The site's own database user ("Utente", "Password"): a workstation of a site served by a
    /// Firebird server connects as that user, not as the server's administrator. Empty: the
    /// product's defaults.
    QString Utente;
    QString Password;
    /// The role the site's user acts through ("Ruolo": ZELM_OPERATORE, ZELM_LETTURA); empty: none.
    QString Ruolo;

    /// Reads "Nome Server", "PercorsoDatabase", "Lettera Disco Server", "Alias", "CharSet",
    /// "Utente", "Password" and "Ruolo" of `section`; FileName is left as it is. A user named there
    /// becomes the process's user for every later connection (the archive's included, which is
    /// named by a parameter and has no file of its own).
    void LoadFromIniFile(const QString& fileName, const QString& section);
    /// The connection string; throws EZavoError when a server is named without a drive.
    QString GetIBFileName() const;
};
using PDBConnectionInfo = TDBConnectionInfo*;

/// The site's database account, as a workstation's dati.ini names it.
struct TCredenzialiSito {
    QString Utente;
    QString Password;
    QString Ruolo;
};
/// The site's user for every later connection of the process (empty: the product's defaults);
/// set by reading a dati.ini that names one.
void ImpostaCredenzialiSito(const QString& utente, const QString& password,
                            const QString& ruolo = QString());
/// The site's user, password and role, empty when none was set.
TCredenzialiSito CredenzialiSitoCorrenti();
/// A password handed to the process from outside (a scheduled service's credential): it stands
/// for the "Password" of every dati.ini read later, so that it is written in none of them.
void ImpostaPasswordFornita(const QString& password);

inline const QString kIniIncompleto =
    QStringLiteral("Riferimenti file .ini incompleti (specificare \"Lettera Disco Server\" o "
                   "\"PercorsoDatabase\")");

/// Opens `database` on `fileName`, honouring a "dati.ini" in the file's folder.
void ConnettiIBDatabase(TIBDatabase& database, const QString& fileName);
void ConnettiIBDatabase(TIBDatabase& database, const TDBConnectionInfo& info);
/// A connection to `fileName` as ConnettiIBDatabase opens it: one a closed lookup left parked
/// for the same database and parameters when there is one (see ConnessioniInAttesa), else a
/// new one.
std::unique_ptr<TIBDatabase> ConnettiRiusando(const QString& fileName);
/// Opens `database` as the INI file (section "CONFIG") describes; an open connection is not
/// closed first.
void ConnettiIBDatabaseIni(TIBDatabase& database, const QString& iniFileName);

/// A started transaction with the given parameter items (1..20, added in increasing order).
std::unique_ptr<TIBTransaction> CreaTransazione(TIBDatabase& database, const QSet<int>& items);

/// The two kinds of transaction the product runs.
enum class TTipoTransazione {
    Snapshot,     ///< concurrency, nowait: every writer, and a stable view for the services
    ReadCommitted ///< read_committed, rec_version: short reads and the lists
};
/// A transaction of `kind` on `database`; started unless `start` is false.
std::unique_ptr<TIBTransaction> CreaTransazione(TIBDatabase& database, TTipoTransazione kind,
                                                bool start = true);

/// Older scheme: open the database `fileName` of `folder` (ending with a backslash), asking the
/// user for the server when needed, and create it when it does not exist. Messages go through
/// the dialog interface; the result tells whether the database is open.
bool ApriOCreaDatabase(TIBDatabase& database, const QString& folder, const QString& fileName,
                       const QString& password = QString(), const QString& userName = QString());

/// Tries to open `name` (on `server` when given, with the first character replaced by
/// `driveLetter` when given); creates the database only when the file does not exist.
bool ProvaConnessione(TIBDatabase& database, const QString& name, const QString& server,
                      const QString& password = QString(), const QString& userName = QString(),
                      const QString& driveLetter = QString());

struct TPercorsoRete {
    QString folder;
    bool stop = false;
    bool shareIsName = false;
};
/// Turns a UNC folder "\\host\share\rest\" into a server form.
TPercorsoRete ConvertiPercorsoRete(const QString& uncFolder, const QString& serverPath);

struct TServerScelto {
    QString server;
    QString driveLetter;
};
/// Reads the server from folder + "dati.ini", asking the user (and writing the answer) when it
/// is missing.
TServerScelto ChiediServer(const QString& folder);

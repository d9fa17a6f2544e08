#include "DBConnection.h"

#include "ConnessioniInAttesa.h"

#include "DatabaseError.h"
#include "IBDatabase.h"
#include "IBTransaction.h"

#include "framework/core/Dialogs.h"
#include "framework/core/IniFile.h"
#include "framework/core/WinPath.h"

#include <QFileInfo>

#include <mutex>

namespace {
const QString kSection = QStringLiteral("CONFIG");
const QString kNomeServer = QStringLiteral("Nome Server");
const QString kLettera = QStringLiteral("Lettera Disco Server");
const QString kPercorso = QStringLiteral("PercorsoDatabase");
const QString kAlias = QStringLiteral("Alias");
const QString kPercorsoNelServer = QStringLiteral("Percorso Nel Server");

/// The INI file beside a database path. Workstation paths may use either separator here: on
/// this platform the file is looked up where the path really points.
QString DatiIniBeside(const QString& fileName) {
    return WinPath::FolderAnySep(fileName) + QStringLiteral("dati.ini");
}

QString LocalPath(const QString& path) {
    QString p = path;
    if (QFileInfo::exists(p))
        return p;
    p.replace('\\', '/');
    return p;
}

/// The site's user and password, once a dati.ini named them. A lookup's worker thread opens its
/// connections with them while the window thread may read a dati.ini: every access takes the
/// lock and works on a copy.
std::mutex gCredenzialiLock;
TCredenzialiSito gCredenziali;
QString gPasswordFornita; ///< under gCredenzialiLock

void SetDefaultParams(TIBDatabase& database, const QString& user, const QString& password,
                      const QString& role = QString()) {
    database.LoginPrompt = false;
    database.Params.clear();
    database.Params << QStringLiteral("user_name=") + user
                    << QStringLiteral("password=") + password;
    if (!role.isEmpty())
        database.Params << QStringLiteral("sql_role_name=") + role;
}

/// The user the file names, else the site's, else the product's default, written out in the
/// connection's parameters.
void SetSiteParams(TIBDatabase& database, const TDBConnectionInfo& info) {
    const TCredenzialiSito sito = CredenzialiSitoCorrenti();
    if (!info.Utente.isEmpty())
        SetDefaultParams(database, info.Utente, info.Password, info.Ruolo);
    else if (!sito.Utente.isEmpty())
        SetDefaultParams(database, sito.Utente, sito.Password, sito.Ruolo);
    else
        SetDefaultParams(database, DbDefaults::User, DbDefaults::Password);
}

/// Folder of a UNC path relative to its share, ending with one backslash ("" for the share root).
QString FolderRelativeToShare(const QString& path) {
    const QString folder = WinPath::Folder(path);
    return WinPath::RelativeToDrive(folder, WinPath::Drive(path));
}
} // namespace

void TDBConnectionInfo::LoadFromIniFile(const QString& fileName, const QString& section) {
    const TIniFile ini(LocalPath(fileName));
    NomeServer = ini.ReadString(section, kNomeServer);
    PercorsoDatabase = ini.ReadString(section, kPercorso);
    LetteraDiscoServer = ini.ReadString(section, kLettera);
    Alias = ini.ReadString(section, kAlias);
    CharSet = ini.ReadString(section, QStringLiteral("CharSet"));
    Utente = ini.ReadString(section, QStringLiteral("Utente"));
    Password = ini.ReadString(section, QStringLiteral("Password"));
    Ruolo = ini.ReadString(section, QStringLiteral("Ruolo")).trimmed().toUpper();
    {
        const std::lock_guard lock(gCredenzialiLock);
        if (!gPasswordFornita.isEmpty() && !Utente.isEmpty())
            Password = gPasswordFornita;
    }
    if (!Utente.isEmpty())
        ImpostaCredenzialiSito(Utente, Password, Ruolo);
}

void ImpostaPasswordFornita(const QString& password) {
    const std::lock_guard lock(gCredenzialiLock);
    gPasswordFornita = password;
}

TCredenzialiSito CredenzialiSitoCorrenti() {
    const std::lock_guard lock(gCredenzialiLock);
    return gCredenziali;
}

void ImpostaCredenzialiSito(const QString& utente, const QString& password, const QString& ruolo) {
    TCredenzialiSito nuove{utente, password, ruolo};
    const std::lock_guard lock(gCredenzialiLock);
    std::swap(gCredenziali, nuove); // the old strings are freed outside the lock
}

QString TDBConnectionInfo::GetIBFileName() const {
    if (!NomeServer.isEmpty() && !Alias.isEmpty())
        return NomeServer + ':' + Alias;

    if (!NomeServer.isEmpty()) {
        QString drive;
        if (!LetteraDiscoServer.isEmpty())
            drive = LetteraDiscoServer + ':';
        else if (!PercorsoDatabase.isEmpty())
            drive = WinPath::Drive(PercorsoDatabase);
        else
            throw EZavoError(kIniIncompleto);

        const QString prefix = QStringLiteral("\\\\") + NomeServer + '\\' + drive + '\\';
        if (!PercorsoDatabase.isEmpty())
            return prefix + WinPath::RelativeToDrive(PercorsoDatabase, drive);

        QString folder =
            WinPath::IsUnc(FileName)
                ? FolderRelativeToShare(FileName)
                : WinPath::RelativeToDrive(WinPath::Folder(FileName), WinPath::Drive(FileName));
        folder = folder.isEmpty() ? QString() : WinPath::WithTrailingBackslash(folder);
        return prefix + folder + WinPath::FileName(FileName);
    }

    const QString path = !PercorsoDatabase.isEmpty() ? PercorsoDatabase : FileName;
    if (!WinPath::IsUnc(path))
        return path;
    const int hostEnd = path.indexOf('\\', 2);
    const int shareEnd = hostEnd < 0 ? -1 : path.indexOf('\\', hostEnd + 1);
    if (shareEnd < 0)
        return path;
    const QString host = path.mid(2, hostEnd - 2);
    const QString share = path.mid(hostEnd + 1, shareEnd - hostEnd - 1);
    QString folder = FolderRelativeToShare(path);
    folder = folder.isEmpty() ? QString() : WinPath::WithTrailingBackslash(folder);
    return QStringLiteral("\\\\") + host + '\\' + share + (share.contains(':') ? "" : ":") + '\\' +
           folder + WinPath::FileName(path);
}

namespace {
TDBConnectionInfo InfoDiFile(const QString& fileName) {
    TDBConnectionInfo info;
    info.FileName = fileName;
    const QString ini = DatiIniBeside(fileName);
    if (!WinPath::FolderAnySep(fileName).isEmpty() && QFileInfo::exists(LocalPath(ini)))
        info.LoadFromIniFile(ini, kSection);
    return info;
}

void Configura(TIBDatabase& database, const TDBConnectionInfo& info) {
    if (database.Connected())
        database.Close();
    SetSiteParams(database, info);
    if (!info.CharSet.isEmpty())
        database.Params << QStringLiteral("lc_ctype=") + info.CharSet;
    database.SetDatabaseName(info.GetIBFileName());
}
} // namespace

void ConnettiIBDatabase(TIBDatabase& database, const TDBConnectionInfo& info) {
    Configura(database, info);
    database.Open();
}

void ConnettiIBDatabase(TIBDatabase& database, const QString& fileName) {
    ConnettiIBDatabase(database, InfoDiFile(fileName));
}

std::unique_ptr<TIBDatabase> ConnettiRiusando(const QString& fileName) {
    auto database = std::make_unique<TIBDatabase>();
    Configura(*database, InfoDiFile(fileName));
    if (auto parcheggiata = ConnessioniInAttesa::Prendi(database->DatabaseName(), database->Params))
        return parcheggiata;
    database->Open();
    return database;
}

void ConnettiIBDatabaseIni(TIBDatabase& database, const QString& iniFileName) {
    TDBConnectionInfo info;
    info.LoadFromIniFile(iniFileName, kSection);
    const QString name = info.GetIBFileName();
    if (!database.Connected()) // an open connection stays as it is
        database.SetDatabaseName(name);
    SetSiteParams(database, info);
    if (!info.CharSet.isEmpty())
        database.Params << QStringLiteral("lc_ctype=") + info.CharSet;
    database.Open();
}

std::unique_ptr<TIBTransaction> CreaTransazione(TIBDatabase& database, const QSet<int>& items) {
    auto tr = std::make_unique<TIBTransaction>(&database);
    for (int item = 1; item <= 20; ++item)
        if (items.contains(item))
            tr->Params << QStringLiteral("isc_tpb_") + TIBTransaction::ItemName(item);
    tr->StartTransaction();
    return tr;
}

std::unique_ptr<TIBTransaction> CreaTransazione(TIBDatabase& database, TTipoTransazione kind,
                                                bool start) {
    auto tr = std::make_unique<TIBTransaction>(&database);
    // The items in increasing order, as the item-set form adds them.
    if (kind == TTipoTransazione::Snapshot)
        tr->Params << QStringLiteral("isc_tpb_concurrency") << QStringLiteral("isc_tpb_nowait");
    else
        tr->Params << QStringLiteral("isc_tpb_read_committed")
                   << QStringLiteral("isc_tpb_rec_version");
    if (start)
        tr->StartTransaction();
    return tr;
}

bool ProvaConnessione(TIBDatabase& database, const QString& name, const QString& server,
                      const QString& password, const QString& userName,
                      const QString& driveLetter) {
    const QString user = userName.isEmpty() ? DbDefaults::User : userName;
    const QString pwd = password.isEmpty() ? DbDefaults::Password : password;
    try {
        database.Close();
    } catch (const EZavoError&) {
    }
    SetDefaultParams(database, user, pwd);
    QString dbName = name;
    if (!server.isEmpty()) {
        if (!driveLetter.isEmpty() && !dbName.isEmpty())
            dbName.replace(0, 1, driveLetter);
        dbName = server + ':' + dbName;
    }
    database.SetDatabaseName(dbName);
    try {
        database.Open();
        return true;
    } catch (const EDatabaseError& e) {
        // Only a file that is not there may be created: after a network, lock or login failure
        // a new empty database would hide the real archive.
        if (!e.IsMissingDatabase())
            return false;
    } catch (const EZavoError&) {
        return false;
    }
    database.Params.clear();
    database.Params << QStringLiteral("USER \"%1\"").arg(user)
                    << QStringLiteral("PASSWORD \"%1\"").arg(pwd)
                    << QStringLiteral("PAGE_SIZE 4096");
    database.SQLDialect = 3;
    try {
        database.CreateDatabase();
    } catch (const EZavoError&) {
        return false;
    }
    Dialogs().Information(QStringLiteral("Effettuata creazione data base"));
    return true;
}

TPercorsoRete ConvertiPercorsoRete(const QString& uncFolder, const QString& serverPath) {
    TPercorsoRete r;
    const int hostEnd = uncFolder.indexOf('\\', 2);
    const int shareEnd = hostEnd < 0 ? -1 : uncFolder.indexOf('\\', hostEnd + 1);
    const QString host = uncFolder.mid(2, hostEnd < 0 ? -1 : hostEnd - 2);
    const QString share =
        hostEnd < 0 ? QString()
                    : uncFolder.mid(hostEnd + 1, shareEnd < 0 ? -1 : shareEnd - hostEnd - 1);
    const QString rest = shareEnd < 0 ? QStringLiteral("\\") : uncFolder.mid(shareEnd);
    if (share.size() < 2) {
        r.folder = host + ':' + share + ':' + rest;
        return r;
    }
    r.shareIsName = true;
    if (!serverPath.isEmpty()) {
        r.folder = host + ':' + serverPath;
        return r;
    }
    Dialogs().Warning(
        QStringLiteral("Attenzione: il disco con gli archivi è stato condiviso in rete con un "
                       "nome - ") +
        share +
        QStringLiteral(" - e non con la lettera che lo identifica. Si consiglia di correggere la "
                       "condivisione oppure ") +
        QStringLiteral("di correggere manualmente la sezione Percorso Nel Server nel file "
                       "Dati.ini accanto al database"));
    r.folder = uncFolder;
    r.stop = true;
    return r;
}

TServerScelto ChiediServer(const QString& folder) {
    const QString iniName = LocalPath(folder + QStringLiteral("dati.ini"));
    TIniFile ini(iniName);
    TServerScelto r;
    r.server = ini.ReadString(kSection, kNomeServer);
    r.driveLetter = ini.ReadString(kSection, kLettera);
    if (!r.server.isEmpty())
        return r;
    const QString caption = QStringLiteral("Non trovato dati.ini");
    Dialogs().Information(caption);
    QString left, right;
    if (!Dialogs().InputTwoFields(
            caption,
            QStringLiteral("Inserire il nome del computer e la lettera della sua\r\nunità disco "
                           "dove risulta ospitato (o sarà ospitato) il database"),
            left, right))
        return {};
    r.server = left;
    r.driveLetter = right;
    ini.WriteString(kSection, kNomeServer, r.server);
    if (!r.driveLetter.isEmpty())
        ini.WriteString(kSection, kLettera, r.driveLetter);
    return r;
}

bool ApriOCreaDatabase(TIBDatabase& database, const QString& folder, const QString& fileName,
                       const QString& password, const QString& userName) {
    const QString file = fileName.isEmpty() ? QStringLiteral("archivio.fdb") : fileName;
    const TIniFile ini(LocalPath(folder + QStringLiteral("dati.ini")));
    const QString server = ini.ReadString(kSection, kNomeServer);
    const QString alias = ini.ReadString(kSection, kAlias);
    if (!server.isEmpty() && !alias.isEmpty() &&
        ProvaConnessione(database, server + ':' + alias, QString(), password, userName))
        return true;

    const QString percorso = ini.ReadString(kSection, kPercorso);
    if (!percorso.isEmpty()) {
        const QString name = QStringLiteral("\\\\") + server + '\\' +
                             (percorso.endsWith('\\') ? percorso : percorso + '\\') + file;
        return ProvaConnessione(database, name, QString(), password, userName);
    }

    QString useFolder = folder;
    bool stop = false;
    bool shareIsName = false;
    QString serverPath;
    if (folder.contains(QLatin1String("\\\\"))) {
        serverPath = ini.ReadString(kSection, kPercorsoNelServer);
        const TPercorsoRete conv = ConvertiPercorsoRete(folder, serverPath);
        useFolder = conv.folder;
        stop = conv.stop;
        shareIsName = conv.shareIsName;
    }
    if (stop)
        return false;
    if (ProvaConnessione(database, useFolder + file, QString(), password, userName))
        return true;
    if (shareIsName && !serverPath.isEmpty()) {
        Dialogs().Error(QStringLiteral("Errore: nonostante le configurazioni, il particolare "
                                       "percorso di rete sta rendendo impossibile l'attivazione "
                                       "del database"));
        return false;
    }
    const TServerScelto chosen = ChiediServer(folder);
    if (!chosen.server.isEmpty())
        return ProvaConnessione(database, useFolder + file, chosen.server, password, userName,
                                chosen.driveLetter);
    Dialogs().Error(QStringLiteral("Apertura / creazione del database non riuscita!"));
    return false;
}

#include "SiteRoles.h"

#include "framework/core/ZavoError.h"
#include "framework/db/DbHelpers.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"
#include "framework/session/ZavoUser.h"

#include <QRegularExpression>
#include <QSet>

namespace zelm::sito {
namespace {

/// Tables a role may change besides reading. Every role reads every table; what is not listed
/// here (the users, their profiles and parameters, the host suite's reference tables) only the
/// administrator's role changes. A table missing from a database is skipped there.
struct TScrittura {
    const char* tabella;
    bool lettura; ///< also the read-only role (its own layouts, placements and window log)
};
constexpr TScrittura kScritture[] = {
    // The sheets and their sub-records.
    {"ZELMMODEL", false},
    {"ZELMMODELDETT", false},
    {"ZELMMODELOPZ", false},
    {"ZELMMODELPREFCOMP", false},
    {"ZELMMODELSTO", false},
    // The import's log and claims.
    {"ZELMLOGIMPXLS", false},
    {"ZELMIMPXLSLOCK", false},
    // Item-master articles, photos and the viewer's calls.
    {"ANAMAG", false},
    {"ORVOITEMPHOTO", false},
    {"ORVOVIEWERCALL", false},
    // The product's per-user parameters.
    {"TABX", false},
    // Every user's own list layouts, window placements and the host's window log.
    {"STOASP1", true},
    {"STOPOS1", true},
    {"SETGRID", true},
    {"SELBALOGFUNZ", true},
};

QString Quoted(const QString& name) {
    return QLatin1Char('"') + QString(name).replace('"', QStringLiteral("\"\"")) + QLatin1Char('"');
}

QStringList Names(TIBDatabase& db, TIBTransaction& tr, const QString& query) {
    TIBSQL sql(&db, &tr);
    sql.SetSQL(query);
    sql.ExecQuery();
    QStringList out;
    for (; !sql.Eof(); sql.Next())
        out << sql.Fields(0).AsString().trimmed();
    return out;
}

/// A user name as Firebird keeps it unquoted: letters, digits, _ and $, at most 31.
QString CheckedUser(const QString& utente) {
    static const QRegularExpression valid(QStringLiteral("^[A-Za-z][A-Za-z0-9_$]{0,30}$"));
    if (!valid.match(utente).hasMatch())
        throw EZavoError(QStringLiteral("Nome utente del database non valido: %1").arg(utente));
    return utente.toUpper();
}

} // namespace

QStringList Ruoli() {
    return {kOperatore, kLettura, kAmministratore};
}

void ApplicaRuoli(const QString& connection) {
    TIBDatabase db;
    db.SetDatabaseName(connection);
    db.Open();
    {
        // Roles first, committed: the grants below name them.
        TIBTransaction tr(&db);
        tr.StartTransaction();
        const QStringList there =
            Names(db, tr, QStringLiteral("SELECT RDB$ROLE_NAME FROM RDB$ROLES"));
        for (const QString& ruolo : Ruoli())
            if (!there.contains(ruolo))
                EseguiIstruzione(db, tr, QStringLiteral("CREATE ROLE ") + ruolo);
        tr.Commit();
    }
    TIBTransaction tr(&db);
    tr.StartTransaction();
    const QStringList tables =
        Names(db, tr,
              QStringLiteral("SELECT RDB$RELATION_NAME FROM RDB$RELATIONS "
                             "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1"));
    const QStringList sequences =
        Names(db, tr,
              QStringLiteral("SELECT RDB$GENERATOR_NAME FROM RDB$GENERATORS "
                             "WHERE COALESCE(RDB$SYSTEM_FLAG, 0) = 0 ORDER BY 1"));
    const QSet<QString> present(tables.begin(), tables.end());
    for (const QString& t : tables) {
        EseguiIstruzione(db, tr,
                         QStringLiteral("GRANT SELECT ON TABLE %1 TO ROLE %2, ROLE %3")
                             .arg(Quoted(t), kOperatore, kLettura));
        EseguiIstruzione(
            db, tr,
            QStringLiteral("GRANT ALL ON TABLE %1 TO ROLE %2").arg(Quoted(t), kAmministratore));
    }
    for (const TScrittura& w : kScritture) {
        const QString t = QString::fromLatin1(w.tabella);
        if (!present.contains(t))
            continue;
        EseguiIstruzione(db, tr,
                         QStringLiteral("GRANT INSERT, UPDATE, DELETE ON TABLE %1 TO ROLE %2")
                             .arg(Quoted(t), kOperatore));
        if (w.lettura)
            EseguiIstruzione(db, tr,
                             QStringLiteral("GRANT INSERT, UPDATE, DELETE ON TABLE %1 TO ROLE %2")
                                 .arg(Quoted(t), kLettura));
    }
    // Identifiers come from the sequences: whoever inserts needs them.
    for (const QString& s : sequences)
        EseguiIstruzione(db, tr,
                         QStringLiteral("GRANT USAGE ON SEQUENCE %1 TO ROLE %2, ROLE %3, ROLE %4")
                             .arg(Quoted(s), kOperatore, kLettura, kAmministratore));
    tr.Commit();
}

void AssegnaRuolo(const QString& connection, const QString& ruolo, const QString& utente) {
    if (!Ruoli().contains(ruolo))
        throw EZavoError(QStringLiteral("Ruolo sconosciuto: %1").arg(ruolo));
    const QString user = CheckedUser(utente);
    TIBDatabase db;
    db.SetDatabaseName(connection);
    db.Open();
    TIBTransaction tr(&db);
    tr.StartTransaction();
    // What the user holds by itself, outside any role (user grantees are of type 8).
    TIBSQL held(&db, &tr);
    held.SetSQL(QStringLiteral(
        "SELECT DISTINCT TRIM(RDB$RELATION_NAME), RDB$OBJECT_TYPE FROM RDB$USER_PRIVILEGES "
        "WHERE RDB$USER = :UTENTE AND RDB$USER_TYPE = 8 AND RDB$OBJECT_TYPE IN (0, 14)"));
    held.ParamByName("UTENTE").SetString(user);
    held.ExecQuery();
    QStringList revokes;
    for (; !held.Eof(); held.Next()) {
        const QString object = Quoted(held.Fields(0).AsString());
        revokes << (held.Fields(1).AsInteger() == 14
                        ? QStringLiteral("REVOKE USAGE ON SEQUENCE %1 FROM USER %2")
                        : QStringLiteral("REVOKE ALL ON TABLE %1 FROM USER %2"))
                       .arg(object, user);
    }
    held.Close();
    for (const QString& r : revokes)
        EseguiIstruzione(db, tr, r);
    EseguiIstruzione(db, tr, QStringLiteral("GRANT %1 TO USER %2").arg(ruolo, user));
    tr.Commit();
}

QStringList Ditte(const QString& userConnection) {
    TIBDatabase db;
    db.SetDatabaseName(userConnection);
    db.Open();
    TIBTransaction tr(&db);
    tr.StartTransaction();
    return Names(db, tr,
                 QStringLiteral("SELECT DISTINCT INTESTAZIONE FROM TABTREBON "
                                "WHERE PARAMETRO = 'Archivio' AND INTESTAZIONE IS NOT NULL "
                                "ORDER BY 1"));
}

int PuntaArchivio(const QString& userConnection, const QString& valore, const QStringList& ditte) {
    TIBDatabase db;
    db.SetDatabaseName(userConnection);
    db.Open();
    TIBTransaction tr(&db);
    tr.StartTransaction();
    int changed = 0;
    QSet<int> users;
    for (const QString& ditta : ditte) {
        TIBSQL who(&db, &tr);
        who.SetSQL(QStringLiteral("SELECT DISTINCT UTENTE FROM TABTREBON "
                                  "WHERE PARAMETRO = 'Archivio' AND INTESTAZIONE = :DITTA"));
        who.ParamByName("DITTA").SetString(ditta);
        who.ExecQuery();
        for (; !who.Eof(); who.Next())
            users.insert(who.Fields(0).AsInteger());
        who.Close();
        TIBSQL set(&db, &tr);
        set.SetSQL(QStringLiteral("UPDATE TABTREBON SET VALORE = :VALORE "
                                  "WHERE PARAMETRO = 'Archivio' AND INTESTAZIONE = :DITTA"));
        set.ParamByName("VALORE").SetString(valore);
        set.ParamByName("DITTA").SetString(ditta);
        set.ExecQuery();
        changed += set.RowsAffected();
    }
    for (int utente : users)
        RicostruisciTestoTrebon(db, tr, utente);
    tr.Commit();
    return changed;
}

} // namespace zelm::sito

#include "ZavoUser.h"

#include "framework/core/WinPath.h"
#include "framework/core/ZavoError.h"
#include "framework/db/DBConnection.h"
#include "framework/db/DbHelpers.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

TZavoUser::TZavoUser(QObject* owner) : QObject(owner), fDBUser(std::make_unique<TIBDatabase>()) {}

TZavoUser::~TZavoUser() = default;

void TZavoUser::ConnettiDB() {
    ConnettiDB(HostProgramDir() + QStringLiteral("user/user.fdb"));
}

void TZavoUser::ConnettiDB(const QString& fileName) {
    ConnettiIBDatabase(*fDBUser, fileName);
}

void TZavoUser::ConnettiDB(const TDBConnectionInfo& info) {
    ConnettiIBDatabase(*fDBUser, info);
}

void TZavoUser::SetCodiceUtente(int valore) {
    TIBTransaction tr(fDBUser.get());
    tr.StartTransaction();
    TIBSQL sql(fDBUser.get(), &tr);
    sql.ParamCheck = false;
    sql.SetSQL(QStringLiteral("SELECT * FROM UTENTI WHERE CODICE=") + QString::number(valore));
    sql.ExecQuery();
    if (sql.Eof())
        throw EZavoError(QStringLiteral("Utente %1 non trovato").arg(valore));
    fCodiceUtente = sql.FieldByName("CODICE").AsInteger();
    fNomeUtente = sql.FieldByName("NOMEUTENTE").AsString();
    fDittaUtente = sql.FieldByName("DITTA").AsString();
    fPasswordUtente = sql.FieldByName("PWDUTENTE").AsString();
    fInfo2 = sql.FieldByName("INFO2").AsString();
    fProfiloSicurezza = static_cast<qint16>(sql.FieldByName("PROFILOSICUREZZA").AsInteger());
    // The transaction only read: it rolls back when it goes out of scope, also after a failure.
}

void TZavoUser::CheckPassword(const QString& valore) const {
    if (valore != fPasswordUtente)
        throw EZavoError(QStringLiteral("Password errata"));
}

void TZavoUser::CheckUtenteDitta(int utente, const QString& ditta) const {
    auto tr = CreaTransazione(*fDBUser, TTipoTransazione::Snapshot, false);
    tr->StartTransaction();
    TIBSQL sql(fDBUser.get(), tr.get());
    sql.SetSQL(QStringLiteral(
        "SELECT COUNT(*) FROM TABTREBON WHERE UTENTE=:UTENTE AND INTESTAZIONE=:INTESTAZIONE"));
    sql.ParamByName("UTENTE").SetInteger(utente);
    sql.ParamByName("INTESTAZIONE").SetString(ditta);
    sql.ExecQuery();
    if (sql.Fields(0).AsInt64() > 0)
        return;
    sql.SetSQL(QStringLiteral("SELECT COUNT(*) FROM TABTREBON WHERE UTENTE=:UTENTE"));
    sql.ParamByName("UTENTE").SetInteger(utente);
    sql.ExecQuery();
    if (sql.Fields(0).AsInt64() > 0)
        throw EZavoError(
            QStringLiteral("Ditta \"%1\" non trovata nell'utente %2").arg(ditta).arg(utente));
    throw EZavoError(QStringLiteral("Utente %1 non trovato").arg(utente));
}

void TZavoUser::ScritturaHandleDiApertura(int idFinestra, quint32 handle) const {
    auto tr = CreaTransazione(*fDBUser, TTipoTransazione::Snapshot, false);
    tr->StartTransaction();
    TIBSQL sql(fDBUser.get(), tr.get());
    sql.ParamCheck = false;
    sql.SetSQL(QStringList{QStringLiteral("UPDATE SELBALOGFUNZ SET"),
                           QStringLiteral("HANDLEFINESTRA=") + QString::number(handle),
                           QStringLiteral("WHERE"),
                           QStringLiteral("  IDFINESTRA=") + QString::number(idFinestra)});
    sql.ExecQuery();
    tr->Commit();
}

QString TZavoUser::GetParamTrebon(const QString& nome) const {
    TIBTransaction tr(fDBUser.get());
    tr.StartTransaction();
    TIBSQL sql(fDBUser.get(), &tr);
    // Company and name are bound, not pasted: a quote in either must not break the statement.
    sql.SetSQL(QStringList{QStringLiteral("SELECT"), QStringLiteral("  VALORE"),
                           QStringLiteral("FROM"), QStringLiteral("  TABTREBON"),
                           QStringLiteral("WHERE"),
                           QStringLiteral("  UTENTE=") + QString::number(fCodiceUtente),
                           QStringLiteral("  AND"), QStringLiteral("  INTESTAZIONE=:INTESTAZIONE"),
                           QStringLiteral("  AND"), QStringLiteral("  PARAMETRO=:PARAMETRO")});
    sql.ParamByName("INTESTAZIONE").SetString(fDittaUtente);
    sql.ParamByName("PARAMETRO").SetString(nome);
    sql.ExecQuery();
    return sql.Eof() ? QString() : sql.Fields(0).AsString();
}

void TZavoUser::SetParamTrebon(const QString& nome, const QString& valore) {
    auto tr = CreaTransazione(*fDBUser, TTipoTransazione::Snapshot, false);
    tr->StartTransaction();
    TIBSQL sql(fDBUser.get(), tr.get());
    sql.SetSQL(QStringList{"MERGE INTO TABTREBON A",
                           "USING(",
                           "  SELECT",
                           "    CAST(:PARAMETRO AS VARCHAR(64)) AS PARAMETRO",
                           "  FROM",
                           "    RDB$DATABASE",
                           ") B ON",
                           "A.PARAMETRO=B.PARAMETRO",
                           "AND",
                           "A.UTENTE=:UTENTE",
                           "AND",
                           "A.INTESTAZIONE=:INTESTAZIONE",
                           "WHEN MATCHED THEN UPDATE SET",
                           "  A.VALORE=:VALORE",
                           "WHEN NOT MATCHED THEN INSERT(",
                           "  UTENTE,",
                           "  INTESTAZIONE,",
                           "  PARAMETRO,",
                           "  VALORE,",
                           "  PROGRESSIVO",
                           ")",
                           "VALUES(",
                           "  :UTENTE,",
                           "  :INTESTAZIONE,",
                           "  :PARAMETRO,",
                           "  :VALORE,",
                           "  (",
                           "    SELECT",
                           "      COALESCE(MAX(PROGRESSIVO),0)+1",
                           "    FROM",
                           "      TABTREBON",
                           "    WHERE",
                           "      UTENTE=:UTENTE",
                           "  )",
                           ")"});
    sql.ParamByName("UTENTE").SetInteger(fCodiceUtente);
    sql.ParamByName("INTESTAZIONE").SetString(fDittaUtente);
    sql.ParamByName("PARAMETRO").SetString(nome);
    sql.ParamByName("VALORE").SetString(QString(valore).replace('\'', QStringLiteral("''")));
    sql.ExecQuery();
    tr->Commit();
    if (!fUpdating)
        AggiornaTestoTrebon();
}

void TZavoUser::EndUpdate() {
    fUpdating = false;
    AggiornaTestoTrebon();
}

void TZavoUser::AggiornaTestoTrebon() const {
    auto tr = CreaTransazione(*fDBUser, TTipoTransazione::Snapshot, false);
    tr->StartTransaction();
    RicostruisciTestoTrebon(*fDBUser, *tr, fCodiceUtente);
    tr->Commit();
}

void RicostruisciTestoTrebon(TIBDatabase& database, TIBTransaction& tr, int utente) {
    TIBSQL sql(&database, &tr);
    sql.ParamCheck = false; // :VAR inside the block are its own variables
    sql.SetSQL(
        QStringList{"EXECUTE BLOCK",
                    "AS",
                    "  DECLARE VARIABLE UTENTE Integer = " + QString::number(utente) + ";",
                    "  DECLARE VARIABLE INTESTAZIONE VarChar(64);",
                    "  DECLARE VARIABLE PARAMETRO VarChar(64);",
                    "  DECLARE VARIABLE VALORE VarChar(256);",
                    "  DECLARE VARIABLE SCRITTURA Smallint;",
                    "BEGIN",
                    "  UPDATE UTENTI SET",
                    "    TREBON=NULL",
                    "  WHERE",
                    "    CODICE=:UTENTE;",
                    "  FOR",
                    "    SELECT DISTINCT",
                    "      INTESTAZIONE",
                    "    FROM",
                    "      TABTREBON",
                    "    WHERE",
                    "      UTENTE=:UTENTE",
                    "      AND",
                    "      INTESTAZIONE IS NOT NULL",
                    "    ORDER BY",
                    "      1",
                    "    INTO",
                    "      :INTESTAZIONE",
                    "  DO",
                    "  BEGIN",
                    "    SCRITTURA=0;",
                    "    FOR",
                    "      SELECT",
                    "        PARAMETRO,",
                    "        VALORE",
                    "      FROM",
                    "        TABTREBON",
                    "      WHERE",
                    "        UTENTE=:UTENTE",
                    "        AND",
                    "        INTESTAZIONE=:INTESTAZIONE",
                    "      ORDER BY",
                    "        INTESTAZIONE,",
                    "        PROGRESSIVO",
                    "      INTO",
                    "        :PARAMETRO,",
                    "        :VALORE",
                    "    DO",
                    "    BEGIN",
                    "      IF (:SCRITTURA=0) THEN",
                    "      BEGIN",
                    "        UPDATE UTENTI SET",
                    "          TREBON=COALESCE(TREBON,'')||'['||:INTESTAZIONE||']'||ASCII_CHAR(10)",
                    "        WHERE",
                    "          CODICE=:UTENTE;",
                    "        SCRITTURA=1;",
                    "      END",
                    "      UPDATE UTENTI SET",
                    "        TREBON=TREBON||:PARAMETRO||'='||COALESCE(:VALORE,'')||ASCII_CHAR(10)",
                    "      WHERE",
                    "        CODICE=:UTENTE;",
                    "    END--FOR PARAMETRO",
                    "  END--FOR INTESTAZIONE",
                    "END"});
    sql.ExecQuery();
}

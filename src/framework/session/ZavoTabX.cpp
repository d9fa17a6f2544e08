#include "ZavoTabX.h"

#include "framework/db/DBConnection.h"
#include "framework/db/DbHelpers.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

TZavoTabX::TZavoTabX(QObject* owner) : QObject(owner) {}

TZavoTabX::~TZavoTabX() {
    try {
        if (fOnUpdating)
            EndUpdate();
    } catch (...) {
        // Destruction must not throw; an unfinished batch is rolled back with the transaction.
    }
    fSQLRead.reset();
    fSQLWriteTesto.reset();
    fSQLWriteMemo.reset();
}

TIBTransaction& TZavoTabX::Transaction() {
    if (!fTransaction)
        fTransaction = CreaTransazione(*fDatabase, TTipoTransazione::Snapshot, false);
    return *fTransaction;
}

TIBSQL& TZavoTabX::Statement(std::unique_ptr<TIBSQL>& slot, const QStringList& lines) {
    if (!slot) {
        slot = std::make_unique<TIBSQL>(fDatabase, &Transaction());
        slot->SetSQL(lines);
    }
    return *slot;
}

namespace {
void BindUtente(TIBSQL& sql, int utente) {
    if (utente == 0)
        sql.ParamByName("UTENTE").SetNull();
    else
        sql.ParamByName("UTENTE").SetInteger(utente);
}
} // namespace

QString TZavoTabX::Read(const QString& nome, int utente, const char* column) {
    TIBSQL& sql =
        Statement(fSQLRead, {"SELECT", "  TESTO,", "  MEMO", "FROM", "  TABX", "WHERE",
                             "  NOME=:NOME", "  AND", "  UTENTE IS NOT DISTINCT FROM :UTENTE"});
    TIBTransaction& tr = Transaction();
    const bool own = !fOnUpdating;
    if (own)
        tr.StartTransaction();
    QString result;
    try {
        sql.ParamByName("NOME").SetString(nome);
        BindUtente(sql, utente);
        sql.ExecQuery();
        if (!sql.Eof())
            result = sql.FieldByName(column).AsString();
        sql.Close();
    } catch (...) {
        if (own)
            tr.Rollback();
        throw;
    }
    if (own)
        tr.Rollback();
    return result;
}

void TZavoTabX::Write(std::unique_ptr<TIBSQL>& slot, const QString& column, const QString& nome,
                      const QString& valore, int utente) {
    TIBSQL& sql = Statement(slot, {"MERGE INTO TABX A",
                                   "USING(",
                                   "  SELECT",
                                   "    CAST(:NOME AS VARCHAR(64)) AS NOME",
                                   "  FROM",
                                   "    RDB$DATABASE",
                                   ") B ON",
                                   "A.NOME=B.NOME",
                                   "AND",
                                   "A.UTENTE IS NOT DISTINCT FROM :UTENTE",
                                   "WHEN MATCHED THEN UPDATE SET",
                                   "A." + column + "=:VALORE",
                                   "WHEN NOT MATCHED THEN INSERT(",
                                   "CODICE,",
                                   "NOME,",
                                   column + ",",
                                   "UTENTE",
                                   ")",
                                   "VALUES(",
                                   "GEN_ID(CODICETABXCOUNTER,1),",
                                   ":NOME,",
                                   ":VALORE,",
                                   ":UTENTE",
                                   ")"});
    TIBTransaction& tr = Transaction();
    const bool own = !fOnUpdating;
    if (own)
        tr.StartTransaction();
    try {
        sql.ParamByName("NOME").SetString(nome);
        sql.ParamByName("VALORE").SetString(QString(valore).replace('\'', QStringLiteral("''")));
        BindUtente(sql, utente);
        sql.ExecQuery();
    } catch (...) {
        // The store is left with no open transaction, as after a successful write.
        if (own) {
            try {
                tr.Commit();
            } catch (...) {
                if (tr.InTransaction())
                    tr.Rollback();
            }
        }
        throw;
    }
    if (own)
        tr.Commit();
}

QString TZavoTabX::GetParametroTesto(const QString& nome, int utente) {
    return Read(nome, utente, "TESTO");
}
QString TZavoTabX::GetParametroMemo(const QString& nome, int utente) {
    return Read(nome, utente, "MEMO");
}
void TZavoTabX::SetParametroTesto(const QString& nome, const QString& valore, int utente) {
    Write(fSQLWriteTesto, QStringLiteral("TESTO"), nome, valore, utente);
}
void TZavoTabX::SetParametroMemo(const QString& nome, const QString& valore, int utente) {
    Write(fSQLWriteMemo, QStringLiteral("MEMO"), nome, valore, utente);
}

void TZavoTabX::BeginUpdate() {
    Transaction().StartTransaction();
    fOnUpdating = true;
}

void TZavoTabX::EndUpdate() {
    fOnUpdating = false;
    Transaction().Commit();
}

QStringList TZavoTabX::CreateTableLines() {
    return {"CREATE TABLE TABX(",
            "  CODICE Integer NOT NULL,",
            "  CODPROGETTO Smallint,",
            "  CODSITUAZIONE Smallint,",
            "  TIPO Varchar(10),",
            "  NOME Varchar(64),",
            "  NUMERO Integer,",
            "  TESTO Varchar(128),",
            "  DATA Date,",
            "  MEMO Blob sub_type 1,",
            "  LIVELLO1 Smallint,",
            "  LIVELLO2 Smallint,",
            "  UTENTE Smallint,",
            "CONSTRAINT TABX_CHIAVEPRIMARIA PRIMARY KEY (CODICE))"};
}

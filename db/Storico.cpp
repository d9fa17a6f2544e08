#include "Storico.h"

#include "HostDb.h"

#include "framework/db/DbHelpers.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"
#include "model/Storico.h"

#include <QStringList>

namespace {
using namespace zelm::storico;

const QString kProcedura = QStringLiteral("ZELMSTORICO_SCRIVI");

QString Literal(const QString& s) {
    return QLatin1Char('\'') + QString(s).replace('\'', QStringLiteral("''")) + QLatin1Char('\'');
}

QString Contesto(const QString& var) {
    return QStringLiteral("RDB$GET_CONTEXT('USER_TRANSACTION', %1)").arg(Literal(var));
}

/// One row of the history, with who and why from the transaction's context.
QString ProceduraSql() {
    return QStringList{
        "CREATE OR ALTER PROCEDURE " + kProcedura + " (",
        "  IDS INTEGER, IDM INTEGER, IDV INTEGER, OGGETTO VARCHAR(20), IDO INTEGER,",
        "  CAMPO VARCHAR(31), PRIMA BLOB SUB_TYPE 1, DOPO BLOB SUB_TYPE 1, TIPO VARCHAR(20))",
        "AS",
        "BEGIN",
        "  INSERT INTO " + kTabella +
            " (IDSTORICO, ID, IDMODEL, IDVARIANTE, DATAORA, UTENTE, PROGRAMMA, OPERAZIONE, "
            "OGGETTO, IDOGGETTO, CAMPO, VALOREPRIMA, VALOREDOPO, TRANSAZIONE)",
        "  VALUES (NEXT VALUE FOR ID_ZELMMODELSTORICO_COUNTER, :IDS, :IDM, :IDV, "
        "CURRENT_TIMESTAMP,",
        "    COALESCE(" + Contesto(kVarUtente) + ", CURRENT_USER),",
        "    COALESCE(" + Contesto(kVarProgramma) +
            ", RDB$GET_CONTEXT('SYSTEM', 'CLIENT_PROCESS'), 'database'),",
        "    COALESCE(" + Contesto(kVarOperazione) + ", :TIPO),",
        "    :OGGETTO, :IDO, :CAMPO, :PRIMA, :DOPO, CURRENT_TRANSACTION);",
        "END"}
        .join('\n');
}

struct TColonna {
    QString nome;
    bool testo; ///< text or blob: stored as it is; other kinds as their text
};

QList<TColonna> Colonne(TIBDatabase& db, TIBTransaction& tr, const QString& tabella) {
    TIBSQL sql(&db, &tr);
    sql.SetSQL(QStringLiteral(
        "SELECT TRIM(RF.RDB$FIELD_NAME), F.RDB$FIELD_TYPE FROM RDB$RELATION_FIELDS RF "
        "JOIN RDB$FIELDS F ON F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
        "WHERE RF.RDB$RELATION_NAME = :T ORDER BY RF.RDB$FIELD_POSITION"));
    sql.ParamByName("T").SetString(tabella);
    sql.ExecQuery();
    QList<TColonna> out;
    for (; !sql.Eof(); sql.Next()) {
        const int tipo = sql.Fields(1).AsInteger();
        out.push_back({sql.Fields(0).AsString(), tipo == 37 || tipo == 14 || tipo == 261});
    }
    return out;
}

/// The trigger of one sheet table: an object added is one row, a field changed one row with
/// both values, an object deleted one row per field it had (the whole object, to be restored).
QString TriggerSql(const TOggetto& o, const QList<TColonna>& colonne) {
    const QString tabella = QString::fromLatin1(o.tabella);
    const auto valore = [](const QString& ref, const TColonna& c) {
        return c.testo ? ref : QStringLiteral("CAST(%1 AS VARCHAR(40))").arg(ref);
    };
    const auto scrivi = [&](const QString& campo, const QString& prima, const QString& dopo,
                            const QString& tipo) {
        return QStringLiteral("EXECUTE PROCEDURE %1 (:IDS, :IDM, :IDV, %2, :IDO, %3, %4, %5, %6);")
            .arg(kProcedura, Literal(QString::fromLatin1(o.oggetto)), campo, prima, dopo,
                 Literal(tipo));
    };
    QStringList l{
        QStringLiteral("CREATE OR ALTER TRIGGER ZELMSTORICO_%1 FOR %1 ACTIVE").arg(tabella),
        "AFTER INSERT OR UPDATE OR DELETE POSITION 32000 AS",
        "DECLARE VARIABLE IDS INTEGER;",
        "DECLARE VARIABLE IDM INTEGER;",
        "DECLARE VARIABLE IDV INTEGER;",
        "DECLARE VARIABLE IDO INTEGER;",
        "BEGIN",
        "  IDO = COALESCE(NEW.ID, OLD.ID);",
        "  IDM = COALESCE(NEW.IDMODEL, OLD.IDMODEL);"};
    if (o.variante)
        l << QStringLiteral("  IDV = COALESCE(NEW.%1, OLD.%1);")
                 .arg(QString::fromLatin1(o.variante));
    if (tabella == QLatin1String("ZELMMODEL"))
        l << "  IDS = IDO;";
    else if (o.variante)
        l << "  IDS = (SELECT ID FROM ZELMMODEL WHERE IDMODEL = :IDM AND IDVARIANTE = :IDV);";
    l << "  IF (INSERTING) THEN"
      << "    " + scrivi("NULL", "NULL", "NULL", kNuova) << "  ELSE IF (UPDATING) THEN"
      << "  BEGIN";
    for (const TColonna& c : colonne)
        l << QStringLiteral("    IF (NEW.%1 IS DISTINCT FROM OLD.%1) THEN").arg(c.nome)
          << "      " + scrivi(Literal(c.nome), valore("OLD." + c.nome, c),
                               valore("NEW." + c.nome, c), kModifica);
    l << "  END"
      << "  ELSE"
      << "  BEGIN";
    for (const TColonna& c : colonne)
        l << QStringLiteral("    IF (OLD.%1 IS NOT NULL) THEN").arg(c.nome)
          << "      " + scrivi(Literal(c.nome), valore("OLD." + c.nome, c), "NULL", kEliminazione);
    l << "  END"
      << "END";
    return l.join('\n');
}

} // namespace

bool CreaStorico(const QString& connection) {
    TIBDatabase db;
    db.SetDatabaseName(connection);
    db.Open();
    bool creata = false;
    {
        TIBTransaction tr(&db);
        tr.StartTransaction();
        TIBSQL sql(&db, &tr);
        if (TabelleEsistenti(sql, {kTabella}).isEmpty()) {
            RunSqlScript(db, BundledScript(QStringLiteral("archive_history.sql")));
            creata = true;
        }
        tr.Commit();
    }
    TIBTransaction tr(&db);
    tr.StartTransaction();
    EseguiIstruzione(db, tr, ProceduraSql());
    tr.Commit();
    tr.StartTransaction();
    for (const TOggetto& o : kOggetti)
        EseguiIstruzione(db, tr, TriggerSql(o, Colonne(db, tr, QString::fromLatin1(o.tabella))));
    tr.Commit();
    // The triggers write through the procedure, which alone may add to the history: no account
    // changes it directly, whatever its role.
    tr.StartTransaction();
    EseguiIstruzione(
        db, tr, QStringLiteral("GRANT INSERT ON %1 TO PROCEDURE %2").arg(kTabella, kProcedura));
    EseguiIstruzione(db, tr,
                     QStringLiteral("GRANT USAGE ON SEQUENCE ID_ZELMMODELSTORICO_COUNTER TO "
                                    "PROCEDURE %1")
                         .arg(kProcedura));
    for (const TOggetto& o : kOggetti) {
        const QString trigger =
            QStringLiteral("ZELMSTORICO_%1").arg(QString::fromLatin1(o.tabella));
        EseguiIstruzione(
            db, tr,
            QStringLiteral("GRANT EXECUTE ON PROCEDURE %1 TO TRIGGER %2").arg(kProcedura, trigger));
        EseguiIstruzione(db, tr,
                         QStringLiteral("GRANT SELECT ON ZELMMODEL TO TRIGGER %1").arg(trigger));
    }
    tr.Commit();
    return creata;
}

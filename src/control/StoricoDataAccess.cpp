#include "StoricoDataAccess.h"

#include "framework/core/Log.h"
#include "framework/core/ZavoError.h"
#include "framework/db/DbHelpers.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"
#include "model/Storico.h"

#include <QHash>
#include <QPair>
#include <QRegularExpression>

#include <algorithm>

#include <mutex>

void SegnaStorico(TIBDatabase& database, TIBTransaction& tr, const QString& operazione,
                  const QString& utente, const QString& programma) {
    StoricoPresente(database);
    using namespace zelm::storico;
    TIBSQL sql(&database, &tr);
    sql.SetSQL(QStringLiteral("SELECT RDB$SET_CONTEXT('USER_TRANSACTION', '%1', :OPERAZIONE), "
                              "RDB$SET_CONTEXT('USER_TRANSACTION', '%2', :UTENTE), "
                              "RDB$SET_CONTEXT('USER_TRANSACTION', '%3', :PROGRAMMA) "
                              "FROM RDB$DATABASE")
                   .arg(kVarOperazione, kVarUtente, kVarProgramma));
    sql.ParamByName("OPERAZIONE").SetString(operazione);
    sql.ParamByName("UTENTE").SetString(utente.left(64));
    sql.ParamByName("PROGRAMMA").SetString(programma);
    sql.ExecQuery();
    sql.Close();
}

bool StoricoPresente(TIBDatabase& database) {
    static std::mutex lock;
    static QHash<QString, bool> known;
    {
        const std::lock_guard guard(lock);
        const auto it = known.constFind(database.DatabaseName());
        if (it != known.constEnd())
            return *it;
    }
    TIBTransaction tr(&database);
    tr.StartTransaction();
    TIBSQL sql(&database, &tr);
    const bool present = !TabelleEsistenti(sql, {zelm::storico::kTabella}).isEmpty();
    tr.Commit();
    if (!present)
        qCInfo(zelmDb).noquote() << "l'archivio" << database.DatabaseName()
                                 << "non ha lo storico delle schede: le modifiche non vi sono "
                                    "registrate (zelm-provision CARTELLA --keep lo aggiunge)";
    const std::lock_guard guard(lock);
    known.insert(database.DatabaseName(), present);
    return present;
}

std::vector<TOggettoEliminato> OggettiEliminati(TIBDatabase& database, TIBTransaction& tr,
                                                int idScheda) {
    using namespace zelm::storico;
    // The transaction of the sheet's last deletion, and its model and variant.
    TIBSQL last(&database, &tr);
    last.SetSQL(QStringLiteral("SELECT FIRST 1 TRANSAZIONE, IDMODEL, IDVARIANTE FROM %1 WHERE "
                               "ID = :ID AND OGGETTO = 'Scheda' AND CAMPO = 'ID' AND "
                               "VALOREDOPO IS NULL ORDER BY IDSTORICO DESC")
                    .arg(kTabella));
    last.ParamByName("ID").SetInteger(idScheda);
    last.ExecQuery();
    if (last.Eof())
        return {};
    const qint64 transazione = last.Fields(0).AsInt64();
    const int idModel = last.Fields(1).AsInteger();
    const int idVariante = last.Fields(2).AsInteger();
    last.Close();

    QHash<QString, QString> tabelle;
    for (const TOggetto& o : kOggetti)
        tabelle.insert(QString::fromLatin1(o.oggetto), QString::fromLatin1(o.tabella));
    TIBSQL rows(&database, &tr);
    rows.SetSQL(QStringLiteral(
                    "SELECT OGGETTO, IDOGGETTO, CAMPO, VALOREPRIMA FROM %1 WHERE TRANSAZIONE = :T "
                    "AND IDMODEL = :M AND (IDVARIANTE = :V OR IDVARIANTE IS NULL) AND "
                    "VALOREDOPO IS NULL AND CAMPO IS NOT NULL AND "
                    "(OGGETTO <> 'Scheda' OR ID = :ID) ORDER BY IDSTORICO")
                    .arg(kTabella));
    rows.ParamByName("T").SetInt64(transazione);
    rows.ParamByName("M").SetInteger(idModel);
    rows.ParamByName("V").SetInteger(idVariante);
    rows.ParamByName("ID").SetInteger(idScheda);
    rows.ExecQuery();
    std::vector<TOggettoEliminato> out;
    QHash<QPair<QString, int>, size_t> where;
    for (; !rows.Eof(); rows.Next()) {
        const QString tabella = tabelle.value(rows.Fields(0).AsString().trimmed());
        if (tabella.isEmpty())
            continue;
        const QPair<QString, int> key{tabella, rows.Fields(1).AsInteger()};
        auto it = where.constFind(key);
        if (it == where.constEnd()) {
            it = where.insert(key, out.size());
            out.push_back({tabella, key.second, {}});
        }
        out[*it].campi.insert(rows.Fields(2).AsString().trimmed(), rows.Fields(3).AsString());
    }
    // The sheet's row first: the others refer to it.
    std::stable_partition(out.begin(), out.end(), [](const TOggettoEliminato& o) {
        return o.tabella == QLatin1String("ZELMMODEL");
    });
    return out;
}

void Reinserisci(TIBDatabase& database, TIBTransaction& tr, const TOggettoEliminato& oggetto) {
    // Names written by the triggers from the catalogue; checked all the same before they make
    // a statement.
    static const QRegularExpression nome(QStringLiteral("^[A-Z][A-Z0-9_$]{0,30}$"));
    QStringList colonne, valori;
    for (auto it = oggetto.campi.cbegin(); it != oggetto.campi.cend(); ++it) {
        if (!nome.match(it.key()).hasMatch() || !nome.match(oggetto.tabella).hasMatch())
            throw EZavoError(QStringLiteral("Storico non valido: campo \"%1\"").arg(it.key()));
        colonne << it.key();
        valori << QStringLiteral(":P%1").arg(colonne.size());
    }
    TIBSQL sql(&database, &tr);
    sql.SetSQL(
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(oggetto.tabella, colonne.join(QLatin1Char(',')), valori.join(QLatin1Char(','))));
    int i = 0;
    for (auto it = oggetto.campi.cbegin(); it != oggetto.campi.cend(); ++it)
        sql.ParamByName(QStringLiteral("P%1").arg(++i)).SetString(it.value());
    sql.ExecQuery();
}

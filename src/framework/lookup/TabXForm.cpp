#include "TabXForm.h"

#include "framework/core/Dialogs.h"
#include "framework/core/WinPath.h"
#include "framework/core/ZavoError.h"
#include "framework/db/ConnessioniInAttesa.h"
#include "framework/db/DBConnection.h"
#include "framework/db/DbHelpers.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

#include <QDir>
#include <QSet>

TTabXForm::TTabXForm(QObject* owner, TAccesso modo, const QString& directoryBin)
    : QObject(owner), ModoAccesso(modo), fUser(std::make_unique<TIBDatabase>()) {
    setObjectName(QStringLiteral("TabXForm"));
    for (int i = 0; i < 5; ++i) {
        fDatabases[i] = std::make_unique<TIBDatabase>();
        fTransactions[i] = std::make_unique<TIBTransaction>(fDatabases[i].get());
    }
    fTransactions[0]->Params << QStringLiteral("isc_tpb_concurrency")
                             << QStringLiteral("isc_tpb_nowait");
    fUserTransaction = std::make_unique<TIBTransaction>(fUser.get());
    QString bin = directoryBin.isEmpty() ? HostProgramDir() : directoryBin;
    if (!bin.endsWith('/') && !bin.endsWith('\\'))
        bin += '/';
    if (modo == Light)
        return;
    Verde = bin + QStringLiteral("Grafica/Verde.bmp");
    Rosso = bin + QStringLiteral("Grafica/Rosso.bmp");
    QDir().mkpath(bin + QStringLiteral("user"));
    std::unique_ptr<TIBDatabase> user;
    try {
        user = ConnettiRiusando(bin + QStringLiteral("user/user.fdb"));
    } catch (const EZavoError&) {
        Dialogs().Error(QStringLiteral("Errore inizializzazione database utenti"));
        return;
    }
    fUserTransaction.reset(); // before the connection it belongs to
    fUser = std::move(user);
    fUserTransaction = std::make_unique<TIBTransaction>(fUser.get());
    // Checked once per user database and process: a table that exists stays.
    static QSet<QString> checked;
    if (checked.contains(fUser->DatabaseName()))
        return;
    try {
        auto tr = CreaTransazione(*fUser, TTipoTransazione::Snapshot);
        TIBSQL sql(fUser.get(), tr.get());
        CreaTabellaSeManca(sql, QStringLiteral("TABSCRIPT"),
                           {"CREATE TABLE TABSCRIPT(", "PROGETTO VARCHAR(15) NOT NULL,",
                            "SCRIPTFORM VARCHAR(15) NOT NULL,", "CONTESTO SMALLINT NOT NULL,",
                            "UTENTE VARCHAR(15) NOT NULL,", "DESCRIZIONESITUAZIONE BLOB,",
                            "SCRIPT BLOB,", "MODIFICATODAUTENTE SMALLINT,",
                            "DATAULTIMAMODIFICA DATE,", "STATUS SMALLINT,",
                            "CONSTRAINT BRASKOTAB_CHIAVEPRIMARIA PRIMARY KEY "
                            "(PROGETTO,SCRIPTFORM,CONTESTO,UTENTE));"});
        tr->Commit();
        checked.insert(fUser->DatabaseName());
    } catch (const EZavoError&) {
        Dialogs().Error(
            QStringLiteral("Errore interno di CREATE: impossibile creare la tabella TABSCRIPT"));
    }
}

TTabXForm::~TTabXForm() {
    // Statements and transactions before their connections.
    fParametro.reset();
    for (auto& t : fTransactions)
        t.reset();
    fUserTransaction.reset();
    // The connections wait for the process's next lookup; one still in use is closed.
    ConnessioniInAttesa::Riponi(std::move(fUser));
    for (auto& d : fDatabases)
        ConnessioniInAttesa::Riponi(std::move(d));
}

bool TTabXForm::SetUserPerNum(int numeroUtente) {
    UtenteCorrente = numeroUtente;
    if (!fUserTransaction->InTransaction())
        fUserTransaction->StartTransaction();
    // One statement: the user's name by code, then password and company of the first row the
    // database returns for that name (a name may occur twice).
    TIBSQL q(fUser.get(), fUserTransaction.get());
    q.SetSQL(
        QStringList{"SELECT FIRST 1 u.NOMEUTENTE,",
                    "  (SELECT FIRST 1 p.PWDUTENTE FROM UTENTI p WHERE p.NOMEUTENTE=u.NOMEUTENTE),",
                    "  (SELECT FIRST 1 d.DITTA FROM UTENTI d WHERE d.NOMEUTENTE=u.NOMEUTENTE)",
                    "FROM UTENTI u WHERE (u.CODICE=:CODICE)"});
    q.ParamByName("CODICE").SetInteger(numeroUtente);
    q.ExecQuery();
    if (q.Eof())
        return false;
    if (!q.Fields(0).AsString().isEmpty())
        NomeUtenteCorrente = q.Fields(0).AsString();
    if (!q.Fields(1).AsString().isEmpty())
        PasswordUtenteCorrente = q.Fields(1).AsString();
    if (ModoAccesso == IniSuDataBase)
        NomeProgetto = q.Fields(2).AsString();
    return false;
}

QString TTabXForm::CaricaParametro(const QString& nome) {
    if (ModoAccesso != IniSuDataBase)
        return QString();
    if (!fUserTransaction->InTransaction())
        fUserTransaction->StartTransaction();
    if (!fParametro) { // prepared once: a lookup reads several
        fParametro = std::make_unique<TIBSQL>(fUser.get(), fUserTransaction.get());
        fParametro->SetSQL(QStringList{"SELECT VALORE FROM TABTREBON WHERE", "(UTENTE=:UTENTE)AND",
                                       "(INTESTAZIONE=:INTESTAZIONE)AND",
                                       "(PARAMETRO=:PARAMETRO)"});
    }
    TIBSQL& q = *fParametro;
    q.Close();
    q.ParamByName("UTENTE").SetInteger(UtenteCorrente);
    q.ParamByName("INTESTAZIONE").SetString(NomeProgetto);
    q.ParamByName("PARAMETRO").SetString(nome);
    q.ExecQuery();
    const QString value = q.Eof() ? QString() : q.Fields(0).AsString();
    q.Close();
    return value;
}

void TTabXForm::Inserisci(const QString& tipo, const QString& nome, const QString& numero,
                          const QString& testo, const QString& data, const QString& memo,
                          const QString& livello1, const QString& livello2, const QString& utente) {
    const int user = utente.toInt();
    auto it = std::find_if(fMemTabX.begin(), fMemTabX.end(), [&](const TValore& v) {
        return v.tipo == tipo && v.nome == nome && v.utente == user;
    });
    if (it == fMemTabX.end()) {
        fMemTabX.push_back(TValore{fNextCodice++, tipo.left(10), nome.left(64)});
        it = std::prev(fMemTabX.end());
        it->utente = user;
    }
    it->numero = numero.toLongLong();
    it->testo = testo.left(128);
    it->data = QDate::fromString(data, QStringLiteral("dd/MM/yyyy"));
    it->memo = memo;
    it->livello1 = livello1.toInt();
    it->livello2 = livello2.toInt();
}

QString TTabXForm::GetV(const QString& nome) const {
    for (const TValore& v : fMemTabX)
        if (v.nome == nome)
            return v.testo;
    return QString();
}

void TTabXForm::Connetti(int n, const QString& nomeVariabile) {
    IBDatabase(n).Close();
    // The archive named by the parameter is opened, never created: a wrong path must not leave
    // an empty database behind.
    try {
        AdottaDatabase(n, ConnettiRiusando(GetV(nomeVariabile)));
    } catch (const EZavoError& e) {
        throw EZavoError(QStringLiteral("Errore apertura archivio\r\n") + e.Message());
    }
}

void TTabXForm::AdottaDatabase(int n, std::unique_ptr<TIBDatabase> database) {
    const size_t i = static_cast<size_t>(n - 1);
    const QStringList params = fTransactions.at(i)->Params;
    fTransactions[i].reset(); // before the connection it belongs to
    fDatabases[i] = std::move(database);
    fTransactions[i] = std::make_unique<TIBTransaction>(fDatabases[i].get());
    fTransactions[i]->Params = params;
}

void TTabXForm::ConnettiDatabase1(const QString& nomeVariabile) {
    Connetti(1, nomeVariabile);
}

void TTabXForm::ConnettiDatabase2(const QString& nomeVariabile) {
    Connetti(2, nomeVariabile);
}

bool TTabXForm::ScritturaHandleDiApertura(int idFinestra, qint64 handle) {
    try {
        if (fUserTransaction->InTransaction())
            fUserTransaction->Commit();
        fUserTransaction->StartTransaction();
        TIBSQL q(fUser.get(), fUserTransaction.get());
        q.SetSQL(QStringList{"UPDATE SELBALOGFUNZ SET HANDLEFINESTRA=:HANDLE",
                             "WHERE IDFINESTRA=:IDFINESTRA"});
        q.ParamByName("HANDLE").SetInt64(handle);
        q.ParamByName("IDFINESTRA").SetInteger(idFinestra);
        q.ExecQuery();
        fUserTransaction->CommitRetaining();
        return true;
    } catch (const EZavoError&) {
        return false; // the report never fails visibly
    }
}

TDataModuleDittaF::TDataModuleDittaF(QObject* owner, TTabXForm* context)
    : QObject(owner), fContext(context),
      fTransazione2(std::make_unique<TIBTransaction>(&context->IBDatabase(1))) {
    fTransazione2->Params << QStringLiteral("isc_tpb_concurrency")
                          << QStringLiteral("isc_tpb_nowait");
    fTransazione2->StartTransaction();
}

TDataModuleDittaF::~TDataModuleDittaF() = default;

// The connection context a lookup runs on, apart from the window that asked for it: the user
// database, up to five further connections (the lookup uses the first, the archive, and the
// second, the price-list folder), the current user and company, and a small table of named
// values. Not a window: nothing of it is ever shown.
#pragma once

#include <QDate>
#include <QObject>
#include <QString>

#include <array>
#include <memory>
#include <vector>

class TIBDatabase;
class TIBTransaction;
class TIBSQL;

enum TAccesso { IniSuDataBase, IniSuExeDir, IniSuWindows, Light };

class TTabXForm : public QObject {
    Q_OBJECT
public:
    /// Opens (or creates) the user database in `directoryBin` + "user/" (empty: the host
    /// program's folder) and checks TABSCRIPT, unless the mode is Light. A user database that
    /// cannot be opened is told as "Errore inizializzazione database utenti".
    TTabXForm(QObject* owner, TAccesso modo, const QString& directoryBin = QString());
    ~TTabXForm() override;

    TAccesso ModoAccesso;
    int UtenteCorrente = 0;
    QString NomeUtenteCorrente, PasswordUtenteCorrente;
    /// The current user's company.
    QString NomeProgetto;
    QString Verde, Rosso;

    TIBDatabase& IBDatabaseUser() const { return *fUser; }
    /// Connection 1..5.
    TIBDatabase& IBDatabase(int n) const { return *fDatabases.at(n - 1); }
    /// The default transaction of connection 1..5 (the first: concurrency, nowait).
    TIBTransaction& IBTransaction(int n) const { return *fTransactions.at(n - 1); }
    /// Takes `database` (already open) as connection `n`; its default transaction keeps its
    /// parameters.
    void AdottaDatabase(int n, std::unique_ptr<TIBDatabase> database);

    /// The user, their name and password and, in IniSuDataBase, their company. Always false.
    bool SetUserPerNum(int numeroUtente);
    int GetNumUser() const { return UtenteCorrente; }
    QString GetNomeUser() const { return NomeUtenteCorrente; }
    /// The user's parameter `nome` for the company, empty when there is none.
    QString CaricaParametro(const QString& nome);

    /// A named value: updates the row with the same kind, name and user, or adds one.
    void Inserisci(const QString& tipo, const QString& nome, const QString& numero,
                   const QString& testo, const QString& data, const QString& memo,
                   const QString& livello1, const QString& livello2, const QString& utente);
    /// Text of the first value named `nome`, whatever its kind and user; empty when none.
    QString GetV(const QString& nome) const;

    /// Opens connection 1 (2) on the path held by the named value. The archive is opened, never
    /// created: one that cannot be opened raises "Errore apertura archivio".
    void ConnettiDatabase1(const QString& nomeVariabile);
    void ConnettiDatabase2(const QString& nomeVariabile);

    /// Reports a window's handle in the host's log row; false (and nothing said) on failure.
    bool ScritturaHandleDiApertura(int idFinestra, qint64 handle);

private:
    struct TValore {
        int codice;
        QString tipo, nome;
        qint64 numero = 0;
        QString testo;
        QDate data;
        QString memo;
        int livello1 = 0, livello2 = 0, utente = 0;
    };
    void Connetti(int n, const QString& nomeVariabile);

    std::unique_ptr<TIBDatabase> fUser;
    std::unique_ptr<TIBTransaction> fUserTransaction;
    std::unique_ptr<TIBSQL> fParametro;
    std::array<std::unique_ptr<TIBDatabase>, 5> fDatabases;
    std::array<std::unique_ptr<TIBTransaction>, 5> fTransactions;
    std::vector<TValore> fMemTabX;
    int fNextCodice = 1;
};

/// The lookup's own transaction on the context's archive.
class TDataModuleDittaF : public QObject {
    Q_OBJECT
public:
    TDataModuleDittaF(QObject* owner, TTabXForm* context);
    ~TDataModuleDittaF() override;
    TTabXForm* PTabX() const { return fContext; }
    /// Concurrency, nowait, on the context's first connection.
    TIBTransaction& Transazione2() const { return *fTransazione2; }

private:
    TTabXForm* fContext;
    std::unique_ptr<TIBTransaction> fTransazione2;
};

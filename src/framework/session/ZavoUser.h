// The user logged in to the host: loaded from UTENTI of the suite-wide user database, with the
// user's parameters (TABTREBON) and the host's window log.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class TIBDatabase;
class TIBTransaction;
struct TDBConnectionInfo;

class TZavoUser : public QObject {
    Q_OBJECT
public:
    explicit TZavoUser(QObject* owner = nullptr);
    ~TZavoUser() override;

    int CodiceUtente() const { return fCodiceUtente; }
    QString NomeUtente() const { return fNomeUtente; }
    QString DittaUtente() const { return fDittaUtente; }
    void SetDittaUtente(const QString& ditta) { fDittaUtente = ditta; }
    QString Info2() const { return fInfo2; }
    qint16 ProfiloSicurezza() const { return fProfiloSicurezza; }
    TIBDatabase& DBUser() const { return *fDBUser; }

    /// Opens "user/user.fdb" in the folder of the host program.
    void ConnettiDB();
    void ConnettiDB(const QString& fileName);
    void ConnettiDB(const TDBConnectionInfo& info);

    /// Loads the user; fails with "Utente %d non trovato".
    void SetCodiceUtente(int valore);
    /// Fails with "Password errata" unless `valore` is the user's password (case-sensitive).
    void CheckPassword(const QString& valore) const;
    /// Verifies that this user database knows `utente` under `ditta`.
    void CheckUtenteDitta(int utente, const QString& ditta) const;
    /// Writes the window handle into the host's log row `idFinestra` (no row: nothing happens).
    void ScritturaHandleDiApertura(int idFinestra, quint32 handle) const;

    /// Value of the user's parameter `nome` for the current company, or "".
    QString GetParamTrebon(const QString& nome) const;
    /// Writes a parameter (single quotes stored doubled) and, outside a batch, rebuilds the
    /// text copy in UTENTI.TREBON.
    void SetParamTrebon(const QString& nome, const QString& valore);
    void BeginUpdate() { fUpdating = true; }
    void EndUpdate();
    /// Rebuilds UTENTI.TREBON from the user's parameters.
    void AggiornaTestoTrebon() const;

private:
    int fCodiceUtente = 0;
    QString fNomeUtente;
    QString fDittaUtente;
    QString fPasswordUtente;
    std::unique_ptr<TIBDatabase> fDBUser;
    bool fUpdating = false;
    QString fInfo2;
    qint16 fProfiloSicurezza = 0;
};

/// Rebuilds UTENTI.TREBON of `utente` (the text copy of the user's parameters, by company) from
/// TABTREBON, inside `tr`.
void RicostruisciTestoTrebon(TIBDatabase& database, TIBTransaction& tr, int utente);

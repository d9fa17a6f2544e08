// The environment of one window: the user, the access right, the archive connection and the
// parameter stores. Built once with the window, destroyed with it.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class TIBDatabase;
class TZavoUser;
class TZavoTabX;
class TRicerche;

enum TDirittoAccesso { daFull, daSolaLettura };

/// Read-only when the profile's last two digits (of a five-character text, sign included) or the
/// whole two-digit profile start with 2.
TDirittoAccesso CalcolaDirittoAccesso(qint16 profilo);

/// The user's parameters, read on every access.
class TParametriTrebon : public QObject {
    Q_OBJECT
public:
    TParametriTrebon(TZavoUser* user, QObject* owner);
    QString Archivio() const;
    QString BinDir() const;
    QString TempDir() const;

private:
    TZavoUser* fZavoUser;
};

/// Holder of the TABX store (no operations of its own).
class TParametriTabX : public QObject {
    Q_OBJECT
public:
    TParametriTabX(TZavoTabX* store, QObject* owner) : QObject(owner), fZavoTabX(store) {}
    TZavoTabX* ZavoTabX() const { return fZavoTabX; }

private:
    TZavoTabX* fZavoTabX;
};

class TSession : public QObject {
    Q_OBJECT
public:
    /// Opens the user database, loads the user, fixes the access right, opens the archive named by
    /// the user's "Archivio" parameter and attaches the TABX store. Any failure propagates.
    TSession(QObject* owner, int utente);
    ~TSession() override;

    TZavoUser* ZavoUser() const { return fZavoUser; }
    TParametriTrebon* ParametriTrebon() const { return fParametriTrebon; }
    TIBDatabase& IBDatabase() const { return *fIBDatabase; }
    TDirittoAccesso DirittoAccesso() const { return fDirittoAccesso; }
    TZavoTabX* ZavoTabX() const { return fZavoTabX; }
    TParametriTabX* ParametriTabX() const { return fParametriTabX; }
    /// The ready-made searches, created on first use for this session's user.
    TRicerche* Ricerche();

private:
    TZavoUser* fZavoUser = nullptr;
    TParametriTrebon* fParametriTrebon = nullptr;
    std::unique_ptr<TIBDatabase> fIBDatabase;
    TDirittoAccesso fDirittoAccesso = daFull;
    TZavoTabX* fZavoTabX = nullptr;
    TParametriTabX* fParametriTabX = nullptr;
    TRicerche* fRicerche = nullptr;
};

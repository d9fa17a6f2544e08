// The ready-made searches of a session: a customer and a model sheet. They open the lookup
// dialog, which lives in a layer above this one: that layer installs the implementation.
#pragma once

#include <QObject>
#include <QString>

#include <functional>

class TZavoUser;

class TRicerche : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    TZavoUser* ZavoUser() const { return FZavoUser; }
    void SetZavoUser(TZavoUser* user) { FZavoUser = user; }
    /// Picks a customer, opening on `codice` when given; true and the code when one was picked,
    /// false and `codice` unchanged otherwise.
    virtual bool FindCliente(QString& codice) = 0;
    /// Picks a model sheet that is not suspended, opening on `id` when not 0; a returned key
    /// that is not a number gives 0 (and true).
    virtual bool FindZelmModel(int& id) = 0;

protected:
    TZavoUser* FZavoUser = nullptr;
};

/// Installs what builds a session's searches (the lookup layer calls it once).
void InstallaRicerche(std::function<TRicerche*(QObject* owner)> factory);
/// A new TRicerche owned by `owner`; "Ricerche non disponibili" when none was installed.
TRicerche* CreaRicerche(QObject* owner);

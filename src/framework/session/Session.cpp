#include "Session.h"

#include "Ricerche.h"

#include "ZavoTabX.h"
#include "ZavoUser.h"

#include "framework/db/DBConnection.h"
#include "framework/db/IBDatabase.h"

TDirittoAccesso CalcolaDirittoAccesso(qint16 profilo) {
    QString text = QString::number(profilo);
    if (text.size() == 5)
        text = text.mid(3, 2);
    return text.size() == 2 && text[0] == '2' ? daSolaLettura : daFull;
}

TParametriTrebon::TParametriTrebon(TZavoUser* user, QObject* owner)
    : QObject(owner), fZavoUser(user) {}

QString TParametriTrebon::Archivio() const {
    return fZavoUser->GetParamTrebon(QStringLiteral("Archivio"));
}
QString TParametriTrebon::BinDir() const {
    return fZavoUser->GetParamTrebon(QStringLiteral("Directory bin"));
}
QString TParametriTrebon::TempDir() const {
    return fZavoUser->GetParamTrebon(QStringLiteral("Directory tabelle temporanee"));
}

TSession::TSession(QObject* owner, int utente) : QObject(owner) {
    // Children are created with `this` as parent: a failure below destroys what was built.
    fZavoUser = new TZavoUser(this);
    fZavoUser->ConnettiDB();
    fZavoUser->SetCodiceUtente(utente);
    fDirittoAccesso = CalcolaDirittoAccesso(fZavoUser->ProfiloSicurezza());
    fParametriTrebon = new TParametriTrebon(fZavoUser, this);
    fIBDatabase = std::make_unique<TIBDatabase>();
    ConnettiIBDatabase(*fIBDatabase, fParametriTrebon->Archivio());
    fZavoTabX = new TZavoTabX(this);
    fZavoTabX->SetDatabase(fIBDatabase.get());
    fParametriTabX = new TParametriTabX(fZavoTabX, this);
}

TSession::~TSession() {
    // The stores use the archive connection: they go before it.
    delete fParametriTabX;
    delete fZavoTabX;
}

TRicerche* TSession::Ricerche() {
    if (!fRicerche) {
        fRicerche = CreaRicerche(this);
        fRicerche->SetZavoUser(fZavoUser);
    }
    return fRicerche;
}

#include "ZelmCreaArtForm.h"

#include "framework/session/Session.h"
#include "framework/session/ZavoUser.h"

TFormZelmCreaArt::TFormZelmCreaArt(int utente, int idFinestra) : TFormBase(utente, idFinestra) {
    setObjectName(QStringLiteral("FormZelmCreaArt"));
}

QString TFormZelmCreaArt::GetTitolo() const {
    return QStringLiteral("Creazione articoli - Ditta: %1 - Utente: %2")
        .arg(FSession->ZavoUser()->DittaUtente(), FSession->ZavoUser()->NomeUtente());
}

#include "ZelmModelForm.h"

#include "framework/session/Session.h"
#include "framework/session/ZavoUser.h"

TFormZelmModel::TFormZelmModel(int utente, int idFinestra) : TFormBase(utente, idFinestra) {
    setObjectName(QStringLiteral("FormZelmModel"));
}

QString TFormZelmModel::GetTitolo() const {
    return QStringLiteral("Schede modelli - Ditta: %1 - Utente: %2")
        .arg(FSession->ZavoUser()->DittaUtente(), FSession->ZavoUser()->NomeUtente());
}

#include "ImpXlsHelvoForm.h"

#include "framework/session/Session.h"
#include "framework/session/ZavoUser.h"

TImpXlsHelvoForm::TImpXlsHelvoForm(int utente, int idFinestra) : TFormBase(utente, idFinestra) {
    setObjectName(QStringLiteral("ImpXlsHelvoForm"));
}

QString TImpXlsHelvoForm::GetTitolo() const {
    return QStringLiteral("Acquisizione xls helvo - Ditta: %1 - Utente: %2")
        .arg(FSession->ZavoUser()->DittaUtente(), FSession->ZavoUser()->NomeUtente());
}

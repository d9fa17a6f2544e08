#include "FormBase.h"

#include "PlacementStore.h"

#include "framework/core/Dialogs.h"
#include "framework/core/ZavoError.h"
#include "framework/db/ConnessioniInAttesa.h"
#include "framework/session/Session.h"
#include "framework/session/ZavoUser.h"

#include <QCloseEvent>
#include <QShowEvent>

TFormBase::TFormBase(QWidget* owner, TSession* session) : QWidget(owner, Qt::Window) {
    SetupDesign();
    FSession = session;
    FFreeOnClose = false;
}

namespace {
/// Windows of ours open with a session of their own.
int gFinestreAperte = 0;
} // namespace

TFormBase::TFormBase(int utente, int idFinestra) : QWidget(nullptr) {
    SetupDesign();
    // The session is held by a member: when anything below fails, the constructor does not
    // complete, this window's destructor never runs, but its members are destroyed, and the
    // session closes its connections with them.
    fOwnedSession = std::make_unique<TSession>(nullptr, utente);
    FSession = fOwnedSession.get();
    const quint32 handle = static_cast<quint32>(winId());
    FSession->ZavoUser()->ScritturaHandleDiApertura(idFinestra, handle);
    FFreeOnClose = true;
    setAttribute(Qt::WA_DeleteOnClose, true);
    ++gFinestreAperte;
}

TFormBase::~TFormBase() {
    if (!fOwnedSession)
        return;
    // The connections the lookups left for the next one wait only while a window of ours is
    // open: with the last one closed the databases are free for other programs (an embedded
    // archive is one process's at a time).
    if (--gFinestreAperte == 0)
        ConnessioniInAttesa::Chiudi();
}

void TFormBase::SetupDesign() {
    setWindowTitle(QStringLiteral("FormBase"));
    resize(624, 441);
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(13);
    setFont(f);
}

void TFormBase::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormBase::FormShow() {
    if (!GetTitolo().isEmpty())
        setWindowTitle(GetTitolo());
    if (GetCodiceSituazione() > 0 && FSession) {
        try {
            LeggiPosizioneForm(this, FSession->ZavoUser()->CodiceUtente(), GetCodiceSituazione(),
                               FSession->IBDatabase(), kCodiceProgetto);
        } catch (const EZavoError& e) {
            // A missing placement must not keep the window from opening.
            Dialogs().Warning(QStringLiteral("Posizione della finestra non letta:\r\n") +
                              e.Message());
        }
    }
}

bool TFormBase::FormClose() {
    if (GetCodiceSituazione() > 0 && FSession) {
        try {
            ScriviPosizioneForm(this, FSession->ZavoUser()->CodiceUtente(), GetCodiceSituazione(),
                                FSession->IBDatabase(), kCodiceProgetto);
        } catch (const EZavoError& e) {
            Dialogs().Error(QStringLiteral("Operazione fallita\r\n") + e.Message());
            return false;
        }
    }
    return true;
}

void TFormBase::closeEvent(QCloseEvent* event) {
    if (FormClose())
        event->accept();
    else
        event->ignore();
}

// Entry points and load/unload handling of the plug-in library.
#include "ZelmPlugin.h"

#include "framework/core/Log.h"
#include "framework/core/SlotGuard.h"
#include "framework/core/ZavoError.h"
#include "framework/db/ConnessioniInAttesa.h"
#include "framework/lookup/RicercheZavo.h"
#include "framework/ui/DataModuleQuenvar.h"
#include "framework/ui/QtDialogs.h"
#include "view/impxls/ImpXlsHelvoForm.h"
#include "view/zelmcreaart/ZelmCreaArtForm.h"
#include "view/zelmmodel/ZelmModelForm.h"

#include <QCoreApplication>
#include <memory>

#include <string>

namespace {
thread_local std::string tUltimoErrore;
TQtDialogs gDialogs;

template <typename TForm> int32_t Show(int32_t utente, int32_t idFinestra) {
    tUltimoErrore.clear();
    zelm::log::Installa(
        QStringLiteral("plug-in nel programma %1").arg(QCoreApplication::applicationFilePath()));
    // Nothing may cross the C boundary as an exception: a failure becomes the last error.
    try {
        InstallDialogs(&gDialogs);
        // Showing opens the window's lists: when that fails the window goes, and its session
        // with it.
        std::unique_ptr<TForm> form(new TForm(utente, idFinestra));
        form->show();
        form.release(); // the window frees itself when it is closed
    } catch (...) {
        const QString message = CurrentErrorMessage();
        tUltimoErrore =
            message.isEmpty() ? std::string("Errore sconosciuto") : message.toStdString();
        qCWarning(zelmUi).noquote() << "finestra non aperta (utente" << utente << "):" << message
                                    << "| dettaglio:" << CurrentErrorDetail();
    }
    return 0;
}

__attribute__((constructor)) void LibraryLoaded() {
    CreateDataModuleQuenvar();
    InstallaRicercheZavo(); // every session's ready-made searches open the lookup dialog
}
__attribute__((destructor)) void LibraryUnloaded() {
    ConnessioniInAttesa::Chiudi(); // the lookups' parked connections, with their timer
    DestroyDataModuleQuenvar();
    InstallDialogs(nullptr);
}
} // namespace

int32_t ShowZelmModelFormX(int32_t AUtente, int32_t AIDFinestra) {
    return Show<TFormZelmModel>(AUtente, AIDFinestra);
}
int32_t ShowImpXlsHelvoFormX(int32_t AUtente, int32_t AIDFinestra) {
    return Show<TImpXlsHelvoForm>(AUtente, AIDFinestra);
}
int32_t ShowZelmCreaArtFormX(int32_t AUtente, int32_t AIDFinestra) {
    return Show<TFormZelmCreaArt>(AUtente, AIDFinestra);
}
const char* ZelmUltimoErrore(void) {
    return tUltimoErrore.c_str();
}

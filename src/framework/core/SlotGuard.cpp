#include "SlotGuard.h"

#include "Dialogs.h"
#include "ZavoError.h"

#include <exception>

QString CurrentErrorMessage() {
    try {
        throw;
    } catch (const EZavoError& e) {
        return e.TestoUtente();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Errore imprevisto");
    }
}

bool RunGuarded(const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (...) {
        const QString message = CurrentErrorMessage();
        try {
            Dialogs().Error(message);
        } catch (...) {
            // Showing the message failed too: nothing more can be done from a slot.
        }
        return false;
    }
}

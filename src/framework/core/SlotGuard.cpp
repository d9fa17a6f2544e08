#include "SlotGuard.h"

#include "Dialogs.h"
#include "Log.h"
#include "ZavoError.h"

#include <exception>
#include <typeinfo>

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

QString CurrentErrorDetail() {
    try {
        throw;
    } catch (const EZavoError& e) {
        return e.Dettaglio();
    } catch (const std::exception& e) {
        return QStringLiteral("%1: %2").arg(QString::fromLatin1(typeid(e).name()),
                                            QString::fromUtf8(e.what()));
    } catch (...) {
        return QStringLiteral("eccezione sconosciuta");
    }
}

QString LogCurrentError() {
    const QString message = CurrentErrorMessage();
    const QString detail = CurrentErrorDetail();
    qCWarning(zelmUi).noquote() << "errore:" << message
                                << (detail.isEmpty() ? QString() : "| dettaglio: " + detail);
    return message;
}

void ShowCurrentError(bool asError, const QString& prefix) {
    const QString message = prefix + CurrentErrorMessage();
    const QString detail = CurrentErrorDetail();
    qCWarning(zelmUi).noquote() << (asError ? "errore mostrato:" : "avviso mostrato:") << message
                                << (detail.isEmpty() ? QString() : "| dettaglio: " + detail);
    if (asError)
        Dialogs().ErrorDetail(message, detail);
    else
        Dialogs().Warning(message);
}

bool RunGuarded(const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (...) {
        try {
            ShowCurrentError(true);
        } catch (...) {
            // Showing the message failed too: nothing more can be done from a slot.
        }
        return false;
    }
}

#include "Ricerche.h"

#include "framework/core/ZavoError.h"

namespace {
std::function<TRicerche*(QObject*)>& Factory() {
    static std::function<TRicerche*(QObject*)> factory;
    return factory;
}
} // namespace

void InstallaRicerche(std::function<TRicerche*(QObject* owner)> factory) {
    Factory() = std::move(factory);
}

TRicerche* CreaRicerche(QObject* owner) {
    if (!Factory())
        throw EZavoError(QStringLiteral("Ricerche non disponibili"));
    return Factory()(owner);
}

#include "DatabaseError.h"

#include <QStringList>

#include <algorithm>
#include <cerrno>

EDatabaseError::EDatabaseError(const QString& message, std::vector<long> codes, int osError)
    : EZavoError(message), fCodes(std::move(codes)), fOsError(osError) {}

std::vector<long> EDatabaseError::SecondaryCodes() const {
    return fCodes.size() > 1 ? std::vector<long>(fCodes.begin() + 1, fCodes.end())
                             : std::vector<long>();
}

bool EDatabaseError::HasCode(long code) const {
    return std::find(fCodes.begin(), fCodes.end(), code) != fCodes.end();
}

bool EDatabaseError::IsLockConflict() const {
    return HasCode(FbCode::Deadlock) || HasCode(FbCode::UpdateConflict) ||
           HasCode(FbCode::ConcurrentTransaction) || HasCode(FbCode::LockConflict) ||
           HasCode(FbCode::LockTimeout);
}

bool EDatabaseError::IsMissingDatabase() const {
    return HasCode(FbCode::IoError) && HasCode(FbCode::IoOpenErr) && fOsError == ENOENT;
}

bool EDatabaseError::IsNetworkError() const {
    return HasCode(FbCode::NetworkError) || HasCode(FbCode::NetConnectErr) ||
           HasCode(FbCode::NetReadErr) || HasCode(FbCode::NetWriteErr) ||
           HasCode(FbCode::ConnectionShutdown);
}

bool EDatabaseError::IsConnectionLost() const {
    return IsNetworkError() || HasCode(FbCode::AttachmentShutdown);
}

bool EDatabaseError::IsLoginFailure() const {
    return HasCode(FbCode::Login);
}

bool EDatabaseError::IsTooLong() const {
    return HasCode(FbCode::StringTruncation) || HasCode(FbCode::ArithExcept);
}

QString EDatabaseError::TestoUtente() const {
    if (IsConnectionLost())
        return QStringLiteral("Connessione all'archivio interrotta: il server non risponde o è "
                              "stato riavviato. Riprovare: il programma si ricollega da sé.");
    // The engine's own text is English and names internals: the user reads the kind in Italian,
    // the text goes to the log and the message's details. A database exception raised by the
    // host suite's triggers carries that suite's own message and keeps it; this layer's own
    // refusals have no engine code and are Italian already.
    if (!fCodes.empty() && !HasCode(FbCode::Except))
        return Descrizione();
    return Message();
}

QString EDatabaseError::Dettaglio() const {
    QStringList codes;
    for (long c : fCodes)
        codes << QString::number(c);
    QString detail =
        QStringLiteral("Firebird %1: %2")
            .arg(codes.isEmpty() ? QStringLiteral("-") : codes.join(QLatin1Char(' ')), Message());
    if (fOsError)
        detail += QStringLiteral(" (errno %1)").arg(fOsError);
    return detail;
}

QString EDatabaseError::Descrizione() const {
    if (IsLockConflict())
        return QStringLiteral("Record occupato da un altro utente");
    if (IsConnectionLost())
        return QStringLiteral("Connessione all'archivio interrotta");
    if (IsTooLong())
        return QStringLiteral("Un valore è più lungo di quanto il campo dell'archivio possa "
                              "contenere");
    if (HasCode(FbCode::NoDuplicates) || HasCode(FbCode::UniqueKeyViolation))
        return QStringLiteral("Valore già presente nell'archivio");
    if (IsMissingDatabase())
        return QStringLiteral("Archivio non trovato");
    if (IsLoginFailure())
        return QStringLiteral("Utente o password dell'archivio non accettati");
    // A site's accounts act through roles: a read-only workstation, or an operator touching the
    // users' tables, is refused by the server itself.
    if (HasCode(FbCode::NoPermission))
        return QStringLiteral("Operazione non permessa all'utente dell'archivio di questa "
                              "postazione: rivolgersi all'amministratore del sito");
    return QStringLiteral("Errore dell'archivio (codice %1)").arg(PrimaryCode());
}

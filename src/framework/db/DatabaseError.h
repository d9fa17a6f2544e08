// The one error type of the database layer: the client's message text plus the codes of its
// status vector, with the questions the rest of the product asks of a failure.
#pragma once

#include "framework/core/ZavoError.h"

#include <vector>

class EDatabaseError : public EZavoError {
public:
    EDatabaseError(const QString& message, std::vector<long> codes, int osError = 0);

    /// First isc_arg_gds code of the status vector (0 when the error came from this layer).
    long PrimaryCode() const { return fCodes.empty() ? 0 : fCodes.front(); }
    /// The further isc_arg_gds codes, in order.
    std::vector<long> SecondaryCodes() const;
    const std::vector<long>& Codes() const { return fCodes; }
    bool HasCode(long code) const;
    /// Operating-system error number carried by the status vector (errno), 0 if none.
    int OsError() const { return fOsError; }

    /// A row or object held by another transaction (update conflict, deadlock, lock timeout).
    bool IsLockConflict() const;
    /// The database file does not exist (open failed with "no such file").
    bool IsMissingDatabase() const;
    /// No server answered at the address, or the connection broke.
    bool IsNetworkError() const;
    /// User name or password refused.
    bool IsLoginFailure() const;
    /// A text or number longer than its column (string truncation, numeric overflow).
    bool IsTooLong() const;
    /// The failure in Italian, by kind, for messages and logs that a user reads: the engine's
    /// own text is English and names internals.
    QString Descrizione() const;
    /// A broken connection is told in Italian (the engine's text names sockets and ports), any
    /// other engine failure by its kind (Descrizione); a database exception and this layer's own
    /// refusals keep their text.
    QString TestoUtente() const override;
    /// The engine's codes, its text and the system's error number.
    QString Dettaglio() const override;
    /// The connection itself is gone: no server, a server that stopped or restarted.
    bool IsConnectionLost() const;

private:
    std::vector<long> fCodes;
    int fOsError;
};

/// Error codes the product tells apart (values of the client's iberror.h).
namespace FbCode {
constexpr long ArithExcept = 335544321;
constexpr long Except = 335544517; // an exception raised by a trigger or procedure
constexpr long Deadlock = 335544336;
constexpr long IoError = 335544344;
constexpr long NoDuplicates = 335544349;
constexpr long LockConflict = 335544345;
constexpr long UpdateConflict = 335544451;
constexpr long Login = 335544472;
constexpr long NoPermission = 335544352;
constexpr long LockTimeout = 335544510;
constexpr long UniqueKeyViolation = 335544665;
constexpr long NetworkError = 335544721;
constexpr long NetConnectErr = 335544722;
constexpr long NetReadErr = 335544726;
constexpr long NetWriteErr = 335544727;
constexpr long IoOpenErr = 335544734;
constexpr long ConcurrentTransaction = 335544878;
constexpr long StringTruncation = 335544914;
constexpr long ConnectionShutdown = 335544856;
constexpr long AttachmentShutdown = 335545069;
} // namespace FbCode

// Internal to the database layer: the client library's master interfaces and the conversion of
// a failed status into EDatabaseError. Nothing outside framework/db includes this file.
#pragma once

#include "DatabaseError.h"

#include <firebird/Interface.h>

namespace FbClient {
Firebird::IMaster* Master();
Firebird::IUtil* Util();
/// The dispatcher: routes a local path to the embedded engine and "host:path" to a server.
Firebird::IProvider* Provider();

/// A status wrapper; `Check` throws EDatabaseError when the last call failed.
class Status {
public:
    Status();
    ~Status();
    Status(const Status&) = delete;
    Status& operator=(const Status&) = delete;
    Firebird::CheckStatusWrapper* operator&() { return &fWrapper; }
    void Check();
    bool Failed() const;
    [[noreturn]] void Raise();

private:
    Firebird::IStatus* fStatus;
    Firebird::CheckStatusWrapper fWrapper;
};

/// Builds an EDatabaseError from a status vector.
EDatabaseError ErrorFromStatus(Firebird::IStatus* status);
/// How many failures of the process so far said that a connection was lost (any connection):
/// a connection that saw the count change since its last check asks the server again.
unsigned ConnessioniPerse();
} // namespace FbClient

// One user's window in the service tests: a session of that user and a service on it.
#pragma once

#include "framework/session/Session.h"

#include <memory>

template <typename S> struct TFinestraDi {
    std::unique_ptr<TSession> session;
    std::unique_ptr<S> service;
    explicit TFinestraDi(int code)
        : session(std::make_unique<TSession>(nullptr, code)), service(std::make_unique<S>()) {
        service->SetSession(session.get());
    }
    // The service's statements and transaction go before the session's connection.
    ~TFinestraDi() { service.reset(); }
    S* operator->() { return service.get(); }
};

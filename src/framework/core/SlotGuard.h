// The guard every slot of the framework and of the windows runs through: Qt's event loop does
// not carry exceptions, and an error reaching it ends the host process. A failure is shown
// through the dialog interface instead and the window stays usable.
#pragma once

#include <QString>

#include <functional>
#include <type_traits>
#include <utility>

/// Runs `work`; any error it raises is shown as an error message. Returns false when it failed.
bool RunGuarded(const std::function<void()>& work);

/// The message of an exception in flight (call from inside a catch block).
QString CurrentErrorMessage();
/// Its technical detail (empty when it has none): see EZavoError::Dettaglio.
QString CurrentErrorDetail();
/// Shows the exception in flight (call from inside a catch block) after `prefix`, as an error
/// carrying its detail or as a warning, and logs both: the one way a failure reaches the user.
void ShowCurrentError(bool asError, const QString& prefix = QString());
/// For the command-line programs: logs the exception being handled with its detail and returns
/// the Italian message to print (the engine's own text stays in the log). Call inside a catch.
QString LogCurrentError();

/// Wraps a slot so that it never throws: `connect(sender, &S::signal, ctx, Guarded([..] {..}))`.
/// The signal's arguments are passed on when the slot takes them.
template <typename F> auto Guarded(F slot) {
    return [slot = std::move(slot)](auto&&... args) mutable {
        RunGuarded([&] {
            if constexpr (std::is_invocable_v<F&, decltype(args)...>)
                slot(std::forward<decltype(args)>(args)...);
            else
                slot();
        });
    };
}

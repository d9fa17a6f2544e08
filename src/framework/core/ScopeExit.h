// Runs a piece of work when the scope ends, however it ends: state that a failure must not leave
// behind is put back on every exit path.
#pragma once

#include <utility>

template <typename F> class TScopeExit {
public:
    explicit TScopeExit(F work) : fWork(std::move(work)) {}
    ~TScopeExit() {
        if (!fArmed)
            return;
        try {
            fWork();
        } catch (...) {
            // Already unwinding or leaving: a second failure must not end the process.
        }
    }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;
    /// The normal path did the work itself.
    void Dismiss() { fArmed = false; }

private:
    F fWork;
    bool fArmed = true;
};

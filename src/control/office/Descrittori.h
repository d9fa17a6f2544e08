// Closing what a child process would otherwise inherit, between fork and exec; the named
// sockets a child leaves behind.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zelm::office {

/// The highest descriptor number plus one that the process may hold; read before fork, since
/// sysconf is not safe to call in the child of a threaded process.
long DescriptorLimit() noexcept;

/// Closes every descriptor from `first` on. Async-signal-safe: meant for the child between fork
/// and exec. Uses close_range through syscall (so the library needs no recent C library symbol)
/// and, where the kernel or a container profile refuses it, closes one by one below `limit`.
/// `tryCloseRange` false takes the fallback at once (for its test).
void CloseDescriptorsFrom(int first, long limit, bool tryCloseRange = true) noexcept;

/// The paths of the named local sockets the process `pid` holds open (read from /proc): the pipes
/// an office listens on. Empty when the process is gone or /proc is not readable.
std::vector<std::string> SocketPaths(pid_t pid);

/// Removes those of `paths` that are still sockets (never a file that took the name since).
void RemoveSockets(const std::vector<std::string>& paths) noexcept;

} // namespace zelm::office

// Closing what a child process would otherwise inherit, between fork and exec.
#pragma once

namespace zelm::office {

/// The highest descriptor number plus one that the process may hold; read before fork, since
/// sysconf is not safe to call in the child of a threaded process.
long DescriptorLimit() noexcept;

/// Closes every descriptor from `first` on. Async-signal-safe: meant for the child between fork
/// and exec. Uses close_range through syscall (so the library needs no recent C library symbol)
/// and, where the kernel or a container profile refuses it, closes one by one below `limit`.
/// `tryCloseRange` false takes the fallback at once (for its test).
void CloseDescriptorsFrom(int first, long limit, bool tryCloseRange = true) noexcept;

} // namespace zelm::office

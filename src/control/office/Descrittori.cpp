// Closing inherited descriptors in a child process.
#include "Descrittori.h"

#include <sys/syscall.h>
#include <unistd.h>

#ifndef SYS_close_range
#define SYS_close_range 436 // the same number on every Linux architecture
#endif

namespace zelm::office {

long DescriptorLimit() noexcept {
    const long open = sysconf(_SC_OPEN_MAX);
    return open > 0 ? open : 1024;
}

void CloseDescriptorsFrom(int first, long limit, bool tryCloseRange) noexcept {
    if (tryCloseRange && syscall(SYS_close_range, static_cast<unsigned>(first), ~0U, 0U) == 0)
        return;
    for (long fd = first; fd < limit; ++fd)
        close(static_cast<int>(fd));
}

} // namespace zelm::office

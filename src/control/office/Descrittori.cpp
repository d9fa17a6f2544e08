// Closing inherited descriptors in a child process.
#include "Descrittori.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>

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

std::vector<std::string> SocketPaths(pid_t pid) {
    // The socket inodes among the process's descriptors ("socket:[12345]")...
    std::set<unsigned long> inodes;
    const std::string fdDir = "/proc/" + std::to_string(pid) + "/fd";
    if (DIR* dir = opendir(fdDir.c_str())) {
        while (const dirent* entry = readdir(dir)) {
            char target[64];
            const std::string link = fdDir + '/' + entry->d_name;
            const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
            if (n <= 0)
                continue;
            target[n] = '\0';
            unsigned long inode = 0;
            if (std::sscanf(target, "socket:[%lu]", &inode) == 1)
                inodes.insert(inode);
        }
        closedir(dir);
    }
    // ...and the paths the table of local sockets gives them:
    // "Num RefCount Protocol Flags Type St Inode Path".
    std::vector<std::string> paths;
    if (inodes.empty())
        return paths;
    std::ifstream table("/proc/net/unix");
    std::string line;
    std::getline(table, line); // the heading
    while (std::getline(table, line)) {
        std::istringstream fields(line);
        std::string num, refs, protocol, flags, type, state, path;
        unsigned long inode = 0;
        if (!(fields >> num >> refs >> protocol >> flags >> type >> state >> inode))
            continue;
        std::getline(fields >> std::ws, path); // the rest of the line: a path may hold spaces
        // A listening socket's accepted connections carry its path too: each path once.
        if (path.starts_with('/') && inodes.count(inode) &&
            std::find(paths.begin(), paths.end(), path) == paths.end())
            paths.push_back(path);
    }
    return paths;
}

void RemoveSockets(const std::vector<std::string>& paths) noexcept {
    for (const std::string& path : paths) {
        struct stat st {};
        if (lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
            unlink(path.c_str());
    }
}

} // namespace zelm::office

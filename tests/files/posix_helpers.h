// tests/files/posix_helpers.h: what the POSIX file tests need beyond tests/support. We run
// as root, where permissions do not bite, so tests that need an unreadable file run their
// body in a child that has given root up.
#pragma once

#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dirent.h>

#include <cerrno>
#include <string>
#include <vector>

namespace tessel::test {

// Runs `body` in a forked child as uid and gid 65534. Returns the child's exit code, or -1
// when it died or could not give root up. The body must not use gtest assertions.
template <typename Body>
int RunAsNobody(Body body) {
    const pid_t child = ::fork();
    if (child < 0) return -1;
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(200);
        ::_exit(body());
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Removes `name` under `parent` with everything in it, by descriptors, so a tree deeper
// than the path limit goes too.
inline void RemoveTreeAt(int parent, const char* name) {
    const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        if (DIR* dir = ::fdopendir(fd)) {
            std::vector<std::string> names;
            while (const dirent* e = ::readdir(dir)) {
                const std::string n = e->d_name;
                if (n != "." && n != "..") names.push_back(n);
            }
            for (const auto& n : names) {
                if (::unlinkat(::dirfd(dir), n.c_str(), 0) != 0)
                    RemoveTreeAt(::dirfd(dir), n.c_str());
            }
            ::closedir(dir);
        } else {
            ::close(fd);
        }
    }
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

}  // namespace tessel::test

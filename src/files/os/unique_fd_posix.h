// files/os/unique_fd_posix.h: the owner of a POSIX file descriptor, closed exactly once.
#pragma once

#include <unistd.h>

#include <utility>

namespace tessel::os {

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd() { Close(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd& operator=(UniqueFd&&) = delete;

    int Get() const { return fd_; }
    // Hands the descriptor over to a new owner (fdopendir).
    int Release() { return std::exchange(fd_, -1); }
    explicit operator bool() const { return fd_ >= 0; }
    // Closes now and reports what close() said: on some file systems a failed write shows
    // up only there.
    bool Close() {
        const int fd = std::exchange(fd_, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int fd_;
};

}  // namespace tessel::os

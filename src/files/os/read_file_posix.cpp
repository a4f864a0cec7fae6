// files/os/read_file_posix.cpp: reading a file by offset with open/pread.
// Only regular files are opened: a folder, a device or a FIFO is not something to read a
// header from, and opening a FIFO for reading would wait for a writer for ever.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <utility>

#include "files/os/file_system.h"

namespace tessel::os {
namespace {

class UniqueFd {
public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    ~UniqueFd() {
        if (fd_ >= 0) ::close(fd_);
    }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd& operator=(UniqueFd&&) = delete;

    int Get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_;
};

class PosixReadFile final : public ReadFile {
public:
    PosixReadFile(UniqueFd fd, std::uint64_t size) : fd_(std::move(fd)), size_(size) {}

    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) override {
        std::size_t done = 0;
        while (done < buffer.size()) {
            const std::uint64_t at = offset + done;
            if (at > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) break;
            const ssize_t n = ::pread(fd_.Get(), buffer.data() + done, buffer.size() - done,
                                      static_cast<off_t>(at));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        return done;
    }

    std::uint64_t Size() const override { return size_; }

private:
    UniqueFd fd_;
    std::uint64_t size_;
};

}  // namespace

std::unique_ptr<ReadFile> OpenForReading(const std::string& path) {
    // O_NONBLOCK only so that a FIFO does not block the open; it has no effect on the
    // reads of a regular file, the only kind kept.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd) return nullptr;
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
    return std::make_unique<PosixReadFile>(std::move(fd), static_cast<std::uint64_t>(info.st_size));
}

}  // namespace tessel::os

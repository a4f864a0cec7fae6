// files/os/file_reader_posix.cpp: reading a file by offset with open/pread.
// A folder, a device or a FIFO is not something to read a header from. O_NONBLOCK keeps a
// FIFO from blocking the open and its reads; a folder fails its first read (EISDIR). The
// scan never hands over anything but regular files, so the one open + pread + close per
// file is all a measurement costs: no fstat, its size is asked for only when wanted.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <utility>

#include "files/os/file_system.h"
#include "files/os/unique_fd_posix.h"

namespace tessel::os {
namespace {

class PosixFileReader final : public FileReader {
public:
    explicit PosixFileReader(UniqueFd fd) : fd_(std::move(fd)) {}

    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) override {
        std::size_t done = 0;
        while (done < buffer.size()) {
            const std::uint64_t at = offset + done;
            if (at > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) break;
            const ssize_t n = ::pread(fd_.Get(), buffer.data() + done, buffer.size() - done,
                                      static_cast<off_t>(at));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            const bool shortRead = static_cast<std::size_t>(n) < buffer.size() - done;
            done += static_cast<std::size_t>(n);
            // A regular file reads short only at its end: asking again would cost a system
            // call per small file just to hear "0".
            if (shortRead) break;
        }
        return done;
    }

    std::uint64_t Size() const override {
        struct stat info {};
        return ::fstat(fd_.Get(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
    }

private:
    UniqueFd fd_;
};

}  // namespace

std::unique_ptr<FileReader> OpenForReading(const std::string& path) {
    // O_NONBLOCK has no effect on the reads of a regular file.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd) return nullptr;
    return std::make_unique<PosixFileReader>(std::move(fd));
}

}  // namespace tessel::os

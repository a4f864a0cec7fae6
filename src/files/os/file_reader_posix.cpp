// files/os/file_reader_posix.cpp: reading a file by offset with open/pread.
// A folder, a device or a FIFO is not something to read a header from. O_NONBLOCK keeps a
// FIFO from blocking the open and its reads; a folder fails its first read (EISDIR). The
// scan never hands over anything but regular files, so the one open + pread + close per
// file is all a measurement costs: no fstat, its size is asked for only when wanted.
#include "files/os/file_reader_posix.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <utility>

namespace tessel::os {

PosixFileReader::PosixFileReader(UniqueFd fd, std::optional<std::uint64_t> size)
    : fd_(std::move(fd)), size_(size) {}

std::size_t PosixFileReader::ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) {
    std::size_t done = 0;
    while (done < buffer.size()) {
        const std::uint64_t at = offset + done;
        if (at > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max())) break;
        const ssize_t n =
            ::pread(fd_.Get(), buffer.data() + done, buffer.size() - done, static_cast<off_t>(at));
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

std::uint64_t PosixFileReader::Size() const {
    if (size_) return *size_;
    struct stat info {};
    return ::fstat(fd_.Get(), &info) == 0 ? static_cast<std::uint64_t>(info.st_size) : 0;
}

std::unique_ptr<FileReader> OpenForReading(const std::string& path) {
    // O_NONBLOCK has no effect on the reads of a regular file.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd) return nullptr;
    return std::make_unique<PosixFileReader>(std::move(fd));
}

std::unique_ptr<FileReader> OpenForComparing(const std::string& path) {
    // POSIX has no sharing modes: another reader never stands in the way.
    return OpenForReading(path);
}

}  // namespace tessel::os

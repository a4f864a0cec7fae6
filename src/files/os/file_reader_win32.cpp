// files/os/file_reader_win32.cpp: reading a file by offset through CreateFileW/ReadFile.
// The file is opened without sharing: while a header is read nobody may write it, and a
// file that another program holds open cannot be opened at all (it then measures 1).
#include "files/os/file_reader_win32.h"

#include <utility>

#include "files/os/wide_path_win32.h"

namespace tessel::os {

Win32FileReader::Win32FileReader(UniqueFile handle, std::optional<std::uint64_t> size)
    : handle_(std::move(handle)), size_(size) {}

std::size_t Win32FileReader::ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) {
    std::size_t done = 0;
    while (done < buffer.size()) {
        // On a handle opened for synchronous access the OVERLAPPED offset positions the
        // read and the call still waits for it; the file position is not used.
        const std::uint64_t at = offset + done;
        OVERLAPPED where{};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        const std::size_t left = buffer.size() - done;
        const DWORD want = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
        DWORD got = 0;
        if (!::ReadFile(handle_.Get(), buffer.data() + done, want, &got, &where) || got == 0) {
            break;
        }
        done += got;
        // A file reads short only at its end: asking again would only hear "0".
        if (got < want) break;
    }
    return done;
}

std::uint64_t Win32FileReader::Size() const {
    if (size_) return *size_;
    LARGE_INTEGER size{};
    return ::GetFileSizeEx(handle_.Get(), &size) ? static_cast<std::uint64_t>(size.QuadPart) : 0;
}

UniqueFile OpenUnshared(const std::string& path) {
    return UniqueFile(::CreateFileW(WidePath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::unique_ptr<FileReader> OpenForReading(const std::string& path) {
    UniqueFile handle = OpenUnshared(path);
    if (!handle) return nullptr;
    return std::make_unique<Win32FileReader>(std::move(handle));
}

std::unique_ptr<FileReader> OpenForComparing(const std::string& path) {
    // Others may read it meanwhile, not write it: the bytes compared are the file's.
    UniqueFile handle(::CreateFileW(WidePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!handle) return nullptr;
    return std::make_unique<Win32FileReader>(std::move(handle));
}

}  // namespace tessel::os

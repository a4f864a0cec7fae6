// files/os/file_reader_win32.h: the Windows FileReader, for the folder listing, which hands
// over files whose size the find data told already. Only the Windows seam includes this.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>

#include "files/os/file_system.h"
#include "files/os/unique_handle_win32.h"

namespace tessel::os {

class Win32FileReader final : public FileReader {
public:
    // `size` when the caller knows it already; otherwise it is asked for only when wanted.
    explicit Win32FileReader(UniqueFile handle, std::optional<std::uint64_t> size = std::nullopt);

    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) override;
    std::uint64_t Size() const override;

private:
    UniqueFile handle_;
    std::optional<std::uint64_t> size_;
};

// Opens an existing file for reading without sharing: while a header is read nobody may
// write it, and a file that another program holds open cannot be opened at all.
UniqueFile OpenUnshared(const std::string& path);

}  // namespace tessel::os

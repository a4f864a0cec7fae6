// files/os/file_reader_posix.h: the POSIX FileReader, for the folder listing, which opens
// the files it hands over relative to the open folder. Only the POSIX seam includes this.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "files/os/file_system.h"
#include "files/os/unique_fd_posix.h"

namespace tessel::os {

class PosixFileReader final : public FileReader {
public:
    // `size` when the caller knows it already (from fstat); otherwise it is asked for only
    // when wanted.
    explicit PosixFileReader(UniqueFd fd, std::optional<std::uint64_t> size = std::nullopt);

    std::size_t ReadAt(std::uint64_t offset, std::span<std::uint8_t> buffer) override;
    std::uint64_t Size() const override;

private:
    UniqueFd fd_;
    std::optional<std::uint64_t> size_;
};

}  // namespace tessel::os

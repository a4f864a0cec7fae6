// libFuzzer target: the TIFF reader (classic and BigTIFF, both byte orders, SubIFDs) over arbitrary
// bytes.
#include "files/tiff_size.h"
#include "reader_fuzzer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The reads: the first directory and up to 16 sub-directories of at most 4096 entries each.
    return tessel::fuzz::CheckReader(data, size, tessel::ReadTiffSize, tessel::ImageFormat::Tiff,
                                     17 * 4097 + 8);
}

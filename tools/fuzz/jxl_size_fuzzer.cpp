// libFuzzer target: the JPEG XL reader (codestream and container boxes) over arbitrary bytes.
#include "files/jxl_size.h"
#include "reader_fuzzer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The reads: up to 4096 boxes of one header read and one codestream read each.
    return tessel::fuzz::CheckReader(data, size, tessel::ReadJxlSize, tessel::ImageFormat::JpegXl,
                                     4096 * 2 + 4);
}

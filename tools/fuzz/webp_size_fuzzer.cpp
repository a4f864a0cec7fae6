// libFuzzer target: the WebP reader (RIFF header, VP8, VP8L, VP8X) over arbitrary bytes.
#include "files/webp_size.h"
#include "reader_fuzzer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The reads: one read of the head, one of the first chunk.
    return tessel::fuzz::CheckReader(data, size, tessel::ReadWebpSize, tessel::ImageFormat::WebP,
                                     8);
}

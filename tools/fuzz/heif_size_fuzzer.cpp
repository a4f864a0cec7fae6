// libFuzzer target: the HEIF/AVIF reader (ftyp, meta, pitm, iprp, ipco, ipma) over arbitrary bytes.
#include "files/heif_size.h"
#include "reader_fuzzer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The reads: the association entries are capped at 2^16, two reads each, plus the primary.s
    // indices and the box walks.
    return tessel::fuzz::CheckReader(data, size, tessel::ReadHeifSize, tessel::ImageFormat::Heif,
                                     (1 << 17) + 40000);
}

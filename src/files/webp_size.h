// files/webp_size.h: the size of a WebP picture from its RIFF header and first chunk.
#pragma once

#include <optional>

#include "files/image_header.h"

namespace tessel {

// "RIFF" size "WEBP", then the first chunk: VP8 (a lossy key frame's header), VP8L (the
// lossless bitstream's header) or VP8X (the canvas of an extended file: animation, alpha,
// metadata). nullopt for anything else, and for a canvas no decoder would allocate.
std::optional<ImageSize> ReadWebpSize(ByteSource& source);

}  // namespace tessel

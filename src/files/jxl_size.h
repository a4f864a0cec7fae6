// files/jxl_size.h: the size of a JPEG XL picture, bare codestream or in its container.
#pragma once

#include <optional>

#include "files/image_header.h"

namespace tessel {

// The codestream's SizeHeader, found after FF 0A at the start of the file or, in the
// container, at the start of the `jxlc` box or of the `jxlp` boxes' concatenation. Width and
// height come as a viewer shows them: orientations 5 to 8 turn the picture by a quarter, so
// their sides swap.
std::optional<ImageSize> ReadJxlSize(ByteSource& source);

}  // namespace tessel

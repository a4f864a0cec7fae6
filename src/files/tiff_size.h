// files/tiff_size.h: the size of a TIFF picture, classic or BigTIFF, in either byte order,
// and of the camera raw files built on TIFF (DNG, NEF, ARW, ...).
#pragma once

#include <optional>

#include "files/image_header.h"

namespace tessel {

// Width (tag 256) and height (tag 257) of the first image directory. When that directory
// names sub-directories (tag 330), the first of them whose NewSubfileType (tag 254) is 0,
// a full-resolution image, gives the size instead: a raw file's first directory is mostly a
// small preview, and its picture lies there.
std::optional<ImageSize> ReadTiffSize(ByteSource& source);

}  // namespace tessel

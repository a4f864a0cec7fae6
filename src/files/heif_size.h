// files/heif_size.h: the size of a HEIF picture (HEIC, AVIF and the other brands of the
// image file format built on ISOBMFF boxes).
#pragma once

#include <optional>

#include "files/image_header.h"

namespace tessel {

// The primary item's (`pitm`) image spatial extents (`ispe`), found through its property
// associations (`ipma`) in the property container (`ipco`), then changed as the item's own
// transforms change it, in their order: a clean aperture (`clap`) crops, a rotation (`irot`)
// by 90 or 270 degrees swaps the sides. A grid's size is the grid item's own `ispe`, not its
// tiles'. nullopt for a file of no image brand (MP4, QuickTime), and for one whose primary
// item has no `ispe` or a crop that cannot apply.
std::optional<ImageSize> ReadHeifSize(ByteSource& source);

}  // namespace tessel

// files/texts.h: the file engine's user-visible texts. UTF-8 on every platform, unlike the
// other subsystems' texts: they are names in paths, and paths are UTF-8 (the Windows seam
// writes them in UTF-16).
#pragma once

namespace tessel::text {

// The destination's sub-folder for files whose name is taken there.
extern const char DuplicatesFolder[];

}  // namespace tessel::text

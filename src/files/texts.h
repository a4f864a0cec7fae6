// files/texts.h: the file engine's user-visible texts. Code page 932 on Windows, UTF-8
// elsewhere. Includes nothing: texts.cpp is compiled with a code page flag that breaks
// <chrono>.
#pragma once

namespace tessel::text {

// The destination's sub-folder for files whose name is taken there.
extern const char DuplicatesFolder[];

}  // namespace tessel::text

// files/os/long_path.cpp: the \\?\ and \\?\UNC\ prefixes.
#include "files/os/long_path.h"

namespace tessel::os {

std::u16string LongPathForm(std::u16string_view full) {
    if (full.starts_with(u"\\\\?\\") || full.starts_with(u"\\\\.\\")) {
        return std::u16string(full);
    }
    if (full.starts_with(u"\\\\")) {
        std::u16string unc = u"\\\\?\\UNC\\";
        unc += full.substr(2);
        return unc;
    }
    std::u16string local = u"\\\\?\\";
    local += full;
    return local;
}

}  // namespace tessel::os

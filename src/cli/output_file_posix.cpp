#include "cli/output_file.h"

namespace tessel::cli {

std::FILE* OpenForWriting(const std::string& path) {
    return std::fopen(path.c_str(), "wbe");
}

}  // namespace tessel::cli

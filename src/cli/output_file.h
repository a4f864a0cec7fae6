// cli/output_file.h: a file the command writes (the report), named by a UTF-8 path.
#pragma once

#include <cstdio>
#include <string>

namespace tessel::cli {

// Creates or empties `path` for writing in binary; nullptr (errno set) when it cannot.
std::FILE* OpenForWriting(const std::string& path);

}  // namespace tessel::cli

// files/path_tests.h: is this path a file, a folder, or nothing? Shared by the run request,
// the folder inputs, the scan and the copy planner. Stateless; any thread may call them.
//
// The folder rule: an entry is a folder when its attribute word has the directory bit,
// whatever else is set (read-only, hidden, not indexed, ...). Everything else is a file.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "files/code_page.h"
#include "files/os/file_system.h"

namespace tessel {

bool IsFolderEntry(std::uint32_t attributes);

// The path names an existing entry that is not a folder.
bool FileExists(const std::string& path);
// The path names an existing folder.
bool FolderExists(const std::string& path);
// The path names any existing entry; `entry` then receives what the listing reports.
bool QueryEntry(const std::string& path, os::DirEntry& entry);

// FindLastChar in the platform's own code page.
std::optional<std::size_t> FindLastChar(std::string_view text, char c);

}  // namespace tessel

// job/run_request.h: the folder rules of a run request, shared by the window's Run button
// and the tessel command: which source is accepted, when a missing destination may be
// created (its last level only), and how the extension list is stored. The front ends show
// the messages (text::SourceFolderInvalid, ...) and ask the question themselves.
#pragma once

#include <string>
#include <string_view>

namespace tessel {

// The preset lists of the kinds "画像" and "圧縮ファイル".
inline constexpr char ImageExtensions[] = "jpeg,jpg,gif,png,bmp";
inline constexpr char ArchiveExtensions[] = "lzh,lha,zip,cab,gz,tar,cpt";

// The source must name an existing folder (a path ending in a separator never does).
bool IsValidSourceFolder(const std::string& folder);

enum class DestinationCheck {
    Exists,   // an existing folder: use it
    Missing,  // not there, but its parent is a folder: ask, then CreateDestinationFolder
    Invalid,  // neither: "コピー先フォルダの指定が不正です。" at once, without a question
};
DestinationCheck CheckDestinationFolder(const std::string& folder);

// Creates the one missing last level of a destination that CheckDestinationFolder reported
// Missing. False when it cannot be made: the destination is then invalid.
bool CreateDestinationFolder(const std::string& folder);

// The stored ExtensionList: the typed text between two commas, untouched (blanks and case
// kept; an empty text gives ",,").
std::string MakeExtensionList(std::string_view typed);

}  // namespace tessel

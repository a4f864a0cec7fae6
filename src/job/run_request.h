// job/run_request.h: the folder rules of a run request, shared by the window's Run button
// and the tessel command: which source is accepted, when a missing destination may be
// created (its last level only), and how the extension list is stored. The front ends show
// the messages (text::SourceFolderInvalid, ...) and ask the question themselves.
#pragma once

#include <string>
#include <string_view>

namespace tessel {

// The preset kinds, in the window's combobox order ("画像", "圧縮ファイル"), as every front
// end offers them: the command's --kind name, the extension list, and whether a lower bound
// on image size may be asked for (for any other kind the window forces "none").
struct ExtensionPreset {
    const char* kindName;
    const char* extensions;
    bool imageKind;
};
inline constexpr ExtensionPreset ExtensionPresets[] = {
    {"images", "jpeg,jpg,gif,png,bmp", true},
    {"archives", "lzh,lha,zip,cab,gz,tar,cpt", false},
};
inline constexpr const char* ImageExtensions = ExtensionPresets[0].extensions;
inline constexpr const char* ArchiveExtensions = ExtensionPresets[1].extensions;

// A text of the window's source, destination or extension field, as the ANSI calls read
// it (GetWindowTextA: code page 932 in the Windows build), in the engine's UTF-8, converted
// exactly. Every check below and RunSettings take the result. A text that is no code page
// 932 gives an empty text, which no folder check accepts. Where the texts are UTF-8 already
// (TextCodePage), it comes back unchanged.
std::string FromWindowText(std::string_view typed);

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

// job/run_request.h: the folder rules of a run request, shared by the window's Run button
// and the tessel command: which source is accepted, when a missing destination may be
// created (its last level only), and how the extension list is stored. The front ends show
// the messages (text::SourceFolderInvalid, ...) and ask the question themselves.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tessel {

// The preset kinds: the command's --kind name, the extension list, and whether a lower bound
// on image size may be asked for (for any other kind the window forces "none"). The first two
// are the window's combobox ("画像", "圧縮ファイル"); the command offers the third as well, the
// pictures of today beside the images of old, which the window's own list keeps as it was.
struct ExtensionPreset {
    const char* kindName;
    const char* extensions;
    bool imageKind;
};
inline constexpr ExtensionPreset ExtensionPresets[] = {
    {"images", "jpeg,jpg,gif,png,bmp", true},
    {"archives", "lzh,lha,zip,cab,gz,tar,cpt", false},
    {"photos", "jpeg,jpg,gif,png,bmp,webp,heic,heif,avif,tif,tiff,jxl", true},
};
inline constexpr const char* ImageExtensions = ExtensionPresets[0].extensions;
inline constexpr const char* ArchiveExtensions = ExtensionPresets[1].extensions;
inline constexpr const char* PhotoExtensions = ExtensionPresets[2].extensions;

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

// The destination decision of both front ends: an existing folder is taken; a missing last
// level under an existing folder is made when `mayCreate` says yes (the front end's
// question), and taken if it could be made; anything else is refused. `mayCreate` is called
// only for a missing last level, so an invalid destination gets its message without a
// question first.
bool AcceptDestination(const std::string& folder, const std::function<bool()>& mayCreate);

// The same decision for a run that creates nothing (the command's dry run): a missing last
// level counts as accepted without a question, and nothing is made.
bool AcceptDestinationWithoutCreating(const std::string& folder);

// The stored ExtensionList: the typed text between two commas, untouched (blanks and case
// kept; an empty text gives ",,").
std::string MakeExtensionList(std::string_view typed);

}  // namespace tessel

// app/window_size_win32.cpp: the wide profile calls, so that a program folder of any name
// holds its Tessel.ini. The section and the keys are ASCII, and a file the wide calls create
// is written in the ANSI code page: Tessel.ini stays the plain ASCII file it always was.
#include "app/window_size_win32.h"

#include "app/controls_win32.h"
#include "app/settings_names.h"

namespace tessel {
namespace {

struct SettingsNames {
    std::u16string file;
    std::u16string section;
};

SettingsNames NamesOf(const std::string& settingsBase) {
    return {Utf8ToUtf16(SettingsFileName(settingsBase)),
            Utf8ToUtf16(SettingsSectionName(settingsBase, CodePage::Utf8))};
}

}  // namespace

void RestoreWindowSize(HWND window, const std::string& settingsBase, std::uint32_t minimumWidth,
                       std::uint32_t minimumHeight, int dpi) {
    const SettingsNames names = NamesOf(settingsBase);
    const std::uint32_t width = StoredSizeAt(
        ::GetPrivateProfileIntW(Wide(names.section), L"Width", DefaultWidth, Wide(names.file)),
        minimumWidth, dpi);
    const std::uint32_t height = StoredSizeAt(
        ::GetPrivateProfileIntW(Wide(names.section), L"Height", DefaultHeight, Wide(names.file)),
        minimumHeight, dpi);
    RECT outer;
    ::GetWindowRect(window, &outer);
    ::MoveWindow(window, outer.left, outer.top, static_cast<int>(width), static_cast<int>(height),
                 FALSE);
}

void SaveWindowSize(HWND window, const std::string& settingsBase, int dpi) {
    const SettingsNames names = NamesOf(settingsBase);
    RECT outer;
    ::GetWindowRect(window, &outer);
    // ASCII, NULs included: the UTF-16 form of each byte is the byte.
    const std::string keys = SizeSectionText(SizeToStore(outer.right - outer.left, dpi),
                                             SizeToStore(outer.bottom - outer.top, dpi));
    const std::u16string wideKeys(keys.begin(), keys.end());
    ::WritePrivateProfileSectionW(Wide(names.section), Wide(wideKeys), Wide(names.file));
    ::SetFileAttributesW(Wide(names.file), FILE_ATTRIBUTE_HIDDEN);
}

}  // namespace tessel

// app/window_size_win32.cpp
#include "app/window_size_win32.h"

#include "app/settings_names.h"

namespace tessel {

void RestoreWindowSize(HWND window, const std::string& settingsBase, std::uint32_t minimumWidth,
                       std::uint32_t minimumHeight) {
    const std::string file = SettingsFileName(settingsBase);
    const std::string section = SettingsSectionName(settingsBase, CodePage::Cp932);
    const std::uint32_t width =
        StoredSize(::GetPrivateProfileIntA(section.c_str(), "Width", DefaultWidth, file.c_str()),
                   minimumWidth);
    const std::uint32_t height =
        StoredSize(::GetPrivateProfileIntA(section.c_str(), "Height", DefaultHeight, file.c_str()),
                   minimumHeight);
    RECT outer;
    ::GetWindowRect(window, &outer);
    ::MoveWindow(window, outer.left, outer.top, static_cast<int>(width), static_cast<int>(height),
                 FALSE);
}

void SaveWindowSize(HWND window, const std::string& settingsBase) {
    const std::string file = SettingsFileName(settingsBase);
    const std::string section = SettingsSectionName(settingsBase, CodePage::Cp932);
    RECT outer;
    ::GetWindowRect(window, &outer);
    const std::string keys = SizeSectionText(outer.right - outer.left, outer.bottom - outer.top);
    ::WritePrivateProfileSectionA(section.c_str(), keys.c_str(), file.c_str());
    ::SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
}

}  // namespace tessel

// app/settings_names.cpp
#include "app/settings_names.h"

#include "base/scale.h"

namespace tessel {

std::string ProgramDirectory(std::string_view commandLine, CodePage cp) {
    std::string_view path = commandLine;
    char end = ' ';
    if (!path.empty() && path.front() == '"') {
        path.remove_prefix(1);
        end = '"';
    }
    // Quote and blank are below 0x40, so no code page 932 trail byte can be taken for them.
    path = path.substr(0, path.find(end));
    // The limit is that of a 260-byte buffer of a Japanese Windows: a UTF-8 name counts what
    // it takes in code page 932.
    const std::size_t size = cp == CodePage::Utf8 ? ShownSize(path, CodePage::Cp932) : path.size();
    if (size >= ProgramPathLimit) return {};
    const auto lastSeparator = FindLastChar(path, '\\', cp);
    if (!lastSeparator) return {};
    return std::string(path.substr(0, *lastSeparator));
}

std::string SettingsBasePath(std::string_view programDirectory) {
    std::string base(programDirectory);
    base += "\\Tessel";
    return base;
}

std::string SettingsFileName(std::string_view basePath) {
    std::string file(basePath);
    if (!(file.size() > 4 && file.ends_with(".ini"))) file += ".ini";
    return file;
}

std::string SettingsSectionName(std::string_view basePath, CodePage cp) {
    const auto lastSeparator = FindLastChar(basePath, '\\', cp);
    std::string section;
    if (lastSeparator && *lastSeparator > 0) section = basePath.substr(*lastSeparator + 1);
    section += "-WH-Size";
    return section;
}

std::uint32_t StoredSize(std::uint32_t profileValue, std::uint32_t minimum) {
    const std::uint32_t value = profileValue & 0xFFFF;
    return value < minimum ? minimum : value;
}

std::uint32_t StoredSizeAt(std::uint32_t profileValue, std::uint32_t minimum, int dpi) {
    // At most 65535, so even a 480 DPI screen's length fits an int.
    return static_cast<std::uint32_t>(
        Scale(static_cast<int>(StoredSize(profileValue, minimum)), dpi));
}

int SizeToStore(int pixels, int dpi) {
    return Unscale(pixels, dpi);
}

std::string SizeSectionText(int width, int height) {
    std::string keys = "Width=" + std::to_string(width);
    keys += '\0';
    keys += "Height=" + std::to_string(height);
    keys += '\0';
    keys += '\0';
    return keys;
}

}  // namespace tessel

// The manifest that the program's resources carry (this executable links the same ones), as
// the loader read it: Wine answers for the settings of the process's activation context.
// Under Wine every process is per-monitor aware, manifest or not, so a DPI alone proves
// nothing here.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "gui_fixture.h"

namespace tessel::test {
namespace {

std::string Setting(const wchar_t* space, const wchar_t* name) {
    wchar_t value[128] = {};
    SIZE_T length = 0;
    if (!::QueryActCtxSettingsW(0, nullptr, space, name, value, 128, &length)) return "(none)";
    return Utf8Of(value);
}

std::string_view ManifestText() {
    HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    if (found == nullptr) return {};
    const auto* bytes = static_cast<const char*>(::LockResource(::LoadResource(nullptr, found)));
    return {bytes, ::SizeofResource(nullptr, found)};
}

TEST(Manifest, AsksForPerMonitorDpiAndLongPaths) {
    constexpr wchar_t settings2005[] = L"http://schemas.microsoft.com/SMI/2005/WindowsSettings";
    constexpr wchar_t settings2016[] = L"http://schemas.microsoft.com/SMI/2016/WindowsSettings";
    EXPECT_EQ(Setting(settings2016, L"dpiAwareness"), "PerMonitorV2, PerMonitor");
    EXPECT_EQ(Setting(settings2005, L"dpiAware"), "true/pm");
    EXPECT_EQ(Setting(settings2016, L"longPathAware"), "true");
}

TEST(Manifest, LeavesVirtualisationTheControlsAndTheCodePageAlone) {
    const std::string_view text = ManifestText();
    ASSERT_FALSE(text.empty()) << "no manifest resource";
    // A requested execution level would switch UAC's file virtualisation off, and with it
    // Tessel.ini under Program Files.
    for (const char* absent : {"<trustInfo", "<requestedExecutionLevel",
                               "Microsoft.Windows.Common-Controls", "<activeCodePage"}) {
        EXPECT_EQ(text.find(absent), std::string_view::npos) << absent;
    }
    // Vista, 7, 8, 8.1, 10 and 11.
    for (const char* id :
         {"e2011457-1546-43c5-a5fe-008deee3d3f0", "35138b9a-5d96-4fbd-8e2d-a2440225f93a",
          "4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38", "1f676c76-80e1-4239-95bb-83d0f6d0da78",
          "8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a"}) {
        EXPECT_NE(text.find(std::string("<supportedOS Id=\"{") + id + "}\"/>"),
                  std::string_view::npos)
            << id;
    }
}

}  // namespace
}  // namespace tessel::test

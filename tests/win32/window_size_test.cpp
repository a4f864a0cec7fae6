// The window size kept in the hidden Tessel.ini beside the program (here: a temp folder).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "gui_fixture.h"

namespace tessel::test {
namespace {

using WindowSize = GuiTest;

constexpr char Section[] = "Tessel-WH-Size";

// Wine reports FILE_ATTRIBUTE_ARCHIVE on every file; the program sets hidden alone.
DWORD AttributesOf(const std::string& file) {
    const DWORD attributes = ::GetFileAttributesA(file.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? attributes
                                                 : attributes & ~FILE_ATTRIBUTE_ARCHIVE;
}

std::string SectionText(const std::string& file) {
    char keys[256] = {};
    const DWORD length = ::GetPrivateProfileSectionA(Section, keys, sizeof keys, file.c_str());
    return std::string(keys, length);
}

TEST_F(WindowSize, FirstRunOpensAtTheMinimumAndSavesAHiddenFile) {
    OpenMain();
    EXPECT_EQ(OuterSize(main_).cx, 480);
    EXPECT_EQ(OuterSize(main_).cy, 520);
    EXPECT_EQ(::GetFileAttributesA(SettingsFile().c_str()), INVALID_FILE_ATTRIBUTES);
    CloseMain();
    EXPECT_EQ(AttributesOf(SettingsFile()), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(SectionText(SettingsFile()), std::string("Width=480\0Height=520\0", 21));
}

TEST_F(WindowSize, NextStartGetsTheSizeOfTheLastCloseRaisedToTheMinimum) {
    const struct {
        SIZE closed, reopened;
    } cases[] = {
        {{700, 600}, {700, 600}},
        {{400, 600}, {480, 600}},
        {{900, 300}, {900, 520}},
        {{481, 521}, {481, 521}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.closed.cx);
        OpenMain();
        ::SetWindowPos(main_, nullptr, 0, 0, c.closed.cx, c.closed.cy, SWP_NOMOVE | SWP_NOZORDER);
        CloseMain();  // saves, also over the hidden file of the round before
        EXPECT_EQ(AttributesOf(SettingsFile()), static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
        EXPECT_EQ(::GetPrivateProfileIntA(Section, "Width", -7, SettingsFile().c_str()),
                  static_cast<UINT>(c.closed.cx));
        OpenMain();
        EXPECT_EQ(OuterSize(main_).cx, c.reopened.cx);
        EXPECT_EQ(OuterSize(main_).cy, c.reopened.cy);
        CloseMain();
    }
}

TEST_F(WindowSize, MinimisedCloseStoresTheSmallRectangle) {
    OpenMain();
    ::ShowWindow(main_, SW_MINIMIZE);
    const SIZE minimised = OuterSize(main_);
    CloseMain();
    EXPECT_EQ(::GetPrivateProfileIntA(Section, "Height", -7, SettingsFile().c_str()),
              static_cast<UINT>(minimised.cy));
    OpenMain();
    EXPECT_EQ(OuterSize(main_).cx, 480);
    EXPECT_EQ(OuterSize(main_).cy, 520);
}

TEST_F(WindowSize, HandEditedValuesAndForeignKeys) {
    const struct {
        const char* width;
        const char* height;
        SIZE opened;
    } cases[] = {
        {"640", "300", {640, 520}},
        {"abc", "600", {480, 600}},  // not a number: 0, raised to the minimum
        {"", "", {480, 520}},
        {"66176", "600", {640, 600}},  // 0x10280: its low 16 bits are 640
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        ::SetFileAttributesA(SettingsFile().c_str(), FILE_ATTRIBUTE_NORMAL);
        const std::string keys = std::string("Width=") + c.width + '\0' + "Height=" + c.height +
                                 '\0' + "Extra=1" + '\0' + '\0';
        ASSERT_TRUE(::WritePrivateProfileSectionA(Section, keys.c_str(), SettingsFile().c_str()));
        ::WritePrivateProfileStringA("Other", "Keep", "yes", SettingsFile().c_str());
        OpenMain();
        EXPECT_EQ(OuterSize(main_).cx, c.opened.cx);
        EXPECT_EQ(OuterSize(main_).cy, c.opened.cy);
        CloseMain();
        // The save replaces the whole section and leaves other sections alone.
        EXPECT_EQ(::GetPrivateProfileIntA(Section, "Extra", 99, SettingsFile().c_str()), 99u);
        char keep[8] = {};
        ::GetPrivateProfileStringA("Other", "Keep", "", keep, sizeof keep, SettingsFile().c_str());
        EXPECT_STREQ(keep, "yes");
    }
}

TEST_F(WindowSize, UnwritableFolderLeavesNothingAndDefaultsNextTime) {
    // The settings base names a folder that does not exist: the save fails silently.
    shell_.reset();
    shell_.emplace(::GetModuleHandleA(nullptr), settings_.Path() + "\\missing\\Tessel");
    OpenMain();
    ::SetWindowPos(main_, nullptr, 0, 0, 700, 700, SWP_NOMOVE | SWP_NOZORDER);
    CloseMain();
    EXPECT_EQ(::GetFileAttributesA((settings_.Path() + "\\missing").c_str()),
              INVALID_FILE_ATTRIBUTES);
    OpenMain();
    EXPECT_EQ(OuterSize(main_).cx, 480);
    EXPECT_EQ(OuterSize(main_).cy, 520);
}

}  // namespace
}  // namespace tessel::test

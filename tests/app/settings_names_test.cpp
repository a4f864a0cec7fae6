#include "app/settings_names.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace tessel {
namespace {

TEST(ProgramDirectory, FromTheFirstNameOnTheCommandLine) {
    const struct {
        const char* commandLine;
        const char* directory;
    } cases[] = {
        {R"("C:\Program Files\x\prog.exe")", R"(C:\Program Files\x)"},
        {R"("C:\Program Files\x\prog.exe" D:\photos)", R"(C:\Program Files\x)"},
        {R"(C:\Program Files\x\prog.exe)", "C:"},  // unquoted: cut at the first blank
        {R"(C:\tools\prog.exe D:\photos "E:\a b")", R"(C:\tools)"},
        {R"(C:\tools\prog.exe)", R"(C:\tools)"},
        {R"("C:\Program Files\x\prog.exe)", R"(C:\Program Files\x)"},  // no closing quote
        {R"("C:\a b\prog.exe"" x)", R"(C:\a b)"},
        {R"(\prog.exe)", ""},  // the only backslash is the first character
        {R"(C:\prog.exe)", "C:"},
        {"prog.exe", ""},  // no backslash
        {R"("prog.exe" C:\x\y)", ""},
        {"", ""},
        {R"("")", ""},
        {R"( C:\tools\prog.exe)", ""},  // a leading blank ends the name at once
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        EXPECT_EQ(ProgramDirectory(c.commandLine, CodePage::Cp932), c.directory);
        EXPECT_EQ(ProgramDirectory(c.commandLine, CodePage::Utf8), c.directory);
    }
}

TEST(ProgramDirectory, NamesOf260BytesOrMoreGiveNoDirectory) {
    const std::string folder = "C:\\" + std::string(240, 'd');
    for (const std::size_t length : {259u, 260u, 300u}) {
        SCOPED_TRACE(length);
        const std::string name = folder + "\\" + std::string(length - folder.size() - 1, 'p');
        ASSERT_EQ(name.size(), length);
        const std::string expected = length < 260 ? folder : "";
        EXPECT_EQ(ProgramDirectory(name, CodePage::Cp932), expected);
        EXPECT_EQ(ProgramDirectory("\"" + name + "\" arg", CodePage::Cp932), expected);
        // Only the name counts: a long argument list does not matter.
        EXPECT_EQ(ProgramDirectory("\"C:\\x\\p.exe\" " + name, CodePage::Cp932), "C:\\x");
    }
}

TEST(ProgramDirectory, TrailByteThatLooksLikeABackslashIsNoSeparator) {
    // 表 in code page 932 is 0x95 0x5C; the program lies in C:\表.
    const std::string line = "\"C:\\\x95\x5C\\prog.exe\"";
    EXPECT_EQ(ProgramDirectory(line, CodePage::Cp932), "C:\\\x95\x5C");
    // A folder named 表 alone, not followed by a separator: the 0x5C is no cut point.
    EXPECT_EQ(ProgramDirectory("C:\\x\\\x95\x5Cprog.exe", CodePage::Cp932), "C:\\x");
    EXPECT_EQ(ProgramDirectory("\"C:\\表\\prog.exe\"", CodePage::Utf8), "C:\\表");
}

TEST(SettingsNames, FileAndSectionBesideTheProgram) {
    const struct {
        const char* directory;
        const char* file;
        const char* section;
    } cases[] = {
        {R"(C:\Program Files\x)", R"(C:\Program Files\x\Tessel.ini)", "Tessel-WH-Size"},
        {"C:", R"(C:\Tessel.ini)", "Tessel-WH-Size"},
        {"", R"(\Tessel.ini)", "-WH-Size"},  // name too long: the root of the current drive
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.directory);
        const std::string base = SettingsBasePath(c.directory);
        EXPECT_EQ(SettingsFileName(base), c.file);
        EXPECT_EQ(SettingsSectionName(base, CodePage::Cp932), c.section);
    }
}

TEST(SettingsNames, IniIsAddedUnlessTheBaseEndsInExactlyIni) {
    const struct {
        const char* base;
        const char* file;
    } cases[] = {
        {"C:\\x\\Tessel", "C:\\x\\Tessel.ini"},
        {"C:\\x\\a.ini", "C:\\x\\a.ini"},
        {"a.ini", "a.ini"},
        {".ini", ".ini.ini"},                  // four bytes: the test is only made for longer names
        {"C:\\x\\A.INI", "C:\\x\\A.INI.ini"},  // case-sensitive
        {"C:\\x\\a.inix", "C:\\x\\a.inix.ini"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.base);
        EXPECT_EQ(SettingsFileName(c.base), c.file);
    }
}

TEST(SettingsNames, SectionTakesWhatFollowsTheLastRealSeparator) {
    EXPECT_EQ(SettingsSectionName("C:\\a\\b\\Name", CodePage::Cp932), "Name-WH-Size");
    EXPECT_EQ(SettingsSectionName("C:\\a\\", CodePage::Cp932), "-WH-Size");
    EXPECT_EQ(SettingsSectionName("Tessel", CodePage::Cp932), "-WH-Size");
    // C:\ then 表Tessel: the trail byte 0x5C of 表 is not a separator.
    EXPECT_EQ(SettingsSectionName("C:\\\x95\x5CTessel", CodePage::Cp932), "\x95\x5CTessel-WH-Size");
}

TEST(StoredSize, LowSixteenBitsRaisedToTheMinimum) {
    const struct {
        std::uint32_t stored;
        std::uint32_t minimum;
        std::uint32_t size;
    } cases[] = {
        {DefaultWidth, MinimumWidth, 480},
        {DefaultHeight, MinimumHeight, 520},  // first run: 480 x 520
        {700, MinimumWidth, 700},
        {600, MinimumHeight, 600},
        {400, MinimumWidth, 480},
        {300, MinimumHeight, 520},
        {0, MinimumHeight, 520},             // "abc" reads as 0
        {0xFFFFFFFF, MinimumWidth, 65535},   // -1
        {0xFFFFFF9C, MinimumHeight, 65436},  // -100
        {0x10000 + 600, MinimumHeight, 600},
        {0x10000 + 100, MinimumHeight, 520},
        {520, MinimumHeight, 520},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(StoredSize(c.stored, c.minimum), c.size);
    }
}

TEST(StoredSize, SectionTextIsADoubleNulTerminatedKeyList) {
    EXPECT_EQ(SizeSectionText(700, 600), std::string("Width=700\0Height=600\0\0", 22));
    EXPECT_EQ(SizeSectionText(-32000, 0), std::string("Width=-32000\0Height=0\0\0", 23));
}

TEST(StoredSize, IsIn96DpiUnitsRaisedFirstThenScaled) {
    const struct {
        std::uint32_t stored, minimum;
        int dpi;
        std::uint32_t pixels;
    } cases[] = {
        {DefaultWidth, MinimumWidth, 96, 480},
        {DefaultHeight, MinimumHeight, 144, 780},  // the minimum 520, then scaled
        {700, MinimumWidth, 192, 1400},
        {400, MinimumWidth, 120, 600},  // raised to 480 in the file's units, not in pixels
        {481, MinimumWidth, 120, 601},  // 601.25
        {0x10000 + 640, MinimumWidth, 120, 800},
        {0xFFFFFFFF, MinimumWidth, 192, 131070},  // -1: 65535 as before, then doubled
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.stored << " at " << c.dpi);
        EXPECT_EQ(StoredSizeAt(c.stored, c.minimum, c.dpi), c.pixels);
    }
}

TEST(StoredSize, ASavedSizeOpensAsLargeOnEveryScreen) {
    const struct {
        int pixels, dpi, stored;
    } saves[] = {
        {480, 96, 480},  {720, 144, 480}, {1400, 192, 700}, {601, 120, 481},  // 480.8
        {721, 192, 361},  // 360.5: a half goes up
        {160, 144, 107},  // a minimised window's 160 pixels: 106.67
    };
    for (const auto& s : saves) {
        SCOPED_TRACE(testing::Message() << s.pixels << " at " << s.dpi);
        EXPECT_EQ(SizeToStore(s.pixels, s.dpi), s.stored);
    }
    // Closed on one screen and opened on the same one, a window keeps its size to the pixel
    // at every DPI from 96 up: a scaled length never strays half a unit from its value.
    for (const int dpi : {96, 120, 144, 168, 192, 240}) {
        SCOPED_TRACE(dpi);
        for (std::uint32_t stored = 0; stored <= 4000; ++stored) {
            const auto pixels = static_cast<int>(StoredSizeAt(stored, 0, dpi));
            ASSERT_EQ(SizeToStore(pixels, dpi), static_cast<int>(stored)) << stored;
        }
        // A size dragged to any pixel comes back within a pixel of it (exactly at 96).
        for (int pixels = 480; pixels <= 2000; ++pixels) {
            const auto reopened = static_cast<int>(
                StoredSizeAt(static_cast<std::uint32_t>(SizeToStore(pixels, dpi)), 0, dpi));
            ASSERT_LE(std::abs(reopened - pixels), dpi == 96 ? 0 : 1) << pixels;
        }
    }
}

}  // namespace
}  // namespace tessel

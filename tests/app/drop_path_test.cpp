// What a drop puts into the folder fields, over a made-up tree of Windows paths.
#include "app/drop_path.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace tessel {
namespace {

const std::set<std::string> folders = {
    "C:\\a.files\\b", "C:\\a.files", "D:\\web", "D:\\web\\page.files", "D:\\表",
};
const std::set<std::string> files = {
    "C:\\x.txt",         "D:\\web\\page.htm", "D:\\web\\page.HTML",
    "D:\\web\\lone.htm", "D:\\表\\a.jpg",     "D:\\web\\page.files\\pic.jpg",
};

DroppedFolders Drop(const std::string& path, CodePage cp = CodePage::Utf8) {
    return MapDroppedPath(
        path, [](const std::string& p) { return folders.count(p) > 0; },
        [](const std::string& p) { return files.count(p) > 0; }, cp);
}

TEST(DropPath, FoldersFilesAndSavedPages) {
    const struct {
        const char* what;
        const char* dropped;
        const char* source;       // nullptr: no field changes
        const char* destination;  // nullptr: the destination stays
    } cases[] = {
        {"a folder sets the source only", "D:\\web", "D:\\web", nullptr},
        {"a folder under .files gives the part before it", "C:\\a.files\\b", "C:\\a.files\\b",
         "C:\\a"},
        {"a file gives its folder", "D:\\表\\a.jpg", "D:\\表", nullptr},
        {"a file in a drive root gives the drive", "C:\\x.txt", "C:", nullptr},
        {"a page with its folder", "D:\\web\\page.htm", "D:\\web\\page.files", "D:\\web\\page"},
        {".HTML is found as .htm", "D:\\web\\page.HTML", "D:\\web\\page.files", "D:\\web\\page"},
        {"a page without its folder", "D:\\web\\lone.htm", "D:\\web", nullptr},
        {"a file inside a page folder", "D:\\web\\page.files\\pic.jpg", "D:\\web\\page.files",
         "D:\\web\\page"},
        {"nothing there", "D:\\gone", nullptr, nullptr},
        {"a drive root with its backslash is neither", "D:\\", nullptr, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const DroppedFolders result = Drop(c.dropped);
        EXPECT_EQ(result.source.value_or("(none)"), c.source ? c.source : "(none)");
        EXPECT_EQ(result.destination.value_or("(none)"), c.destination ? c.destination : "(none)");
    }
}

TEST(DropPath, DoubleByteNamesInCodePage932) {
    // In code page 932 the second byte of ソ is 0x5C: "ソフト" must not split there, and the
    // page's ".htm" is found after whole characters.
    const std::string so = "\x83\x5C";  // ソ
    const std::string page = "D:\\" + so + "\\a.htm";
    const std::string pageFolder = "D:\\" + so + "\\a.files";
    const auto result = MapDroppedPath(
        page, [&](const std::string& p) { return p == pageFolder; },
        [&](const std::string& p) { return p == page; }, CodePage::Cp932);
    ASSERT_TRUE(result.source);
    EXPECT_EQ(*result.source, pageFolder);
    ASSERT_TRUE(result.destination);
    EXPECT_EQ(*result.destination, "D:\\" + so + "\\a");

    const std::string file = "D:\\" + so + "\\b.jpg";
    const auto inFolder = MapDroppedPath(
        file, [](const std::string&) { return false; },
        [&](const std::string& p) { return p == file; }, CodePage::Cp932);
    ASSERT_TRUE(inFolder.source);
    EXPECT_EQ(*inFolder.source, "D:\\" + so);
}

}  // namespace
}  // namespace tessel

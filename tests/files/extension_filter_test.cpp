// Which names the scan keeps: the text after the last "." between two commas, case ignored.
#include <gtest/gtest.h>

#include <string>

#include "files/folder_scan.h"
#include "support/test_support.h"

namespace tessel {
namespace {

constexpr const char* Images = ",jpeg,jpg,gif,png,bmp,";
constexpr const char* Archives = ",lzh,lha,zip,cab,gz,tar,cpt,";

// The stored form of a typed list. (Built with +=: GCC 12 at -O3 warns falsely about
// "," + text + ",".)
std::string Stored(std::string_view typed) {
    std::string list = ",";
    list += typed;
    list += ',';
    return list;
}

TEST(ExtensionFilter, MatchesWholeEntriesIgnoringCase) {
    const struct {
        std::string list;
        std::string name;
        bool kept;
    } cases[] = {
        {Images, "photo.JPG", true},          // case ignored
        {Images, "photo.jpe", false},         // "jpe" is not "jpeg"
        {Images, "a.pe", false},              // nor the tail of it
        {Archives, "backup.tar.gz", true},    // the last "." decides
        {Archives, "backup.gz.part", false},  //
        {Images, "README", false},            // no "." no match
        {Images, ".jpg", true},               // only a "." in front: extension jpg
        {Images, "a.", false},                // empty extension
        {Images, "a.jpg.", false},            //
        {",jpg, png,", "a.jpg", true},        // typed "jpg, png"
        {",jpg, png,", "a.png", false},       // the blank belongs to the entry
        {",jpg, png,", "a. png", true},       // and matches only a blank
        {",.jpg,", "a.jpg", false},           // an entry typed with its dot never matches
        {",.jpg,", "a..jpg", false},          //
        {Images, "表.jpg", true},             // Japanese names (UTF-8, as every path)
        {Images, "ソフト.PNG", true},         //
        {Images, "写真.ｊｐｇ", false},       // full-width letters do not fold
        {Stored("表"), "a.表", true},         // a Japanese extension typed in the list
        {",a,", "x.ア", false},               // no byte of ア is 'a' or 'A'
        {Images, "한국.png", true},           // names no code page 932 can write
        {Images, "emoji😀.GIF", true},         //
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.list + " " + c.name);
        EXPECT_EQ(IsListed(c.list, c.name), c.kept);
    }
}

}  // namespace
}  // namespace tessel

#include "job/status_text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace tessel {
namespace {

TEST(ComposeText, FillsConversionsInOrder) {
    EXPECT_EQ(ComposeText("%u files%c%c%s", {std::uint32_t{12}, '\r', '\n', "done"}, 1023),
              "12 files\r\ndone");
    // 64 bits wide: a total past 4 GiB does not wrap.
    EXPECT_EQ(ComposeText("%uKByte", {std::uint64_t{5} << 30}, 1023), "5368709120KByte");
    // A bound is printed as the window printed it, a 32-bit unsigned number.
    EXPECT_EQ(ComposeText("[ %ux%u ]", {static_cast<std::uint32_t>(-1), std::uint32_t{0}}, 1023),
              "[ 4294967295x0 ]");
    EXPECT_EQ(ComposeText("100%% %s", {"sure"}, 1023), "100% sure");
}

TEST(ComposeText, MissingArgumentsGiveNothingAndExtraOnesAreIgnored) {
    EXPECT_EQ(ComposeText("a%ub%sc", {std::uint32_t{1}}, 1023), "a1bc");
    EXPECT_EQ(ComposeText("plain", {std::uint32_t{1}, 'x'}, 1023), "plain");
    EXPECT_EQ(ComposeText("ends in %", {}, 1023), "ends in %");
}

TEST(ComposeText, CutsToTheFirstLimitBytes) {
    const std::string path(2000, 'p');
    const std::string text = ComposeText("head%c%c%s", {'\r', '\n', path}, 1023);
    ASSERT_EQ(text.size(), 1023u);
    EXPECT_EQ(text.substr(0, 6), "head\r\n");
    EXPECT_EQ(ComposeText("%s", {std::string(1023, 'q')}, 1023).size(), 1023u);
    EXPECT_EQ(ComposeText("%s!", {std::string(1022, 'q')}, 1023).back(), '!');
}

TEST(StatusTrail, KeepsTheNewestBytes) {
    std::string trail = "searching";
    AppendKeepingTail(trail, "\r\n/a/", 1023);
    EXPECT_EQ(trail, "searching\r\n/a/");

    // Past the limit the oldest bytes go first and the newest line stays whole.
    const std::string folder = "\r\n/" + std::string(600, 'f') + "/";
    AppendKeepingTail(trail, folder, 1023);
    AppendKeepingTail(trail, folder, 1023);
    ASSERT_EQ(trail.size(), 1023u);
    EXPECT_EQ(trail.substr(trail.size() - folder.size()), folder);
}

}  // namespace
}  // namespace tessel

// The progress line's words and figures: what a user reads off it to plan the next hour.
#include "cli/progress_line.h"

#include <gtest/gtest.h>

#include <chrono>

namespace tessel::cli {
namespace {

using namespace std::chrono_literals;

TEST(ProgressLine, FiguresReadAsAPersonWritesThem) {
    EXPECT_EQ(Grouped(0), "0");
    EXPECT_EQ(Grouped(999), "999");
    EXPECT_EQ(Grouped(1000), "1,000");
    EXPECT_EQ(Grouped(1234567), "1,234,567");
    EXPECT_EQ(ByteSize(0), "0 B");
    EXPECT_EQ(ByteSize(1023), "1023 B");
    EXPECT_EQ(ByteSize(1536), "1.5 KiB");
    EXPECT_EQ(ByteSize(std::uint64_t{8} << 20), "8.0 MiB");
    EXPECT_EQ(ByteSize(std::uint64_t{300} << 30), "300 GiB");
    EXPECT_EQ(ByteSize(~std::uint64_t{0}), "16.0 EiB");
    EXPECT_EQ(Duration(0s), "0:00");
    EXPECT_EQ(Duration(83s), "1:23");
    EXPECT_EQ(Duration(3723s), "1:02:03");
}

TEST(ProgressLine, SaysWhatThePhaseIsAndHowLongIsLeft) {
    ProgressShown shown;
    shown.folders = 1;
    shown.found = 1;
    EXPECT_EQ(ProgressText(shown), "searching: 1 file found in 1 folder");
    shown.folders = 56;
    shown.found = 1234;
    EXPECT_EQ(ProgressText(shown), "searching: 1,234 files found in 56 folders");

    shown.copying = true;
    shown.filesDone = 120;
    shown.filesToDo = 5000;
    shown.bytesDone = std::uint64_t{100} << 20;
    shown.bytesToDo = std::uint64_t{1100} << 20;
    shown.copyTime = 500ms;  // too soon for a rate
    EXPECT_EQ(ProgressText(shown), "copying: 120/5,000 files, 100 MiB of 1.1 GiB");
    shown.copyTime = 10s;  // 10 MiB/s, 1000 MiB to go
    EXPECT_EQ(ProgressText(shown),
              "copying: 120/5,000 files, 100 MiB of 1.1 GiB, 10.0 MiB/s, 1:40 left");
    shown.bytesDone = shown.bytesToDo + 1;  // a file that grew while it was copied
    EXPECT_NE(ProgressText(shown).find(", 0:00 left"), std::string::npos);
}

}  // namespace
}  // namespace tessel::cli

// The report's records as a script reads them back: one per found file in scan order, the
// files a stop left, and a write that fails said rather than lost.
#include "cli/report.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace tessel::cli {
namespace {

using test::TempFolder;

std::string ReadAll(const std::string& path) {
    const std::vector<std::uint8_t> bytes = test::ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

FoundFileList ThreeFound(const std::string& folder) {
    FoundFileList found;
    found.paths = {folder + "/a.png", folder + "/line\nfeed.png", folder + "/c.png"};
    found.squareSides = {300, 1, 40};
    found.sizes = {1000, 20, 300};
    return found;
}

FileAccount Account(std::size_t index, Outcome outcome, std::string destination = {},
                    std::string reason = {}) {
    FileAccount account;
    account.index = index;
    account.outcome = outcome;
    account.destination = std::move(destination);
    account.reason = std::move(reason);
    return account;
}

TEST(Report, AStoppedRunEndsWithTheFilesItNeverReachedAndTheStop) {
    TempFolder temp;
    std::string error;
    const std::string path = temp / "r.tsv";
    {
        const auto report = Report::Open(path, false, error);
        ASSERT_TRUE(report) << error;
        report->Found(ThreeFound("/src"));
        report->Handled(Account(0, Outcome::Saved, "/dst/a.png"));
        report->Handled(
            Account(1, Outcome::Failed, "/dst/line\nfeed.png", "No space left on device"));
        report->Stopped("interrupted");
        EXPECT_TRUE(report->Whole(error));
    }
    EXPECT_EQ(ReadAll(path),
              "saved\t300\t1000\t/src/a.png\t/dst/a.png\t\n"
              "failed\t1\t20\t/src/line\\nfeed.png\t/dst/line\\nfeed.png\tNo space left on device\n"
              "not-reached\t40\t300\t/src/c.png\t\t\n"
              "stopped\t\t\t\t\tinterrupted\n");
}

TEST(Report, NulRecordsKeepThePathsAsTheyAre) {
    TempFolder temp;
    std::string error;
    const std::string path = temp / "r.bin";
    {
        const auto report = Report::Open(path, true, error);
        ASSERT_TRUE(report);
        report->Found(ThreeFound("/src"));
        report->Handled(Account(1, Outcome::BelowBound));
    }
    // Every field ends with NUL: six to a record.
    EXPECT_EQ(ReadAll(path), std::string("below-bound\0"
                                         "1\0"
                                         "20\0"
                                         "/src/line\nfeed.png\0\0\0",
                                         38));
}

#ifndef _WIN32
TEST(Report, AWriteThatFailsIsSaidAtTheEnd) {
    std::string error;
    const auto report = Report::Open("/dev/full", false, error);
    ASSERT_TRUE(report);
    report->Found(ThreeFound("/src"));
    report->Handled(Account(0, Outcome::Saved, "/dst/a.png"));
    EXPECT_FALSE(report->Whole(error));
    EXPECT_EQ(error, "the report was not written whole: No space left on device");
}
#endif

TEST(Report, AFileThatCannotBeMadeIsRefusedWithTheReason) {
    TempFolder temp;
    std::string error;
    EXPECT_FALSE(Report::Open(temp / "missing/r.tsv", false, error));
    EXPECT_NE(error.find("cannot write the report '" + temp / "missing/r.tsv" + "': "),
              std::string::npos)
        << error;
}

}  // namespace
}  // namespace tessel::cli

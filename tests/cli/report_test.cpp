// The report's records as a script reads them back: one per found file in scan order, the
// files a stop left, and a write that fails said rather than lost.
#include "cli/report.h"
#include "cli/report_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "support/test_support.h"

namespace tessel::cli {
namespace {

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

TEST(ReportReader, EveryRecordReadsBackWholeInBothFormsWhateverTheNames) {
    // Names that a separator, an escape or a line end could take apart.
    const std::string hostile[] = {"tab\there",   "line\nfeed", "carriage\rreturn",
                                   "back\\slash", "\\x41",      std::string("bad\xff\xfeutf8"),
                                   "trailing\\",  "\x01\x7f"};
    for (const bool nul : {false, true}) {
        SCOPED_TRACE(nul ? "NUL-ended" : "escaped");
        FoundFileList found;
        for (const std::string& name : hostile) {
            found.paths.push_back("/src/" + name + "/" + name + ".jpg");
            found.squareSides.push_back(7);
            found.sizes.push_back(9);
        }
        TempFolder temp;
        std::string error;
        {
            const auto report = Report::Open(temp / "r", nul, error);
            ASSERT_TRUE(report) << error;
            report->Created("/dst/" + hostile[0]);
            report->Found(found);
            for (std::size_t i = 0; i + 1 < found.Count(); ++i) {
                report->Handled(Account(i, Outcome::Saved, "/dst/" + hostile[i], hostile[i]));
            }
            report->Stopped("interrupted");
        }
        const std::string text = ReadAll(temp / "r");
        const ReportRead read = ReadReport(text);
        EXPECT_EQ(read.nulTerminated, nul);
        EXPECT_FALSE(read.cutOff);
        EXPECT_FALSE(read.malformed);
        ASSERT_EQ(read.records.size(), found.Count() + 2);
        EXPECT_EQ(read.records[0].outcome, "created");
        EXPECT_EQ(read.records[0].destination, "/dst/" + hostile[0]);
        for (std::size_t i = 0; i + 1 < found.Count(); ++i) {
            const ReportRecordRead& r = read.records[i + 1];
            EXPECT_EQ(r.outcome, "saved");
            EXPECT_EQ(r.side, "7");
            EXPECT_EQ(r.bytes, "9");
            EXPECT_EQ(r.source, found.paths[i]);
            EXPECT_EQ(r.destination, "/dst/" + hostile[i]);
            EXPECT_EQ(r.reason, hostile[i]);
        }
        EXPECT_EQ(read.records[found.Count()].outcome, "not-reached");
        EXPECT_EQ(read.records.back().outcome, "stopped");
        EXPECT_EQ(read.records.back().reason, "interrupted");

        // Cut off inside its last record, as a kill while it was written leaves it.
        const ReportRead cut = ReadReport(text.substr(0, text.size() - 4));
        EXPECT_TRUE(cut.cutOff);
        EXPECT_EQ(cut.records.size(), read.records.size() - 1);
    }
}

TEST(ReportReader, ARecordThatIsNotOursStopsTheReading) {
    const struct {
        const char* text;
        std::size_t read;
        std::size_t malformed;
    } cases[] = {
        {"saved\t1\t2\t/a\t/b\t\nsaved\t1\t2\t/a\n", 1, 2},  // too few fields
        {"saved\t1\t2\t/a\t/b\t\t\n", 0, 1},                 // too many
        {"saved\t1\t2\t/a\\q\t/b\t\n", 0, 1},                // no such escape
        {"saved\t1\t2\t/a\\x4\t/b\t\n", 0, 1},               // half an escape
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const ReportRead read = ReadReport(c.text);
        EXPECT_EQ(read.records.size(), c.read);
        EXPECT_EQ(read.malformed, c.malformed);
    }
}

}  // namespace
}  // namespace tessel::cli

// job/run_report.h: the figures and texts of a run, as pure functions, so that the worker,
// the window and the tessel command agree on every number and every byte: the duplicate
// count, the progress arithmetic, KByte, and the status compositions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "job/extraction_job.h"

namespace tessel {

// Counts found files whose name repeats the name of an earlier one, one file at a time,
// in list order. Names compare exactly, case included; a name met k times adds k - 1.
// Keeps views of the paths: they must outlive the counter. An open-addressing table of
// 8-byte slots: a million names take well under a second and little memory beyond them.
class DuplicateNameCounter {
public:
    explicit DuplicateNameCounter(std::size_t expected = 0);
    // Adds one path; true when its name was met before.
    bool Add(std::string_view path);

private:
    struct Slot {
        std::uint32_t hash = 0;
        std::uint32_t name = 0;  // index into names_ + 1; 0 for an empty slot
    };
    void Grow();

    std::vector<Slot> slots_;
    std::vector<std::string_view> names_;
};

// Progress over a run: a double accumulator, published cut toward zero. Half of what is left
// after the search goes to the duplicate phase, half to the copy phase, one step per file.
// The steps are added one by one, as the window did: five files end at 99, not 100.
class RunProgress {
public:
    explicit RunProgress(double start) : accumulator_(start) {}
    // Sets the step for `count` files; with no files no step is ever added.
    void SetFileCount(std::size_t count) {
        step_ = count == 0 ? 0.0 : (100.0 - accumulator_) / (2.0 * static_cast<double>(count));
    }
    void Advance() { accumulator_ += step_; }
    std::int32_t Percent() const { return static_cast<std::int32_t>(accumulator_); }

private:
    double accumulator_;
    double step_ = 0.0;
};

// Whole KiB of a total, exactly (no single-precision rounding, no 32-bit wrap).
inline std::uint64_t KiloBytes(std::uint64_t totalBytes) {
    return totalBytes / 1024;
}

// Step 4 of a run: what the status text becomes when the calculation starts. Of the text
// (at most its first 1022 bytes) the first strlen(StatusCalculating) + 1 bytes are dropped,
// and the calculating line is appended. Bytes of TextCodePage, as the window counted them
// (job/status_text.h).
std::string CalculatingStatus(std::string_view current);

struct SummaryFigures {
    std::uint64_t count = 0;
    std::uint64_t totalBytes = 0;
    std::uint64_t duplicates = 0;
    ThresholdMode thresholdMode = ThresholdMode::None;
    std::int32_t bound = 0;
};

// The four summary lines; the last one by threshold mode (an automatic bound of 0 reads as
// the failed automatic setting, a manual bound is shown whatever it is).
std::string FormatSummary(const SummaryFigures& figures);

// The texts below are UTF-8, paths whole, and cut at StatusTextLimit bytes of TextCodePage
// (job/status_text.h).

// The status while copying: the summary, a blank line, the copying line, the path.
std::string FormatCopyStatus(std::string_view summary, std::string_view lastTakenPath);

// The run's final text: the summary, the saved count, a blank line, the closing line.
std::string FormatFinalText(std::string_view summary, std::uint64_t savedCount);

// What the log keeps of a run once it has ended or been aborted: "直前の処理", a line of 40
// hyphens, the source folder, then the run's last status text, cut to StatusTextLimit.
std::string FormatPreviousRun(std::string_view sourceFolder, std::string_view lastStatus);

}  // namespace tessel

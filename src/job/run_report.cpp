#include "job/run_report.h"

#include <cstring>

#include "files/code_page.h"
#include "files/os/file_system.h"
#include "job/status_text.h"
#include "job/texts.h"

namespace tessel {

std::string_view NameOfPath(std::string_view path) {
    const auto separator = FindLastChar(path, os::PathSeparator, os::NativeCodePage);
    return separator ? path.substr(*separator + 1) : path;
}

std::size_t CountDuplicateNames(std::span<const std::string> paths) {
    DuplicateNameCounter counter(paths.size());
    std::size_t duplicates = 0;
    for (const std::string& path : paths) duplicates += counter.Add(path) ? 1 : 0;
    return duplicates;
}

std::int32_t MeanSide(std::int64_t sumSides, std::size_t count) {
    if (count == 0) return 0;
    const double mean = static_cast<double>(sumSides) / static_cast<double>(count);
    return static_cast<std::int32_t>(static_cast<float>(mean));
}

std::string CalculatingStatus(std::string_view current) {
    const std::size_t dropped = std::strlen(text::StatusCalculating) + 1;
    std::string next(current.substr(0, StatusTextLimit - 1));
    next.erase(0, std::min(dropped, next.size()));
    next += text::StatusCalculating;
    return next;
}

std::string FormatSummary(const SummaryFigures& f) {
    const char* format = text::SummaryNoBound;
    if (f.thresholdMode == ThresholdAuto) {
        format = f.bound == 0 ? text::SummaryAutoFailed : text::SummaryAutoBound;
    } else if (f.thresholdMode == ThresholdManual) {
        format = text::SummaryManualBound;
    }
    // The bound goes out as the window printed it, a 32-bit unsigned number.
    const auto bound = static_cast<std::uint32_t>(f.bound);
    return ComposeText(format,
                       {f.count, '\r', '\n', KiloBytes(f.totalBytes), '\r', '\n', f.duplicates,
                        '\r', '\n', bound, bound},
                       StatusTextLimit);
}

std::string FormatCopyStatus(std::string_view summary, std::string_view lastTakenPath) {
    return ComposeText(text::StatusCopying,
                       {summary, '\r', '\n', '\r', '\n', '\r', '\n', lastTakenPath},
                       StatusTextLimit);
}

std::string FormatFinalText(std::string_view summary, std::uint64_t savedCount) {
    return ComposeText(text::StatusFinished,
                       {summary, '\r', '\n', savedCount, '\r', '\n', '\r', '\n'}, StatusTextLimit);
}

}  // namespace tessel

#include "job/run_report.h"

#include "files/code_page.h"
#include "files/os/file_system.h"
#include "files/os/path_parts.h"
#include "job/status_text.h"
#include "job/texts.h"

namespace tessel {

namespace {

std::uint32_t HashName(std::string_view name) {
    std::uint64_t h = 0xcbf29ce484222325u;  // FNV-1a, folded to 32 bits
    for (const char c : name) h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
    return static_cast<std::uint32_t>(h ^ (h >> 32));
}

}  // namespace

DuplicateNameCounter::DuplicateNameCounter(std::size_t expected) {
    std::size_t capacity = 16;
    while (capacity < expected * 2) capacity *= 2;
    slots_.resize(capacity);
    names_.reserve(expected);
}

bool DuplicateNameCounter::Add(std::string_view path) {
    const std::string_view name = os::NameOfPath(path);
    const std::uint32_t hash = HashName(name);
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (slot.name == 0) {
            names_.push_back(name);
            slot = {hash, static_cast<std::uint32_t>(names_.size())};
            if (names_.size() * 2 > slots_.size()) Grow();
            return false;
        }
        if (slot.hash == hash && names_[slot.name - 1] == name) return true;
    }
}

void DuplicateNameCounter::Grow() {
    std::vector<Slot> old(slots_.size() * 2);
    old.swap(slots_);
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& s : old) {
        if (s.name == 0) continue;
        std::size_t i = s.hash & mask;
        while (slots_[i].name != 0) i = (i + 1) & mask;
        slots_[i] = s;
    }
}

std::string CalculatingStatus(std::string_view current) {
    const std::size_t dropped = ShownSize(text::StatusCalculating, TextCodePage) + 1;
    std::string next(current.substr(0, ShownPrefix(current, StatusTextLimit - 1, TextCodePage)));
    const std::size_t size = ShownSize(next, TextCodePage);
    next.erase(0,
               next.size() - ShownSuffix(next, size > dropped ? size - dropped : 0, TextCodePage));
    next += text::StatusCalculating;
    return next;
}

std::string FormatSummary(const SummaryFigures& f) {
    const char* format = text::SummaryNoBound;
    switch (f.thresholdMode) {
        case ThresholdMode::None: break;
        case ThresholdMode::Auto:
            format = f.bound == 0 ? text::SummaryAutoFailed : text::SummaryAutoBound;
            break;
        case ThresholdMode::Manual: format = text::SummaryManualBound; break;
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

std::string FormatPreviousRun(std::string_view sourceFolder, std::string_view lastStatus) {
    return ComposeText(text::PreviousRun,
                       {'\r', '\n', '\r', '\n', sourceFolder, '\r', '\n', lastStatus},
                       StatusTextLimit);
}

}  // namespace tessel

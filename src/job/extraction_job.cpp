#include "job/extraction_job.h"

namespace tessel {

std::uint32_t OptionsWord(DuplicateMode duplicates, ThresholdMode threshold) {
    std::uint32_t word = 0;
    switch (duplicates) {
        case DuplicateMode::Numbered: word |= Numbered; break;
        case DuplicateMode::Overwrite: word |= Overwrite; break;
        case DuplicateMode::SeparateFolder: word |= SeparateFolder; break;
    }
    switch (threshold) {
        case ThresholdMode::None: word |= ThresholdNone; break;
        case ThresholdMode::Auto: word |= ThresholdAuto; break;
        case ThresholdMode::Manual: word |= ThresholdManual; break;
    }
    return word;
}

std::optional<DuplicateMode> DuplicateModeOf(std::uint32_t options) {
    switch (options & (Numbered | Overwrite | SeparateFolder)) {
        case Numbered: return DuplicateMode::Numbered;
        case Overwrite: return DuplicateMode::Overwrite;
        case SeparateFolder: return DuplicateMode::SeparateFolder;
    }
    return std::nullopt;
}

ThresholdMode ThresholdModeOf(std::uint32_t options) {
    switch (options & (ThresholdNone | ThresholdAuto | ThresholdManual)) {
        case ThresholdAuto: return ThresholdMode::Auto;
        case ThresholdManual: return ThresholdMode::Manual;
    }
    return ThresholdMode::None;
}

}  // namespace tessel

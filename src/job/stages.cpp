#include "job/stages.h"

#include <algorithm>

namespace tessel {

FoundFileList Search(const std::string& source, const std::string& extensionList,
                     const SearchPlan& plan,
                     const std::function<void(const std::string& folder, std::size_t folders,
                                              std::size_t files)>& entered,
                     const std::stop_token& stop, WorkerState& calls) {
    FoundFileList found;
    InCall listing(calls, source);
    ScanHooks hooks;
    hooks.stop = stop;
    hooks.measure = plan.measure;
    hooks.inFlight = plan.inFlight;
    std::size_t folders = 0;
    hooks.folderEntered = [&](const std::string& folder) {
        listing.About(folder);
        if (entered) entered(folder, ++folders, found.Count());
    };
    ScanFolder(source, extensionList, found, hooks);
    return found;
}

std::optional<Tally> TallyFound(const FoundFileList& found, RunProgress& progress,
                                const std::function<bool(std::int32_t percent)>& percent,
                                const std::stop_token& stop) {
    Tally tally;
    tally.count = found.Count();
    tally.totalBytes = found.totalBytes;
    for (const std::int32_t side : found.squareSides) {
        tally.sumSides += side;
        tally.maxSide = std::max(tally.maxSide, side);
    }
    progress.SetFileCount(found.Count());
    DuplicateNameCounter names(found.Count());
    for (const std::string& path : found.paths) {
        if (stop.stop_requested()) return std::nullopt;
        if (names.Add(path)) ++tally.duplicates;
        const std::int32_t shown = progress.Percent();
        progress.Advance();
        // Storing the same percentage again would show nothing new.
        if (progress.Percent() != shown && percent && !percent(progress.Percent())) {
            return std::nullopt;
        }
    }
    return tally;
}

std::optional<std::int32_t> ChooseBound(ThresholdMode mode, const FoundFileList& found,
                                        const Tally& tally, const AskBound& ask) {
    if (mode == ThresholdMode::None) return 0;
    SideHistogram histogram(static_cast<std::size_t>(tally.maxSide) + 1, 0);
    BuildSideHistogram(histogram, found.squareSides, tally.maxSide);
    const std::int32_t proposal = ComputeAutoBound(
        histogram, tally.maxSide, MeanSide(tally.sumSides, static_cast<std::size_t>(tally.count)));
    if (mode == ThresholdMode::Auto) return proposal;
    return ask(histogram, tally.maxSide, proposal);
}

}  // namespace tessel

// cli/run.cpp: the run in the order a user sees it: the folders are checked (and a missing
// destination made), the job record is filled from the command line, the loop drives the
// worker to its end or to a stop, and the final text is printed.
#include "cli/run.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/console.h"
#include "cli/folder_argument.h"
#include "cli/listing.h"
#include "cli/messages.h"
#include "cli/progress_line.h"
#include "cli/report.h"
#include "cli/texts.h"
#include "cli/undo.h"
#include "job/run_monitor.h"
#include "job/run_request.h"
#include "job/texts.h"

namespace tessel::cli {
namespace {

using namespace std::chrono_literals;

struct RunFolders {
    std::string source;
    std::string destination;
    bool destinationMade = false;  // its missing last level was made for the run
};

// The destination by the run request's rule. Without a terminal there is nobody to ask, and
// no answer means no. A dry run creates nothing and so asks nothing.
bool AcceptDestinationFor(const CommandLine& command, const std::string& destination, bool& made) {
    if (command.dryRun) return AcceptDestinationWithoutCreating(destination);
    bool asked = false;
    const bool accepted = AcceptDestination(destination, [&] {
        asked = command.yes ||
                (InputIsInteractive() && AskYesNo(tessel::text::CreateDestinationQuestion));
        return asked;
    });
    made = accepted && asked;
    return accepted;
}

// The two folders, or nothing when one is refused (its message printed): the source first,
// as the window checks them.
std::optional<RunFolders> AcceptFolders(const CommandLine& command) {
    RunFolders folders{FolderArgument(command.source, false),
                       FolderArgument(command.destination, true)};
    if (!IsValidSourceFolder(folders.source)) {
        PrintError(AsShown(tessel::text::SourceFolderInvalid), TextCodePage);
        return std::nullopt;
    }
    if (!AcceptDestinationFor(command, folders.destination, folders.destinationMade)) {
        PrintError(AsShown(tessel::text::DestinationFolderInvalid), TextCodePage);
        return std::nullopt;
    }
    return folders;
}

RunSettings SettingsFor(const CommandLine& command, RunFolders folders) {
    RunSettings settings;
    settings.options = OptionsWord(command.duplicates, command.thresholdMode);
    settings.sourceFolder = std::move(folders.source);
    settings.destinationFolder = std::move(folders.destination);
    settings.extensionList = MakeExtensionList(command.extensions);
    return settings;
}

// What the run tells beyond the record, and where it goes: --list's records (printed after
// the run, before its final text), the report's, and the progress line's figures. Every part
// must outlive the worker.
struct RunListeners {
    std::string listing;
    std::unique_ptr<Report> report;
    RunFigures figures;
    std::vector<std::uint64_t> sizes;  // of the found files, for the bytes done
    std::atomic<bool> destinationGone{false};
    std::vector<bool> measured;      // of the found files, for the files of no known size
    std::size_t leftOutUnknown = 0;  // of those, the ones the bound left out
};

// The dry run, the options beyond the window's, and the hooks that feed `listeners`.
RunExtras ExtrasFor(const CommandLine& command, RunListeners& listeners) {
    RunExtras extras;
    extras.dryRun = command.dryRun;
    extras.sizesShown = command.list || command.report.has_value();
    extras.jobs = command.jobs;
    extras.sameContent = command.sameContent;
    extras.move = command.move;
    extras.verify = command.verify;
    extras.foundFilesHook = [&listeners, list = command.list,
                             nul = command.nul](const FoundFileList& found) {
        if (list) {
            for (std::size_t i = 0; i < found.Count(); ++i) {
                listeners.listing +=
                    ListingRecord(found.squareSides[i], found.sizes[i], found.paths[i], nul);
            }
        }
        if (listeners.report) listeners.report->Found(found);
        listeners.sizes = found.sizes;
        listeners.measured = found.measured;
        listeners.figures.found = found.Count();
    };
    extras.searchProgress = [&figures = listeners.figures](std::size_t folders, std::size_t files) {
        figures.folders = folders;
        figures.found = files;
    };
    extras.copiesStarting = [&figures = listeners.figures](std::size_t files, std::uint64_t bytes) {
        figures.filesToDo = files;
        figures.bytesToDo = bytes;
        figures.copying = true;
    };
    extras.fileHandled = [&listeners](const FileAccount& account) {
        if (listeners.report) listeners.report->Handled(account);
        if (account.outcome == Outcome::BelowBound && account.index < listeners.measured.size() &&
            !listeners.measured[account.index]) {
            ++listeners.leftOutUnknown;
        }
        if (!WasHandled(account.outcome)) return;
        ++listeners.figures.filesDone;
        if (account.index < listeners.sizes.size()) {
            listeners.figures.bytesDone += listeners.sizes[account.index];
        }
    };
    extras.destinationGone = [&listeners](const std::string&) { listeners.destinationGone = true; };
    return extras;
}

bool IsStopRequest(StopRequests::Event event) {
    return event == StopRequests::Event::Interrupted || event == StopRequests::Event::Terminated;
}

// After Ctrl-C or a request to end, the run is stopped, but a copy or listing inside a call
// that the system has not returned (a disk that stopped answering) ends only when the call
// returns, and the process with it: even _exit waits for such a read. Until then the command
// says what it waits for, from a second on, and answers each further Ctrl-C by saying again
// that it is stopping. A console that is being closed gives the process seconds only: after
// a short grace it ends without the worker, and the system removes the temporary file.
void WaitForTheStoppedRun(RunMonitor& monitor, StopRequests& stops, StopRequests::Event event,
                          Report* report) {
    PrintError(text::Stopping);
    const auto stopped = std::chrono::steady_clock::now();
    bool named = false;
    while (!monitor.WaitForWorkers(50ms)) {
        const auto waited = std::chrono::steady_clock::now() - stopped;
        if (!named && waited >= 1s) {
            for (const std::string& call : monitor.CallsWaitedFor()) {
                PrintError(text::Fill(text::WaitingForCall, {call}));
            }
            named = true;
        }
        if (event == StopRequests::Event::Terminated && waited >= 2s && GraceEndsTheProcess()) {
            if (report) report->Stopped(text::StoppedByRequest);
            stops.Stopped();
            EndProcessNow(Terminated);
        }
        if (IsStopRequest(stops.Wait(50ms))) {
            PrintError(text::Stopping);
            named = false;
        }
    }
    PrintError(text::Stopped);
}

// How the loop left the run: its exit code, and with Finished the worker's final text.
struct RunEnd {
    int exitCode;
    std::string finalText;
};

// The window's 200 ms timer as a loop: each look at the record answers a bound request
// (--threshold=N plays the threshold dialog: the answer is there at once) and draws the bar;
// between looks the loop waits for the run's end or a stop request.
RunEnd DriveRun(const CommandLine& command, RunSettings settings, RunExtras extras,
                StopRequests& stops, RunListeners& listeners) {
    RunMonitor monitor;
    monitor.Start(std::move(settings), std::move(extras));
    ProgressLine line(!command.quiet && ErrorIsInteractive());
    Report* const report = listeners.report.get();
    for (;;) {
        JobTick tick = monitor.Tick();
        if (tick.ended) {
            line.Clear();
            if (tick.outOfMemory) {
                if (report) report->Stopped(text::StoppedByMemory);
                PrintError(text::OutOfMemory);
                return {OutOfMemory, {}};
            }
            if (listeners.destinationGone) {
                if (report) report->Stopped(text::StoppedByDestinationGone);
                PrintError(text::Fill(text::DestinationWentAway, {command.destination}));
                return {DestinationGone, {}};
            }
            return {Finished, std::move(tick.statusText)};
        }
        if (tick.question) monitor.AnswerBound(tick.question->serial, command.manualBound);
        line.Draw(listeners.figures, std::chrono::steady_clock::now());
        // Ten looks a second: the line is redrawn at most that often.
        const StopRequests::Event event = stops.Wait(100ms);
        if (IsStopRequest(event)) {
            monitor.Abort();
            line.Clear();
            WaitForTheStoppedRun(monitor, stops, event, report);
            // The stopped worker has told its last file: the rest was never reached.
            const bool interrupted = event == StopRequests::Event::Interrupted;
            if (report) {
                report->Stopped(interrupted ? text::StoppedByInterrupt : text::StoppedByRequest);
            }
            stops.Stopped();
            return {interrupted ? Interrupted : Terminated, {}};
        }
    }
}

void PrintFinalOutput(std::string_view listing, std::string_view finalText) {
    Write(Stream::Out, listing, CodePage::Utf8);
    Write(Stream::Out, AsShown(WithLineFeeds(finalText)) + "\n", TextCodePage);
}

}  // namespace

int Run(const CommandLine& command) {
    std::optional<RunFolders> folders = AcceptFolders(command);
    if (!folders) return InvalidFolder;
    const bool destinationMade = folders->destinationMade;
    RunSettings settings = SettingsFor(command, std::move(*folders));
    RunListeners listeners;
    if (command.report) {
        std::string error;
        listeners.report = Report::Open(*command.report, command.nul, error);
        if (!listeners.report) {
            PrintError(error);
            return InvalidFolder;
        }
        if (destinationMade) listeners.report->Created(settings.destinationFolder);
    }
    RunExtras extras = ExtrasFor(command, listeners);

    // A file-size limit must fail the one copy that passes it, not end the process in the
    // middle of the run.
    LetCopiesFailAtTheFileSizeLimit();
    // Ctrl-C (and a plain kill) must not end the process under a half-made copy.
    StopRequests stops;
    extras.runEnded = stops.EndNotice();

    const RunEnd end = DriveRun(command, std::move(settings), std::move(extras), stops, listeners);
    std::string error;
    const bool reportWhole = !listeners.report || listeners.report->Whole(error);
    if (!reportWhole) PrintError(error);
    if (end.exitCode != Finished) return end.exitCode;
    PrintFinalOutput(listeners.listing, end.finalText);
    if (listeners.leftOutUnknown > 0) PrintError(LeftOutUnknownNote(listeners.leftOutUnknown));
    return reportWhole ? Finished : ReportIncomplete;
}

int Main(int argc, char** argv) {
    const std::vector<std::string> arguments = Arguments(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
    const ParseResult parsed = ParseCommandLine(static_cast<int>(pointers.size()), pointers.data());
    if (!parsed.command) {
        PrintError(parsed.error);
        Write(Stream::Err, text::TryHelp, CodePage::Utf8);
        return UsageError;
    }
    if (parsed.command->help) {
        Write(Stream::Out, UsageText(), CodePage::Utf8);
        return Finished;
    }
    if (parsed.command->version) {
        Write(Stream::Out, text::VersionLine, CodePage::Utf8);
        return Finished;
    }
    if (parsed.command->undo) return Undo(*parsed.command);
    return Run(*parsed.command);
}

}  // namespace tessel::cli

// cli/run.cpp: the run in the order a user sees it: the folders are checked (and a missing
// destination made), the job record is filled from the command line, the loop drives the
// worker to its end or to a stop, and the final text is printed.
#include "cli/run.h"

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "cli/console.h"
#include "cli/folder_argument.h"
#include "cli/listing.h"
#include "cli/messages.h"
#include "cli/progress_bar.h"
#include "cli/texts.h"
#include "job/extraction_job.h"
#include "job/run_monitor.h"
#include "job/run_request.h"
#include "job/texts.h"
#include "job/worker.h"

namespace tessel::cli {
namespace {

using namespace std::chrono_literals;

struct RunFolders {
    std::string source;
    std::string destination;
};

// The destination by the run request's rule. Without a terminal there is nobody to ask, and
// no answer means no. A dry run creates nothing and so asks nothing.
bool AcceptDestinationFor(const CommandLine& command, const std::string& destination) {
    if (command.dryRun) return AcceptDestinationWithoutCreating(destination);
    return AcceptDestination(destination, [&command] {
        return command.yes ||
               (InputIsInteractive() && AskYesNo(tessel::text::CreateDestinationQuestion));
    });
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
    if (!AcceptDestinationFor(command, folders.destination)) {
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

// The dry run, and --list's records collected into `listing` (printed after the run, before
// its final text). `listing` must outlive the worker.
RunExtras ExtrasFor(const CommandLine& command, std::string& listing) {
    RunExtras extras;
    extras.dryRun = command.dryRun;
    if (command.list) {
        extras.foundFilesHook = [&listing, nul = command.nul](const FoundFileList& found) {
            for (std::size_t i = 0; i < found.Count(); ++i) {
                listing += ListingRecord(found.squareSides[i], found.sizes[i], found.paths[i], nul);
            }
        };
    }
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
void WaitForTheStoppedRun(ExtractionJob& job, StopRequests& stops, StopRequests::Event event) {
    PrintError(text::Stopping);
    const auto stopped = std::chrono::steady_clock::now();
    bool named = false;
    while (!WaitForStoppedWorkers(job, 50ms)) {
        const auto waited = std::chrono::steady_clock::now() - stopped;
        if (!named && waited >= 1s) {
            for (const std::string& call : StoppedWorkerCalls(job)) {
                PrintError(text::Fill(text::WaitingForCall, {call}));
            }
            named = true;
        }
        if (event == StopRequests::Event::Terminated && waited >= 2s && GraceEndsTheProcess()) {
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
                StopRequests& stops) {
    ExtractionJob job;
    RunMonitor monitor(job);
    monitor.Start(std::move(settings), std::move(extras));
    ProgressBar bar(!command.quiet && ErrorIsInteractive());
    for (;;) {
        JobTick tick = monitor.Tick();
        if (tick.ended) {
            bar.Clear();
            if (tick.outOfMemory) {
                PrintError(text::OutOfMemory);
                return {OutOfMemory, {}};
            }
            return {Finished, std::move(tick.statusText)};
        }
        if (tick.question) monitor.AnswerBound(tick.question->serial, command.manualBound);
        bar.Draw(tick.progress);
        const StopRequests::Event event = stops.Wait(200ms);
        if (IsStopRequest(event)) {
            monitor.Abort();
            bar.Clear();
            WaitForTheStoppedRun(job, stops, event);
            stops.Stopped();
            return {event == StopRequests::Event::Interrupted ? Interrupted : Terminated, {}};
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
    RunSettings settings = SettingsFor(command, std::move(*folders));
    std::string listing;
    RunExtras extras = ExtrasFor(command, listing);

    // A file-size limit must fail the one copy that passes it, not end the process in the
    // middle of the run.
    LetCopiesFailAtTheFileSizeLimit();
    // Ctrl-C (and a plain kill) must not end the process under a half-made copy.
    StopRequests stops;
    extras.runEnded = stops.EndNotice();

    const RunEnd end = DriveRun(command, std::move(settings), std::move(extras), stops);
    if (end.exitCode != Finished) return end.exitCode;
    PrintFinalOutput(listing, end.finalText);
    return Finished;
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
    return Run(*parsed.command);
}

}  // namespace tessel::cli

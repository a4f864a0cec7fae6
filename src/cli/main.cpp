// cli/main.cpp: the tessel command, on Linux (tessel) and in the Windows console
// (tessel.com). It checks the folders by the window's rules, fills the job record as the Run
// button does, starts the same worker, and then drives it as the window's 200 ms timer does:
// it answers a manual-bound request, shows the progress, and prints the run's final text.
// Ctrl-C stops the run like the Abort button. What differs between the platforms (the
// arguments' encoding, the output's code page, the terminal, the signals) is console.h's.
#include <chrono>
#include <new>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/version.h"
#include "cli/command_line.h"
#include "cli/console.h"
#include "cli/listing.h"
#include "files/code_page.h"
#include "files/os/file_system.h"
#include "job/extraction_job.h"
#include "job/run_monitor.h"
#include "job/run_request.h"
#include "job/texts.h"
#include "job/worker.h"

namespace tessel::cli {
namespace {

using namespace std::chrono_literals;

enum ExitCode {
    Finished = 0,
    UsageError = 1,
    InvalidFolder = 2,
    OutOfMemory = 3,
    Interrupted = 130,  // Ctrl-C, Ctrl-Break
    Terminated = 143,   // SIGTERM; the console closed, log-off, shut-down
};

// What the command says when memory runs out, in the worker or in its own loop. Files
// copied before stay, as after Ctrl-C; none is left half written.
constexpr char OutOfMemoryMessage[] = "out of memory: the run stopped before its end";
// After Ctrl-C or a request to end: at once, again at every further one, and at the end.
constexpr char StoppingMessage[] =
    "stopping: the files copied so far stay, the one under way is removed";
constexpr char StoppedMessage[] = "stopped: the run did not finish";

// The job's texts (UTF-8 status, UTF-16 messages) as the command has always shown them: in
// TextCodePage, so that on Windows they go through code page 932 and the console gets the
// bytes it always got. The command's own texts are ASCII, or UTF-8 where they quote an
// argument.
std::string AsShown(std::string_view jobText) {
    return InTextCodePage(jobText);
}
std::string AsShown(const char16_t* message) {
    return InTextCodePage(Utf16ToUtf8(message));
}

void PrintError(std::string_view message, CodePage cp = CodePage::Utf8) {
    Write(Stream::Err, "tessel: ", CodePage::Utf8);
    Write(Stream::Err, message, cp);
    Write(Stream::Err, "\n", CodePage::Utf8);
}

// A folder as the command takes it. On Windows "/" is a separator too. "out/" names the
// folder "out": the window's rule (a path ending in a separator is no folder) is about typed
// paths, and a shell's completion adds the separator for you. A bare name ("out") is a
// folder in the current one; the window never sees relative paths, and its rule would call
// every missing bare name invalid.
std::string FolderArgument(std::string path, bool bareNameIsRelative) {
    constexpr char separator = os::PathSeparator;
    if constexpr (separator == '\\') {
        for (char& c : path) {
            if (c == '/') c = '\\';
        }
    }
    while (path.size() > 1 && path.back() == separator) path.pop_back();
    const bool drive = separator == '\\' && path.find(':') != std::string::npos;
    if (bareNameIsRelative && path.find(separator) == std::string::npos && !drive) {
        path = std::string(".") + separator + path;
    }
    return path;
}

bool AskYesNo(const char16_t* question) {
    Write(Stream::Err, "tessel: ", CodePage::Utf8);
    Write(Stream::Err, AsShown(question), TextCodePage);
    Write(Stream::Err, " [y/N] ", CodePage::Utf8);
    const std::string answer = ReadLine();
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y');
}

// The destination by the run request's rule: an existing folder, or a missing last level
// under an existing folder, created after a yes. A dry run creates nothing and so asks
// nothing.
bool AcceptDestination(const CommandLine& command, const std::string& destination) {
    switch (CheckDestinationFolder(destination)) {
        case DestinationCheck::Exists: return true;
        case DestinationCheck::Invalid: return false;
        case DestinationCheck::Missing: break;
    }
    if (command.dryRun) return true;
    bool create = command.yes;
    // Without a terminal there is nobody to ask, and no answer means no.
    if (!create && InputIsInteractive()) create = AskYesNo(text::CreateDestinationQuestion);
    return create && CreateDestinationFolder(destination);
}

std::string WithLineFeeds(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

class ProgressBar {
public:
    explicit ProgressBar(bool shown) : shown_(shown) {}
    void Draw(int percent) {
        if (!shown_ || percent == drawn_) return;
        drawn_ = percent;
        constexpr int Width = 40;
        const int filled = percent * Width / 100;
        std::string bar = "\r[";
        bar.append(static_cast<std::size_t>(filled), '#');
        bar.append(static_cast<std::size_t>(Width - filled), '.');
        bar += "] " + std::to_string(percent) + "%";
        Write(Stream::Err, bar, CodePage::Utf8);
    }
    void Clear() {
        if (!shown_ || drawn_ < 0) return;
        Write(Stream::Err, WipeLine(), CodePage::Utf8);
        drawn_ = -1;
    }

private:
    bool shown_;
    int drawn_ = -1;
};

// After Ctrl-C or a request to end, the run is stopped, but a copy or listing inside a call
// that the system has not returned (a disk that stopped answering) ends only when the call
// returns, and the process with it: even _exit waits for such a read. Until then the command
// says what it waits for, from a second on, and answers each further Ctrl-C by saying again
// that it is stopping. A console that is being closed gives the process seconds only: after
// a short grace it ends without the worker, and the system removes the temporary file.
void WaitForTheStoppedRun(ExtractionJob& job, StopRequests& stops, StopRequests::Event event) {
    PrintError(StoppingMessage);
    const auto stopped = std::chrono::steady_clock::now();
    bool named = false;
    while (!WaitForStoppedWorkers(job, 50ms)) {
        const auto waited = std::chrono::steady_clock::now() - stopped;
        if (!named && waited >= 1s) {
            for (const std::string& call : StoppedWorkerCalls(job)) {
                PrintError("waiting for the system to return from " + call);
            }
            named = true;
        }
        if (event == StopRequests::Event::Terminated && waited >= 2s && GraceEndsTheProcess()) {
            stops.Stopped();
            EndProcessNow(Terminated);
        }
        const StopRequests::Event again = stops.Wait(50ms);
        if (again == StopRequests::Event::Interrupted || again == StopRequests::Event::Terminated) {
            PrintError(StoppingMessage);
            named = false;
        }
    }
    PrintError(StoppedMessage);
}

int Run(const CommandLine& command) {
    const std::string source = FolderArgument(command.source, false);
    const std::string destination = FolderArgument(command.destination, true);

    if (!IsValidSourceFolder(source)) {
        PrintError(AsShown(text::SourceFolderInvalid), TextCodePage);
        return InvalidFolder;
    }
    if (!AcceptDestination(command, destination)) {
        PrintError(AsShown(text::DestinationFolderInvalid), TextCodePage);
        return InvalidFolder;
    }

    RunSettings settings;
    settings.options = OptionsWord(command.duplicates, command.thresholdMode);
    settings.sourceFolder = source;
    settings.destinationFolder = destination;
    settings.extensionList = MakeExtensionList(command.extensions);
    RunExtras extras;
    extras.dryRun = command.dryRun;
    std::string listing;
    if (command.list) {
        extras.foundFilesHook = [&listing, nul = command.nul](const FoundFileList& found) {
            for (std::size_t i = 0; i < found.Count(); ++i) {
                listing += ListingRecord(found.squareSides[i], found.sizes[i], found.paths[i], nul);
            }
        };
    }

    // A file-size limit must fail the one copy that passes it, not end the process in the
    // middle of the run.
    LetCopiesFailAtTheFileSizeLimit();

    // Ctrl-C (and a plain kill) must not end the process under a half-made copy.
    StopRequests stops;
    extras.runEnded = stops.EndNotice();

    ExtractionJob job;
    RunMonitor monitor(job);
    monitor.Start(std::move(settings), std::move(extras));
    ProgressBar bar(!command.quiet && ErrorIsInteractive());
    std::string finalText;
    for (;;) {
        JobTick tick = monitor.Tick();
        if (tick.ended) {
            bar.Clear();
            if (tick.outOfMemory) {
                PrintError(OutOfMemoryMessage);
                return OutOfMemory;
            }
            finalText = std::move(tick.statusText);
            break;
        }
        // --threshold=N plays the threshold dialog: the answer is there at once.
        if (tick.question) monitor.AnswerBound(tick.question->serial, command.manualBound);
        bar.Draw(tick.progress);
        const StopRequests::Event event = stops.Wait(200ms);
        if (event == StopRequests::Event::Interrupted || event == StopRequests::Event::Terminated) {
            monitor.Abort();
            bar.Clear();
            WaitForTheStoppedRun(job, stops, event);
            stops.Stopped();
            return event == StopRequests::Event::Interrupted ? Interrupted : Terminated;
        }
    }

    Write(Stream::Out, listing, CodePage::Utf8);
    Write(Stream::Out, AsShown(WithLineFeeds(finalText)) + "\n", TextCodePage);
    return Finished;
}

int Main(int argc, char** argv) {
    const std::vector<std::string> arguments = Arguments(argc, argv);
    std::vector<const char*> pointers;
    for (const std::string& argument : arguments) pointers.push_back(argument.c_str());
    const ParseResult parsed = ParseCommandLine(static_cast<int>(pointers.size()), pointers.data());
    if (!parsed.command) {
        PrintError(parsed.error);
        Write(Stream::Err, "Try 'tessel --help' for more information.\n", CodePage::Utf8);
        return UsageError;
    }
    if (parsed.command->help) {
        Write(Stream::Out, UsageText(), CodePage::Utf8);
        return Finished;
    }
    if (parsed.command->version) {
        Write(Stream::Out, "tessel " TESSEL_VERSION_STRING "\n", CodePage::Utf8);
        return Finished;
    }
    return Run(*parsed.command);
}

}  // namespace
}  // namespace tessel::cli

int main(int argc, char** argv) {
    try {
        return tessel::cli::Main(argc, argv);
    } catch (const std::bad_alloc&) {
        // Run's monitor has stopped the worker on the way out.
        tessel::cli::PrintError(tessel::cli::OutOfMemoryMessage);
        return tessel::cli::OutOfMemory;
    }
}

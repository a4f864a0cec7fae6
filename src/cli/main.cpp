// cli/main.cpp: the tessel command. It checks the folders by the window's rules, fills the
// job record as the Run button does, starts the same worker, and then drives it as the
// window's 200 ms timer does: it answers a manual-bound request, shows the progress, and
// prints the run's final text. Ctrl-C stops the run like the Abort button.
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "base/version.h"
#include "cli/command_line.h"
#include "cli/listing.h"
#include "job/extraction_job.h"
#include "job/run_monitor.h"
#include "job/run_request.h"
#include "job/texts.h"

namespace tessel::cli {
namespace {

enum ExitCode {
    Finished = 0,
    UsageError = 1,
    InvalidFolder = 2,
    OutOfMemory = 3,
    Interrupted = 130,
};

// What the command says when memory runs out, in the worker or in its own loop. Files
// copied before stay, as after Ctrl-C; none is left half written.
constexpr char OutOfMemoryMessage[] = "out of memory: the run stopped before its end";

void PrintError(std::string_view message) {
    std::fprintf(stderr, "tessel: %.*s\n", static_cast<int>(message.size()), message.data());
}

// "out/" names the folder "out": the window's rule (a path ending in a separator is no
// folder) is about typed Windows paths, and a shell's completion adds the "/" for you.
std::string WithoutTrailingSeparators(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

bool AskYesNo(const char* question) {
    std::fprintf(stderr, "tessel: %s [y/N] ", question);
    std::fflush(stderr);
    char answer[64] = {};
    if (!std::fgets(answer, sizeof answer, stdin)) return false;
    return answer[0] == 'y' || answer[0] == 'Y';
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
    if (!create && ::isatty(STDIN_FILENO)) create = AskYesNo(text::CreateDestinationQuestion);
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
        std::fputs(bar.c_str(), stderr);
        std::fflush(stderr);
    }
    void Clear() {
        if (!shown_ || drawn_ < 0) return;
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        drawn_ = -1;
    }

private:
    bool shown_;
    int drawn_ = -1;
};

int Run(const CommandLine& command) {
    const std::string source = WithoutTrailingSeparators(command.source);
    std::string destination = WithoutTrailingSeparators(command.destination);
    // A bare name is a folder in the current one; the window never sees relative paths,
    // and its rule would call every missing bare name invalid.
    if (destination.find('/') == std::string::npos) destination = "./" + destination;

    if (!IsValidSourceFolder(source)) {
        PrintError(text::SourceFolderInvalid);
        return InvalidFolder;
    }
    if (!AcceptDestination(command, destination)) {
        PrintError(text::DestinationFolderInvalid);
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

    // A file-size limit (ulimit -f) must fail the one copy that passes it, with EFBIG, not
    // end the process with SIGXFSZ in the middle of the run.
    ::signal(SIGXFSZ, SIG_IGN);

    // Ctrl-C (and a plain kill) must not end the process under a half-made copy: the
    // signals are taken synchronously by this loop, and the worker, started after the
    // mask is set, inherits it. SIGUSR1 is the worker's word that the run has ended, so
    // the loop need not sleep out its 200 ms.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    extras.runEnded = [] { ::kill(::getpid(), SIGUSR1); };

    ExtractionJob job;
    RunMonitor monitor(job);
    monitor.Start(std::move(settings), std::move(extras));
    ProgressBar bar(!command.quiet && ::isatty(STDERR_FILENO));
    std::string finalText;
    for (;;) {
        JobTick tick = monitor.Tick();
        if (tick.ended) {
            if (tick.outOfMemory) {
                bar.Clear();
                PrintError(OutOfMemoryMessage);
                return OutOfMemory;
            }
            finalText = std::move(tick.statusText);
            break;
        }
        // --threshold=N plays the threshold dialog: the answer is there at once.
        if (tick.question) monitor.AnswerBound(tick.question->serial, command.manualBound);
        bar.Draw(tick.progress);
        const timespec period{0, 200'000'000};
        const int signal = sigtimedwait(&signals, nullptr, &period);
        if (signal == SIGINT || signal == SIGTERM) {
            monitor.Abort();
            bar.Clear();
            return signal == SIGINT ? Interrupted : 128 + SIGTERM;
        }
    }
    bar.Clear();

    std::fwrite(listing.data(), 1, listing.size(), stdout);
    std::printf("%s\n", WithLineFeeds(finalText).c_str());
    return Finished;
}

}  // namespace
}  // namespace tessel::cli

int main(int argc, char** argv) {
    using namespace tessel::cli;
    const ParseResult parsed = ParseCommandLine(argc, argv);
    if (!parsed.command) {
        PrintError(parsed.error);
        std::fputs("Try 'tessel --help' for more information.\n", stderr);
        return UsageError;
    }
    if (parsed.command->help) {
        std::fputs(UsageText().c_str(), stdout);
        return Finished;
    }
    if (parsed.command->version) {
        std::puts("tessel " TESSEL_VERSION_STRING);
        return Finished;
    }
    try {
        return Run(*parsed.command);
    } catch (const std::bad_alloc&) {
        // Run's monitor has stopped the worker on the way out.
        PrintError(OutOfMemoryMessage);
        return OutOfMemory;
    }
}

// cli/run.h: the tessel command, on Linux (tessel) and in the Windows console (tessel.com).
// It checks the folders by the window's rules, fills the job record as the Run button does,
// starts the same worker, and then drives it as the window's 200 ms timer does: it answers a
// manual-bound request, shows the progress, and prints the run's final text. Ctrl-C stops
// the run like the Abort button. What differs between the platforms (the arguments'
// encoding, the output's code page, the terminal, the signals) is console.h's.
#pragma once

#include "cli/command_line.h"

namespace tessel::cli {

enum ExitCode {
    Finished = 0,
    UsageError = 1,
    InvalidFolder = 2,
    OutOfMemory = 3,
    ReportIncomplete = 4,  // the run finished, but not every record of --report went out
    DestinationGone = 5,   // the destination folder went away mid-run: the run ended there
    NotAllUndone = 6,      // --undo left something as the run had made it
    Interrupted = 130,     // Ctrl-C, Ctrl-Break
    Terminated = 143,      // SIGTERM; the console closed, log-off, shut-down
};

// The whole command: its arguments read, --help, --version or a run; the exit code. Memory
// that runs out in its own loop reaches the caller as std::bad_alloc, with the worker
// stopped.
int Main(int argc, char** argv);

// One run as `command` asks, from the folders' check to the final text.
int Run(const CommandLine& command);

}  // namespace tessel::cli

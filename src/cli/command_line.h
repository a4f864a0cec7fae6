// cli/command_line.h: what the tessel command was asked to do. Parsing only: no file is
// looked at here. The options are taken as getopt_long takes them: anywhere among the
// operands, short ones bundled (-yq) or with their value attached (-kimages), long ones with
// "=value" or the value as the next argument, abbreviated to any unambiguous prefix, and
// "--" ending them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "files/copy_planner.h"
#include "job/extraction_job.h"

namespace tessel::cli {

struct CommandLine {
    std::string extensions;  // the typed list, without the outer commas
    // Whether a lower bound may be asked for: not for archives, as in the window. A typed list
    // may (the window's own list may not): it is how HEIC or RAW files are picked.
    bool boundAllowed = true;
    DuplicateMode duplicates = DuplicateMode::Numbered;
    ThresholdMode thresholdMode = ThresholdMode::None;
    std::int32_t manualBound = 0;  // the answer to the worker's request in manual mode
    bool yes = false;
    bool dryRun = false;
    bool list = false;
    bool nul = false;  // --null: the records of --list and --report end with NUL, paths raw
    // --report: the file that hears what became of each found file, "-" for standard output.
    std::optional<std::string> report;
    bool sameContent = false;  // --same-content: bytes that stand in the destination are not copied
    bool move = false;         // --move: a source file goes once its copy stands whole
    bool verify = false;       // --verify: each copy is read back and compared
    // --undo: the report of the run to put back; no run then, and no folders.
    std::optional<std::string> undo;
    // --jobs: how many calls to the file system the run keeps in flight; 0: the disk decides.
    std::size_t jobs = 0;
    bool quiet = false;
    bool help = false;
    bool version = false;
    std::string source;
    std::string destination;
};

struct ParseResult {
    std::optional<CommandLine> command;
    std::string error;  // set when `command` is empty: what was wrong, in one line (the first
                        // fault found, without the "tessel: " before it)
};

ParseResult ParseCommandLine(int argc, const char* const* argv);

// The text of --help.
std::string UsageText();

}  // namespace tessel::cli

// cli/console.h: what the tessel command needs of the terminal or console it runs in, and
// of the ways a user stops it. console_posix.cpp: a terminal and the signals SIGINT and
// SIGTERM. console_win32.cpp: the Windows console, its code pages and
// SetConsoleCtrlHandler. main.cpp is the same for both.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "files/code_page.h"

namespace tessel::cli {

// The command's arguments in UTF-8, the program's name first. On Windows they come from the
// wide command line, so folder names that no code page has arrive whole.
std::vector<std::string> Arguments(int argc, char** argv);

enum class Stream { Out, Err };

// Writes `text`, whose code page is `from`, for whoever reads the stream: unchanged on
// POSIX; on Windows in the console's output code page, with "?" for what it lacks (the ANSI
// code page when there is no console).
void Write(Stream stream, std::string_view text, CodePage from);

// Standard input is a terminal or console: someone can answer a question there.
bool InputIsInteractive();
// Standard error is a terminal or console: a progress bar can be drawn there.
bool ErrorIsInteractive();

// One line typed at the terminal or console, in UTF-8; empty when none comes.
std::string ReadLine();

// A file-size limit (ulimit -f) fails the one copy that passes it, with EFBIG, and does not
// end the process with SIGXFSZ in the middle of the run. Windows has no such signal.
void LetCopiesFailAtTheFileSizeLimit();

// Ctrl-C and termination, taken over while a run goes on, so that the process never ends
// under a half-made copy: the command's loop hears of them and stops the run like the Abort
// button. Make one before the worker starts (on POSIX its threads inherit the signal mask).
class StopRequests {
public:
    enum class Event { Tick, Ended, Interrupted, Terminated };

    StopRequests();
    ~StopRequests();
    StopRequests(const StopRequests&) = delete;
    StopRequests& operator=(const StopRequests&) = delete;

    // For the worker's end of the run (RunExtras::runEnded): wakes Wait at once. Any thread
    // may call it.
    std::function<void()> EndNotice() const;
    // Waits at most `period` for the end of the run (Ended), Ctrl-C or Ctrl-Break
    // (Interrupted), or a request to end the process: SIGTERM, the console being closed,
    // log-off or shut-down (Terminated). Tick when nothing came.
    Event Wait(std::chrono::milliseconds period);
    // The run is stopped and nothing partial is left: on Windows a closing console may end
    // the process now.
    void Stopped();
};

// Whether a request to end the process (Terminated) comes with a deadline of the system's,
// so that the command must end after a short grace even while a stopped copy waits for a
// call: Windows ends a process whose console is closed seconds after telling it. SIGTERM
// has none: the command waits for the call.
bool GraceEndsTheProcess();
// Ends the process with `code` at once, without waiting for its other threads.
[[noreturn]] void EndProcessNow(int code);

}  // namespace tessel::cli

// cli/console_posix.cpp: the terminal and the signals. Texts go out as they are (UTF-8).
// Ctrl-C (SIGINT) and SIGTERM are blocked and taken synchronously by the command's loop, and
// the worker, started after the mask is set, inherits it; SIGUSR1 is the worker's word that
// the run has ended, so the loop need not sleep out its tick.
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "cli/console.h"

namespace tessel::cli {
namespace {

sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    return signals;
}

}  // namespace

std::vector<std::string> Arguments(int argc, char** argv) {
    return std::vector<std::string>(argv, argv + argc);
}

void Write(Stream stream, std::string_view text, CodePage) {
    std::FILE* out = stream == Stream::Out ? stdout : stderr;
    std::fwrite(text.data(), 1, text.size(), out);
    if (stream == Stream::Err) std::fflush(out);
}

bool InputIsInteractive() {
    return ::isatty(STDIN_FILENO) != 0;
}

bool ErrorIsInteractive() {
    return ::isatty(STDERR_FILENO) != 0;
}

std::string ReadLine() {
    char answer[64] = {};
    if (!std::fgets(answer, sizeof answer, stdin)) return {};
    return answer;
}

void LetCopiesFailAtTheFileSizeLimit() {
    ::signal(SIGXFSZ, SIG_IGN);
}

StopRequests::StopRequests() {
    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

// The mask stays: the worker's SIGUSR1 may still be pending, and unblocked it would end the
// process. The command returns right after.
StopRequests::~StopRequests() = default;

std::function<void()> StopRequests::EndNotice() const {
    return [] { ::kill(::getpid(), SIGUSR1); };
}

StopRequests::Event StopRequests::Wait(std::chrono::milliseconds period) {
    const sigset_t signals = StopSignals();
    const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(period).count();
    const timespec timeout{static_cast<time_t>(nanoseconds / 1'000'000'000),
                           static_cast<long>(nanoseconds % 1'000'000'000)};
    switch (sigtimedwait(&signals, nullptr, &timeout)) {
        case SIGINT: return Event::Interrupted;
        case SIGTERM: return Event::Terminated;
        case SIGUSR1: return Event::Ended;
        default: return Event::Tick;
    }
}

void StopRequests::Stopped() {}

bool GraceEndsTheProcess() {
    return false;
}

void EndProcessNow(int code) {
    ::_exit(code);
}

}  // namespace tessel::cli

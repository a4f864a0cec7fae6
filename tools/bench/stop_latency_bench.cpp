// tools/bench/stop_latency_bench.cpp: how soon the worker gives way to the front end, the
// figures behind "Abort, Ctrl-C and close return within 200 ms": the worker's end after a
// manual bound is answered (its wait wakes, rather than looking again a second later),
// the stop while the bound is asked, the stop while the copy is held mid-file (the tests'
// gate, which lets the copy go when the stop comes, as a disk would answer late), and the
// Abort while the copy's read is held and not let go at all, as on a disk that stopped
// answering (the abort does not wait for the call).
// Median and worst of a number of rounds each. Not a test: nothing here passes or fails.
//
//   stop_latency_bench [rounds]     (default 20)
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "job/run_monitor.h"
#include "job/run_request.h"
#include "support/io_gate.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using tessel::JobTick;
using tessel::RunMonitor;

double Milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// Ticks as the window's timer would, but faster, until the worker asks for its bound.
JobTick WaitForQuestion(RunMonitor& monitor) {
    for (;;) {
        JobTick tick = monitor.Tick();
        if (tick.question || tick.ended) return tick;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

tessel::RunSettings Settings(const std::string& root, tessel::ThresholdMode threshold,
                             const char* extensions) {
    return {tessel::OptionsWord(tessel::DuplicateMode::Numbered, threshold), root + "/src",
            root + "/dst", tessel::MakeExtensionList(extensions)};
}

void Print(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    const std::size_t n = ms.size();
    const double median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    std::printf("%-34s median %7.3f ms, worst %7.3f ms (%zu rounds; target <= 200 ms)\n", what,
                median, ms.back(), n);
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 20;
    if (rounds < 1) {
        std::fputs("usage: stop_latency_bench [rounds]\n", stderr);
        return 2;
    }
    std::string root = (fs::temp_directory_path() / "tessel-stop-XXXXXX").string();
    if (::mkdtemp(root.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    fs::create_directories(root + "/src");
    fs::create_directories(root + "/dst");
    std::ofstream(root + "/src/a.jpg") << "not really a picture";
    { std::ofstream create(root + "/src/big.bin"); }
    fs::resize_file(root + "/src/big.bin", std::uint64_t{64} << 20);  // sparse: no disk used

    std::vector<double> answered, stoppedAsked, stoppedHeld, abortedStuck;
    for (int r = 0; r < rounds; ++r) {
        // (a) From the answer to the worker's last word, `running` back at 0.
        {
            RunMonitor monitor;
            tessel::RunExtras extras;
            extras.dryRun = true;
            Clock::time_point ended;
            extras.runEnded = [&ended] { ended = Clock::now(); };
            monitor.Start(Settings(root, tessel::ThresholdMode::Manual, "jpg"), extras);
            const JobTick asked = WaitForQuestion(monitor);
            if (!asked.question) return 1;
            const auto start = Clock::now();
            monitor.AnswerBound(asked.question->serial, 0);
            if (!monitor.WaitForWorkers(std::chrono::seconds(60))) return 1;  // `ended` is seen
            answered.push_back(Milliseconds(ended - start));
        }
        // (b) The stop while the question is open.
        {
            RunMonitor monitor;
            monitor.Start(Settings(root, tessel::ThresholdMode::Manual, "jpg"));
            if (!WaitForQuestion(monitor).question) return 1;
            const auto start = Clock::now();
            monitor.Stop();
            stoppedAsked.push_back(Milliseconds(Clock::now() - start));
        }
        // (c) The stop while the copy waits 1 MiB into its file.
        {
            RunMonitor monitor;
            tessel::test::IoGate gate(tessel::os::IoStep::CopyChunk, "big.bin", 1 << 20);
            monitor.Start(Settings(root, tessel::ThresholdMode::None, "bin"));
            if (!gate.WaitUntilHeld()) return 1;
            gate.ReleaseOnStop(monitor.WorkerStop());
            const auto start = Clock::now();
            monitor.Stop();
            stoppedHeld.push_back(Milliseconds(Clock::now() - start));
        }
        // (d) RunMonitor::Abort while the copy's read does not return.
        {
            RunMonitor monitor;
            tessel::test::IoGate gate(tessel::os::IoStep::CopyChunk, "big.bin", 1 << 20);
            monitor.Start(Settings(root, tessel::ThresholdMode::None, "bin"));
            if (!gate.WaitUntilHeld()) return 1;
            const auto start = Clock::now();
            if (!monitor.Abort()) return 1;
            abortedStuck.push_back(Milliseconds(Clock::now() - start));
            gate.Release();
            if (!monitor.WaitForWorkers(std::chrono::seconds(60))) return 1;
        }
    }
    Print("answer -> the worker's end", answered);
    Print("stop while the bound is asked", stoppedAsked);
    Print("stop while a copy is held mid-file", stoppedHeld);
    Print("abort while a read does not return", abortedStuck);
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return 0;
}

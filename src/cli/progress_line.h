// cli/progress_line.h: the line on standard error that says how far the run is and how long
// it will take: in the search the files found and folders read, in the copies the files and
// bytes done of those to do, the rate and the time left. Only on a terminal; redrawn at most
// ten times a second, and wiped at the end.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>

namespace tessel::cli {

// What the run has told so far. The worker's hooks write it, the command's loop reads it.
struct RunFigures {
    std::atomic<std::size_t> folders{0};
    std::atomic<std::size_t> found{0};
    std::atomic<bool> copying{false};
    std::atomic<std::size_t> filesDone{0};
    std::atomic<std::size_t> filesToDo{0};
    std::atomic<std::uint64_t> bytesDone{0};
    std::atomic<std::uint64_t> bytesToDo{0};
};

// A snapshot of the figures, and how long the copies have been going.
struct ProgressShown {
    std::size_t folders = 0;
    std::size_t found = 0;
    bool copying = false;
    std::size_t filesDone = 0;
    std::size_t filesToDo = 0;
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesToDo = 0;
    std::chrono::milliseconds copyTime{0};
};

// "1,234" for 1234.
std::string Grouped(std::uint64_t value);
// "0 B", "512 B", "1.5 KiB", "23.4 MiB", "1.2 GiB": three significant figures at most.
std::string ByteSize(std::uint64_t bytes);
// "0:07", "12:34", "1:02:03".
std::string Duration(std::chrono::seconds time);

// The line's text: "searching: 1,234 files found in 56 folders", or "copying: 120/5,000
// files, 1.2 GiB of 8.0 GiB, 85.3 MiB/s, 1:23 left" (rate and time left once there is a
// second's worth to go by).
std::string ProgressText(const ProgressShown& shown);

class ProgressLine {
public:
    explicit ProgressLine(bool shown) : shown_(shown) {}
    // Draws the figures unless the last drawing is less than a tenth of a second old or
    // shows the same text.
    void Draw(const RunFigures& figures, std::chrono::steady_clock::time_point now);
    // Draws `text`, by the same rule.
    void DrawText(std::string text, std::chrono::steady_clock::time_point now);
    // Wipes the line (nothing when none was drawn).
    void Clear();

private:
    bool shown_;
    std::size_t width_ = 0;  // of the text on show
    std::string drawn_;
    std::chrono::steady_clock::time_point lastDraw_{};
    std::chrono::steady_clock::time_point copiesBegan_{};
    bool began_ = false;
};

}  // namespace tessel::cli

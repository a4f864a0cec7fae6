#include "cli/progress_line.h"

#include <cstdio>

#include "cli/console.h"
#include "cli/texts.h"

namespace tessel::cli {

using namespace std::chrono_literals;

std::string Grouped(std::uint64_t value) {
    std::string digits = std::to_string(value);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return digits;
}

std::string ByteSize(std::uint64_t bytes) {
    if (bytes < 1024) return std::to_string(bytes) + " B";
    static constexpr const char* Units[] = {"KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    double value = static_cast<double>(bytes) / 1024.0;
    std::size_t unit = 0;
    while (value >= 1024.0 && unit + 1 < std::size(Units)) {
        value /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, value < 100.0 ? "%.1f %s" : "%.0f %s", value, Units[unit]);
    return text;
}

std::string Duration(std::chrono::seconds time) {
    const long long total = time.count();
    const long long hours = total / 3600;
    const long long minutes = total / 60 % 60;
    const long long seconds = total % 60;
    char text[48];
    if (hours > 0) {
        std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", hours, minutes, seconds);
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", minutes, seconds);
    }
    return text;
}

std::string ProgressText(const ProgressShown& shown) {
    if (!shown.copying) {
        return text::Fill(
            text::ProgressSearching,
            {Grouped(shown.found), shown.found == 1 ? text::FileWord : text::FilesWord,
             Grouped(shown.folders), shown.folders == 1 ? text::FolderWord : text::FoldersWord});
    }
    std::string line =
        text::Fill(text::ProgressCopying, {Grouped(shown.filesDone), Grouped(shown.filesToDo),
                                           ByteSize(shown.bytesDone), ByteSize(shown.bytesToDo)});
    if (shown.copyTime >= 1s && shown.bytesDone > 0) {
        const double seconds = std::chrono::duration<double>(shown.copyTime).count();
        const double rate = static_cast<double>(shown.bytesDone) / seconds;
        const std::uint64_t left =
            shown.bytesToDo > shown.bytesDone ? shown.bytesToDo - shown.bytesDone : 0;
        line += text::Fill(text::ProgressRate,
                           {ByteSize(static_cast<std::uint64_t>(rate)),
                            Duration(std::chrono::seconds(
                                static_cast<long long>(static_cast<double>(left) / rate + 0.5)))});
    }
    return line;
}

void ProgressLine::Draw(const RunFigures& figures, std::chrono::steady_clock::time_point now) {
    if (!shown_) return;
    if (!drawn_.empty() && now - lastDraw_ < 100ms) return;
    ProgressShown shown;
    shown.folders = figures.folders.load();
    shown.found = figures.found.load();
    shown.copying = figures.copying.load();
    if (shown.copying) {
        if (!began_) {
            began_ = true;
            copiesBegan_ = now;
        }
        shown.filesDone = figures.filesDone.load();
        shown.filesToDo = figures.filesToDo.load();
        shown.bytesDone = figures.bytesDone.load();
        shown.bytesToDo = figures.bytesToDo.load();
        shown.copyTime = std::chrono::duration_cast<std::chrono::milliseconds>(now - copiesBegan_);
    }
    DrawText(ProgressText(shown), now);
}

void ProgressLine::DrawText(std::string text, std::chrono::steady_clock::time_point now) {
    if (!shown_) return;
    if (!drawn_.empty() && now - lastDraw_ < 100ms) return;
    if (text == drawn_) return;
    lastDraw_ = now;
    // Blanks over what is longer of the last text: not every console knows escape sequences.
    std::string line = "\r" + text;
    if (text.size() < width_) line.append(width_ - text.size(), ' ');
    width_ = text.size();
    drawn_ = std::move(text);
    Write(Stream::Err, line, CodePage::Utf8);
}

void ProgressLine::Clear() {
    if (!shown_ || drawn_.empty()) return;
    Write(Stream::Err, "\r" + std::string(width_, ' ') + "\r", CodePage::Utf8);
    drawn_.clear();
    width_ = 0;
}

}  // namespace tessel::cli

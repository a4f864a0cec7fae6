#include "cli/progress_bar.h"

#include <string>

#include "cli/console.h"

namespace tessel::cli {

void ProgressBar::Draw(int percent) {
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

void ProgressBar::Clear() {
    if (!shown_ || drawn_ < 0) return;
    Write(Stream::Err, WipeLine(), CodePage::Utf8);
    drawn_ = -1;
}

}  // namespace tessel::cli

// cli/progress_bar.h: the bar the command draws on standard error while a run goes on, on
// one line that it wipes before anything else is written there.
#pragma once

namespace tessel::cli {

class ProgressBar {
public:
    // `shown`: whether to draw at all (standard error is a terminal and no --quiet); a bar
    // that is not shown writes nothing.
    explicit ProgressBar(bool shown) : shown_(shown) {}

    // "[####....] 42%": written again only when the percent changed.
    void Draw(int percent);
    // Wipes the line the bar was drawn on, if one was drawn; the next Draw draws afresh.
    void Clear();

private:
    bool shown_;
    int drawn_ = -1;
};

}  // namespace tessel::cli

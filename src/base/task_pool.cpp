#include "base/task_pool.h"

namespace tessel {

TaskPool::TaskPool(std::size_t threads) {
    if (threads == 0) threads = 1;
    try {
        threads_.reserve(threads);
        for (std::size_t i = 0; i < threads; ++i) threads_.emplace_back([this] { Serve(); });
    } catch (...) {
        // No memory for another thread: the ones made go again before the failure goes on,
        // or their destructors would end the process.
        End();
        throw;
    }
}

TaskPool::~TaskPool() {
    End();
}

void TaskPool::End() {
    {
        std::scoped_lock hold(lock_);
        ending_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) thread.join();
    threads_.clear();
}

void TaskPool::ForEach(std::size_t count, const std::function<void(std::size_t)>& body,
                       std::size_t window) {
    if (window == 0) window = 2 * threads_.size();
    std::deque<std::future<void>> running;
    std::exception_ptr failure;
    const auto waitOldest = [&] {
        try {
            running.front().get();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
        running.pop_front();
    };
    for (std::size_t i = 0; i < count && !failure; ++i) {
        if (running.size() >= window) waitOldest();
        try {
            running.push_back(Submit([&body, i] { body(i); }));
        } catch (...) {
            failure = std::current_exception();
        }
    }
    // Every task refers to this frame: all must end before it goes, a failed one or not.
    while (!running.empty()) waitOldest();
    if (failure) std::rethrow_exception(failure);
}

void TaskPool::Push(std::function<void()> task) {
    {
        std::scoped_lock hold(lock_);
        queue_.push_back(std::move(task));
    }
    wake_.notify_one();
}

void TaskPool::Serve() {
    for (;;) {
        std::function<void()> task;
        {
            std::unique_lock hold(lock_);
            wake_.wait(hold, [&] { return ending_ || !queue_.empty(); });
            if (queue_.empty()) return;
            task = std::move(queue_.front());
            queue_.pop_front();
        }
        task();  // a packaged task keeps its own exception for its future
    }
}

}  // namespace tessel

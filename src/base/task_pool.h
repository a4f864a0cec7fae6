// base/task_pool.h: a fixed number of threads that run what they are given, in the order it
// was given, each task on whichever thread is free. The run keeps several calls to a slow disk
// in flight through one: a share that answers each call after milliseconds answers several at
// once as fast as one. The pool decides nothing: whoever submits takes the results back in the
// order the run needs them, so the run's decisions stay in scan order.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

namespace tessel {

class TaskPool {
public:
    // `threads` of at least 1.
    explicit TaskPool(std::size_t threads);
    // Runs what was submitted to its end (a task that should give up looks at its own stop
    // token), then joins the threads.
    ~TaskPool();
    TaskPool(const TaskPool&) = delete;
    TaskPool& operator=(const TaskPool&) = delete;

    std::size_t Threads() const { return threads_.size(); }

    // Runs `task` on one of the threads; its result (or its exception) comes through the future.
    template <typename Task>
    std::future<std::invoke_result_t<Task>> Submit(Task task) {
        using Result = std::invoke_result_t<Task>;
        auto packaged = std::make_shared<std::packaged_task<Result()>>(std::move(task));
        std::future<Result> result = packaged->get_future();
        Push([packaged] { (*packaged)(); });
        return result;
    }

    // Runs body(i) for every i below `count`, at most `window` (2 x the threads when 0) at a
    // time, and returns once every one has ended; the first exception one threw then comes
    // out here. Whatever `body` writes for its own i (a slot of a vector sized before) is in
    // the order of i, whatever order the threads took.
    void ForEach(std::size_t count, const std::function<void(std::size_t)>& body,
                 std::size_t window = 0);

private:
    void Push(std::function<void()> task);
    void Serve();
    void End();

    std::mutex lock_;
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
    bool ending_ = false;
    std::vector<std::thread> threads_;
};

}  // namespace tessel

#pragma once
// A few threads that run queued tasks, for the part of a copy that is one independent job per
// file. With no threads (one processor) tasks run at once on the submitting thread.
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace wincompat::fileop {

class TaskPool {
public:
    // The queue holds at most `depth` waiting tasks; submit blocks beyond that, which bounds memory.
    explicit TaskPool(unsigned threads, std::size_t depth = 64);
    ~TaskPool();
    TaskPool(const TaskPool&) = delete;
    TaskPool& operator=(const TaskPool&) = delete;

    void submit(std::function<void()> task);
    // Returns when every submitted task has finished.
    void drain();

    // Threads worth starting on this machine for file copies.
    static unsigned suitableThreads();

private:
    void work();

    std::mutex mutex_;
    std::condition_variable wake_, idle_, room_;
    std::deque<std::function<void()>> queue_;
    std::size_t depth_;
    unsigned running_ = 0;
    bool closing_ = false;
    std::vector<std::thread> threads_;
};

} // namespace wincompat::fileop

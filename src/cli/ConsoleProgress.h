#pragma once
// The copy's progress on a terminal: a bar on stderr while the job runs, the first failure for the
// message afterwards, and the totals done.
#include "platform/copyprogress.h"

#include <chrono>
#include <string>

class ConsoleProgress : public wincompat::CopyProgressSink {
public:
    explicit ConsoleProgress(bool bar) : bar_(bar) {}

    void started(const wincompat::CopyProgress&) override;
    void progressed(const wincompat::CopyProgress& p, const char*) override;
    void failed(const char* path, DWORD code) override;
    void finished(const wincompat::CopyProgress& p, DWORD) override;

    const std::string& firstPath() const { return firstPath_; }
    DWORD firstCode() const { return firstCode_; }
    // What the job had done when it finished.
    const wincompat::CopyProgress& done() const { return done_; }

private:
    using Clock = std::chrono::steady_clock;

    void draw(const wincompat::CopyProgress& p, Clock::time_point now);

    bool bar_;
    Clock::time_point start_ = Clock::now(), last_ = Clock::now();
    std::string firstPath_;
    DWORD firstCode_ = 0;
    wincompat::CopyProgress done_;
};

// Installs the sink for one run and takes it away again, also when an exception passes.
class SinkGuard {
public:
    explicit SinkGuard(wincompat::CopyProgressSink* sink) : previous_(wincompat::setCopyProgressSink(sink)) {}
    ~SinkGuard() { wincompat::setCopyProgressSink(previous_); }
    SinkGuard(const SinkGuard&) = delete;
    SinkGuard& operator=(const SinkGuard&) = delete;

private:
    wincompat::CopyProgressSink* previous_;
};

// The copy's worker asks its questions and reports its end through this queue. Under the race
// checker these tests also show that what a worker builds is seen whole on the window's thread.
#include "platform/gui/gui_thread_calls.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>

using wincompat::gui::GuiThreadCalls;

namespace {

// Handles events until the condition holds or ten seconds pass.
template <typename Condition>
bool runEventsUntil(Condition done)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < 10'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

} // namespace

TEST(GuiThreadCalls, EveryCallRunsOnceOnTheOwnersThreadInPostingOrder)
{
    GuiThreadCalls gui;
    const auto owner = std::this_thread::get_id();
    constexpr int kPerThread = 2000;
    std::vector<int> seen[2];
    int offThread = 0;
    std::vector<std::thread> posters;
    for (int t = 0; t < 2; ++t)
        posters.emplace_back([&, t] {
            for (int i = 0; i < kPerThread; ++i) {
                auto payload = std::make_unique<int>(i); // written on this thread, read on the owner's
                gui.post([&, t, p = std::shared_ptr<int>(std::move(payload))] {
                    if (std::this_thread::get_id() != owner)
                        ++offThread;
                    seen[t].push_back(*p);
                });
            }
        });
    // The calls are taken while they are still being posted, as a copy's window does.
    EXPECT_TRUE(runEventsUntil([&] { return seen[0].size() + seen[1].size() >= 2 * kPerThread; }));
    for (auto& poster : posters)
        poster.join();
    QCoreApplication::processEvents(); // late wake-ups find nothing left to run twice

    EXPECT_EQ(offThread, 0);
    for (const auto& calls : seen) {
        ASSERT_EQ(calls.size(), std::size_t(kPerThread));
        for (int i = 0; i < kPerThread; ++i)
            ASSERT_EQ(calls[i], i);
    }
}

TEST(GuiThreadCalls, ACallThatWaitsInItsOwnEventLoopDoesNotHoldBackTheNext)
{
    // A question box runs its own loop while the worker may post again; the queue must not be
    // locked while a call runs.
    GuiThreadCalls gui;
    bool secondRan = false;
    bool firstSawSecond = false;
    std::thread poster;
    gui.post([&] {
        poster = std::thread([&] { gui.post([&] { secondRan = true; }); });
        firstSawSecond = runEventsUntil([&] { return secondRan; });
    });
    EXPECT_TRUE(runEventsUntil([&] { return secondRan; }));
    poster.join();
    EXPECT_TRUE(firstSawSecond);
}

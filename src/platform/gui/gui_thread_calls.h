#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <future>
#include <mutex>

namespace wincompat::gui {

// Runs calls posted from worker threads on the thread this object lives on. The calls wait in a
// queue of our own, under a standard mutex, and only a bare wake-up goes through Qt's event queue:
// the closures then change threads under a lock the race checker can see, which Qt's own are not.
class GuiThreadCalls : public QObject {
    Q_OBJECT
public:
    // Any thread. The call runs when this object's thread next handles its events.
    void post(std::function<void()> call);

    // From any thread but this object's own, which would wait for itself: runs the call here and
    // hands back what it returns.
    template <typename Call> auto callAndWait(Call call)
    {
        std::promise<decltype(call())> result;
        post([&] { result.set_value(call()); });
        return result.get_future().get();
    }

private:
    Q_INVOKABLE void runPending();

    std::mutex mutex_;
    std::deque<std::function<void()>> pending_;
};

} // namespace wincompat::gui

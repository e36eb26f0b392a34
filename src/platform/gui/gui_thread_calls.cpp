#include "platform/gui/gui_thread_calls.h"

namespace wincompat::gui {

void GuiThreadCalls::post(std::function<void()> call)
{
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(std::move(call));
    }
    // Invoked by name so that nothing built on this thread is read on the other through Qt alone.
    QMetaObject::invokeMethod(this, "runPending", Qt::QueuedConnection);
}

void GuiThreadCalls::runPending()
{
    // One wake-up may find several calls, or none when an earlier wake-up took them.
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard lock(mutex_);
            if (pending_.empty())
                return;
            call = std::move(pending_.front());
            pending_.pop_front();
        }
        call();
    }
}

} // namespace wincompat::gui

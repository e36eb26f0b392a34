#include "platform/posix/copy_runner.h"

#include "platform/posix/confirm_dialog.h"
#include "platform/posix/copy_engine.h"
#include "platform/posix/error_dialog.h"
#include "platform/posix/gui_thread_calls.h"
#include "platform/posix/progress_dialog.h"
#include "platform/window.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <mutex>
#include <thread>

namespace wincompat::detail {
namespace {

struct SharedProgress {
    std::mutex mutex;
    CopyProgress progress;
    std::string current;
};

DWORD runWithWindows(const FileJob& job)
{
    QWidget* owner = job.owner ? widgetOf(job.owner)->window() : nullptr;
    std::atomic<bool> cancel{false};
    SharedProgress shared;
    GuiThreadCalls gui; // lives on this thread; the worker posts its questions and its end to it
    QPointer<ProgressDialog> dialog;

    JobCallbacks callbacks;
    callbacks.progress = [&shared](const CopyProgress& p, const std::string& current) {
        std::lock_guard lock(shared.mutex);
        shared.progress = p;
        shared.current = current;
    };
    std::atomic<bool> finishing{false};
    callbacks.committing = [&finishing] { finishing = true; };
    // Questions are asked over the progress window once it shows, else over the caller's window.
    auto parentWindow = [&]() -> QWidget* { return dialog ? static_cast<QWidget*>(dialog.data()) : owner; };
    callbacks.confirm = [&](const Question& question) {
        return gui.callAndWait(
            [&] { return ConfirmDialog::ask(parentWindow(), QString::fromStdString(job.title), question); });
    };
    if (!job.has(FOF_NOERRORUI)) {
        callbacks.askOnError = [&](const JobFailure& failure) {
            return gui.callAndWait([&] { return ErrorDialog::ask(parentWindow(), failure); });
        };
    }

    bool done = false;
    QEventLoop loop;
    DWORD result = ERROR_SUCCESS;
    std::thread worker([&] {
        result = runFileJobEngine(job, callbacks, cancel);
        gui.post([&] {
            done = true;
            loop.quit();
        });
    });

    // A blink first: a quick job shows no window at all. Meanwhile the caller's windows repaint but
    // take no input, as they would behind the modal progress window.
    QTimer blink;
    blink.setSingleShot(true);
    QObject::connect(&blink, &QTimer::timeout, &loop, &QEventLoop::quit);
    blink.start(kProgressDelayMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (!done) {
        QTimer refresh;
        if (!job.has(FOF_SILENT)) {
            dialog = new ProgressDialog(owner, QString::fromStdString(job.title), job.has(FOF_SIMPLEPROGRESS), cancel);
            auto update = [&] {
                std::lock_guard lock(shared.mutex);
                if (dialog && finishing)
                    dialog->showFinishing();
                else if (dialog)
                    dialog->showProgress(shared.progress, QString::fromStdString(shared.current));
            };
            update();
            QObject::connect(&refresh, &QTimer::timeout, &gui, update);
            refresh.start(100);
            dialog->show();
        }
        while (!done)
            loop.exec(dialog ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        refresh.stop();
        delete dialog.data();
    }
    worker.join();
    return result;
}

} // namespace

DWORD runFileJob(const FileJob& job)
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app != nullptr && QThread::currentThread() == app->thread())
        return runWithWindows(job);
    // No GUI to show anything in (a console tool, or a call off the GUI thread): no window, and since
    // nobody can be asked about a failure, the job stops at the first one.
    std::atomic<bool> cancel{false};
    return runFileJobEngine(job, JobCallbacks{}, cancel);
}

} // namespace wincompat::detail

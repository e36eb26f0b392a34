#include "platform/gui/copy/copy_runner.h"

#include "platform/gui/copy/confirm_dialog.h"
#include "platform/fileop/copy_engine.h"
#include "platform/gui/copy/error_dialog.h"
#include "platform/gui/gui_thread_calls.h"
#include "platform/gui/copy/progress_dialog.h"
#include "platform/window.h"
#include "platform/fileop/file_job_runner.h"

#include <QApplication>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <mutex>
#include <thread>

namespace wincompat::gui {
namespace {

struct SharedProgress {
    std::mutex mutex;
    CopyProgress progress;
    std::string current;
};

DWORD runWithWindows(const fileop::FileJob& job)
{
    QWidget* owner = job.owner ? widgetOf(job.owner)->window() : nullptr;
    std::atomic<bool> cancel{false};
    SharedProgress shared;
    GuiThreadCalls gui; // lives on this thread; the worker posts its questions and its end to it
    QPointer<ProgressDialog> dialog;

    fileop::JobCallbacks callbacks;
    callbacks.progress = [&shared](const CopyProgress& p, const std::string& current) {
        std::lock_guard lock(shared.mutex);
        shared.progress = p;
        shared.current = current;
    };
    std::atomic<bool> finishing{false};
    callbacks.committing = [&finishing] { finishing = true; };
    // Questions are asked over the progress window once it shows, else over the caller's window.
    auto parentWindow = [&]() -> QWidget* { return dialog ? static_cast<QWidget*>(dialog.data()) : owner; };
    callbacks.confirm = [&](const fileop::Question& question) {
        return gui.callAndWait(
            [&] { return ConfirmDialog::ask(parentWindow(), QString::fromStdString(job.title), question); });
    };
    if (!job.has(FOF_NOERRORUI)) {
        callbacks.askOnError = [&](const fileop::JobFailure& failure) {
            return gui.callAndWait([&] { return ErrorDialog::ask(parentWindow(), failure); });
        };
    }

    bool done = false;
    QEventLoop loop;
    DWORD result = ERROR_SUCCESS;
    std::thread worker([&] {
        result = fileop::executeFileJob(job, callbacks, cancel);
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

std::optional<DWORD> runFileJobWithWindows(const fileop::FileJob& job)
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (app == nullptr || QThread::currentThread() != app->thread())
        return std::nullopt;
    return runWithWindows(job);
}

} // namespace wincompat::gui

namespace wincompat {

void showFileOperationWindows()
{
    fileop::setWindowedJobRunner(&gui::runFileJobWithWindows);
}

} // namespace wincompat

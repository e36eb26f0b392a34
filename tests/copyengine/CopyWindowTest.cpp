// The windows of the operation, answered through the real dialogs on the offscreen platform.
#include "CopyFixture.h"
#include "support/Prerequisite.h"

#include "platform/copyprogress.h"
#include "platform/window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace {

// Slows the job down so that it outlasts the blink before the progress window: each file takes a while.
class SlowSink : public wincompat::CopyProgressSink {
public:
    explicit SlowSink(int msPerStep) : ms_(msPerStep) { previous_ = wincompat::setCopyProgressSink(this); }
    ~SlowSink() override { wincompat::setCopyProgressSink(previous_); }
    void progressed(const wincompat::CopyProgress&, const char*) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(ms_));
    }

private:
    int ms_;
    wincompat::CopyProgressSink* previous_;
};

QWidget* findWindow(const char* objectName)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == objectName && w->isVisible())
            return w;
    return nullptr;
}

// Runs `onTick` every few milliseconds on the GUI thread while the operation's loop runs.
class Watcher {
public:
    explicit Watcher(std::function<void()> onTick)
    {
        QObject::connect(&timer_, &QTimer::timeout, std::move(onTick));
        timer_.start(10);
    }

private:
    QTimer timer_;
};

// Every other file is large enough to be copied by a pool thread, so both paths meet the windows.
std::string content(const char* tag, int i) { return tag + std::to_string(i) + std::string(i % 2 ? 100000 : 0, '.'); }

void makeTree(const fs::path& src, const fs::path& dst, int files)
{
    for (int i = 0; i < files; ++i) {
        writeFile(src / "data" / ("f" + std::to_string(i)), content("new ", i));
        writeFile(dst / "data" / ("f" + std::to_string(i)), content("old ", i));
    }
    writeFile(src / "added" / "n", "new folder");
}

TEST(CopyWindows, ProgressWindowAppearsAfterABlinkTitledAndModalForTheOwner)
{
    TempDir t;
    makeTree(t / "u", t / "p", 30);
    QWidget owner;
    owner.show();
    SlowSink slow(40);

    QElapsedTimer clock;
    qint64 firstSeenMs = -1;
    QString title;
    bool ownedByOwner = false, windowModal = false, fileNameShown = true;
    Watcher watch([&] {
        QWidget* w = findWindow("fileOperationProgress");
        if (w == nullptr || firstSeenMs >= 0)
            return;
        firstSeenMs = clock.elapsed();
        title = w->windowTitle();
        ownedByOwner = w->parentWidget() == &owner;
        windowModal = w->windowModality() == Qt::WindowModal;
        auto* file = w->findChild<QLabel*>("currentFile");
        fileNameShown = file != nullptr && file->isVisible();
    });
    ShellRequest r;
    r.from = {(t / "u" / "*.*").string()};
    r.to = {(t / "p").string()};
    r.flags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_SIMPLEPROGRESS;
    r.owner = wincompat::handleOf(&owner);
    clock.start();
    EXPECT_EQ(runShell(r), 0);

    ASSERT_GE(firstSeenMs, 0) << "no progress window for a job of more than a second";
    EXPECT_GE(firstSeenMs, 450);
    EXPECT_EQ(title, "Updating Tallyrune ...");
    EXPECT_TRUE(ownedByOwner);
    EXPECT_TRUE(windowModal);
    EXPECT_FALSE(fileNameShown) << "simple progress shows no file names";
    EXPECT_EQ(findWindow("fileOperationProgress"), nullptr) << "the window closes with the job";
    EXPECT_EQ(readFile(t / "p" / "data" / "f7"), content("new ", 7));
}

TEST(CopyWindows, QuickOrSilentJobShowsNoWindow)
{
    TempDir t;
    makeTree(t / "u", t / "p", 3);
    bool seen = false;
    Watcher watch([&] { seen = seen || findWindow("fileOperationProgress") != nullptr; });
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(copyAll(t / "u", t / "p", 0), 0);
    // On a disk busy with other work even this copy's final sync can outlast the blink.
    if (clock.elapsed() < 400) {
        EXPECT_FALSE(seen);
    }

    SlowSink slow(300);
    ShellRequest r;
    r.from = {(t / "u" / "*.*").string()};
    r.to = {(t / "p").string()};
    r.flags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_SILENT;
    EXPECT_EQ(runShell(r), 0);
    EXPECT_FALSE(seen);
}

// Without FOF_NOCONFIRMATION each replacement is a question; No keeps the old file and is no failure.
TEST(CopyWindows, ReplaceConfirmationAsksPerFile)
{
    TempDir t;
    makeTree(t / "u", t / "p", 2);
    QStringList questions;
    Watcher watch([&] {
        QWidget* w = findWindow("fileOperationConfirm");
        if (w == nullptr)
            return;
        auto* box = qobject_cast<QMessageBox*>(w);
        questions << box->text();
        box->button(questions.size() == 1 ? QMessageBox::No : QMessageBox::Yes)->click();
    });
    ShellRequest r;
    r.from = {(t / "u" / "*.*").string()};
    r.to = {(t / "p").string()};
    r.flags = FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
    EXPECT_EQ(runShell(r), 0);
    ASSERT_EQ(questions.size(), 2) << "one question per existing file, none for new ones";
    EXPECT_TRUE(questions[0].contains("'f0'"));
    EXPECT_EQ(readFile(t / "p" / "data" / "f0"), content("old ", 0));
    EXPECT_EQ(readFile(t / "p" / "data" / "f1"), content("new ", 1));
    EXPECT_EQ(readFile(t / "p" / "added" / "n"), "new folder");
}

TEST(CopyWindows, CancelInTheProgressWindowLeavesTheProgramAsItWas)
{
    TempDir t;
    makeTree(t / "u", t / "p", 60);
    SlowSink slow(30);
    bool clicked = false;
    Watcher watch([&] {
        QWidget* w = findWindow("fileOperationProgress");
        if (w == nullptr || clicked)
            return;
        clicked = true;
        QTest::mouseClick(w->findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
    });
    ShellRequest r;
    r.from = {(t / "u" / "*.*").string()};
    r.to = {(t / "p").string()};
    r.flags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_SIMPLEPROGRESS;
    EXPECT_EQ(runShell(r), ERROR_CANCELLED);
    EXPECT_TRUE(clicked);
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(readFile(t / "p" / "data" / ("f" + std::to_string(i))), content("old ", i));
    EXPECT_FALSE(fs::exists(t / "p" / "added")) << "folders the job created go with it";
    EXPECT_TRUE(stagingLeftovers(t / "p").empty());
}

// Errors go to the job's own dialog: what failed, why, and Skip / Skip All / Cancel.
TEST(CopyWindows, ErrorDialogSkipGoesOnAndCancelUndoes)
{
    for (const char* answer : {"skipButton", "cancelButton"}) {
        SCOPED_TRACE(answer);
        TempDir t;
        makeTree(t / "u", t / "p", 2);
        ASSERT_EQ(::mkfifo((t / "u" / "data" / "f0x").c_str(), 0644), 0);
        QString message;
        QStringList buttons;
        Watcher watch([&] {
            QWidget* w = findWindow("fileOperationError");
            if (w == nullptr || !message.isEmpty())
                return;
            message = w->findChild<QLabel*>("message")->text();
            for (auto* b : w->findChildren<QPushButton*>())
                buttons << b->text();
            QTest::mouseClick(w->findChild<QPushButton*>(answer), Qt::LeftButton);
        });
        ShellRequest r;
        r.from = {(t / "u" / "*.*").string()};
        r.to = {(t / "p").string()};
        r.flags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_SIMPLEPROGRESS;
        const int rc = runShell(r);

        EXPECT_TRUE(message.contains("f0x")) << message.toStdString();
        EXPECT_TRUE(message.contains("The file cannot be accessed by the system.")) << message.toStdString();
        EXPECT_EQ(buttons, (QStringList{"Skip", "Skip All", "Cancel"}));
        if (std::string(answer) == "skipButton") {
            EXPECT_EQ(rc, ERROR_CANT_ACCESS_FILE) << "a skipped file still fails the job";
            EXPECT_EQ(readFile(t / "p" / "data" / "f1"), content("new ", 1));
            EXPECT_EQ(readFile(t / "p" / "added" / "n"), "new folder");
        } else {
            EXPECT_EQ(rc, ERROR_CANCELLED);
            EXPECT_EQ(readFile(t / "p" / "data" / "f1"), content("old ", 1));
        }
        EXPECT_FALSE(fs::exists(t / "p" / "data" / "f0x"));
        EXPECT_TRUE(stagingLeftovers(t / "p").empty());
    }
}

// Failures in files copied side by side reach one dialog at a time; Skip All answers the rest.
TEST(CopyWindows, SkipAllOnAFullDiskAnswersEveryLaterFailure)
{
    REQUIRE_PREREQUISITE(isRoot(), "needs root to mount a 1 MiB tmpfs as the full disk");
    TempDir t;
    ScopedTmpfs small(t / "p", "size=1m");
    ASSERT_TRUE(small.mounted()) << "cannot mount tmpfs";
    const std::string big(200000, 'N');
    for (int i = 0; i < 12; ++i) {
        writeFile(t / "u" / ("f" + std::to_string(i)), big);
        writeFile(t / "p" / ("f" + std::to_string(i)), "old");
    }
    int dialogs = 0;
    Watcher watch([&] {
        QWidget* w = findWindow("fileOperationError");
        if (w == nullptr || !w->isVisible())
            return;
        ++dialogs;
        QTest::mouseClick(w->findChild<QPushButton*>("skipAllButton"), Qt::LeftButton);
    });
    ShellRequest r;
    r.from = {(t / "u" / "*.*").string()};
    r.to = {(t / "p").string()};
    r.flags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_SIMPLEPROGRESS;
    EXPECT_EQ(runShell(r), ERROR_DISK_FULL);
    EXPECT_EQ(dialogs, 1);
    int replaced = 0;
    for (int i = 0; i < 12; ++i) {
        std::string bytes = readFile(t / "p" / ("f" + std::to_string(i)));
        EXPECT_TRUE(bytes == "old" || bytes == big) << "f" << i << " is torn";
        replaced += bytes == big;
    }
    EXPECT_GT(replaced, 0) << "what fitted is in place";
    EXPECT_LT(replaced, 12);
    EXPECT_TRUE(stagingLeftovers(t / "p").empty());
}

} // namespace

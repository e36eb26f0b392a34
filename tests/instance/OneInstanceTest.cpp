// The single-instance guard: the names of its mutexes, its reaction when another instance runs,
// and real starts of the utility and of windows holding a guard, one after another and at once.
#include "InstanceTestSupport.h"

#include "framework/TApplication.h"
#include "platform/mutex.h"
#include "platform/system.h"
#include "shell/TabfOneInstance.h"
#include "support/ModalScript.h"
#include "support/TempDir.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>

using instance_test::HelperProcess;
using namespace std::chrono_literals;

namespace {

const std::string utilityMessage = "Update Utility is already running. You can only run one instance of this program.";

class Guard : public ::testing::Test {
protected:
    void SetUp() override
    {
        TApplication::Instance().Reset();
        TApplication::Instance().SetTitle("Update Utility");
    }
    void TearDown() override
    {
        TApplication::Instance().Reset();
    }

    // Another process that holds the named mutex as the running instance does.
    std::unique_ptr<HelperProcess> holdElsewhere(const std::string& name)
    {
        auto holder = std::make_unique<HelperProcess>(
            "hold", instance_test::Environment{{"HELPER_NAME", name}, {"HELPER_OWN", "1"}});
        EXPECT_EQ(holder->waitForLine("HELD"), "HELD handle=1 exists=0");
        return holder;
    }

    instance_test::PrivateRuntimeDir runtime;
    ScopedCompatRoot root;
};

// Records the order of the reactions instead of showing or activating anything.
class RecordingGuard : public TabfOneInstance {
public:
    using TabfOneInstance::TabfOneInstance;
    std::vector<std::string> steps;

protected:
    bool ActivatePrevWindow() override
    {
        steps.push_back("activate");
        return false;
    }
    void ShowRunningMessage() override
    {
        steps.push_back("message");
        TabfOneInstance::ShowRunningMessage();
    }
};

// Answers the modal boxes that appear while it lives with their OK button and keeps what the
// last one showed.
class BoxAnswerer {
public:
    BoxAnswerer()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr)
                return;
            caption = box->windowTitle().toStdString();
            text = box->text().toStdString();
            icon = box->icon();
            buttons.clear();
            for (QAbstractButton* b : box->buttons())
                buttons.push_back(b->objectName().toStdString());
            for (QAbstractButton* b : box->buttons())
                if (b->objectName() == "OK")
                    b->click();
        });
        timer_.start(20);
    }

    std::string caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    std::vector<std::string> buttons;

private:
    QTimer timer_;
};

} // namespace

TEST_F(Guard, MutexNamesComeFromTheTitleOrTheExecutable)
{
    TabfOneInstance guard(nullptr);
    EXPECT_EQ(guard.LockMutexName(), "Update Utility.OneInstance.CriticalSection");
    EXPECT_EQ(guard.InstanceMutexName(), "Update Utility.OneInstance.Default");

    TApplication::Instance().SetTitle("C:\\POS\\Till");
    guard.SetIdentifier("\\Shop 2");
    EXPECT_EQ(guard.InstanceMutexName(), "C:/POS/Till/Shop 2.OneInstance.Default");

    guard.SetExeNameAsIdentifier(true);
    guard.SetIdentifier("");
    std::string exe = TApplication::Instance().ExeName();
    ASSERT_FALSE(exe.empty());
    for (char& c : exe)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(guard.LockMutexName(), exe + ".OneInstance.CriticalSection");
}

TEST_F(Guard, StoredPropertiesAndDefaults)
{
    TabfOneInstance guard(nullptr);
    EXPECT_TRUE(guard.ActivatePrevInstance());
    EXPECT_FALSE(guard.ExeNameAsIdentifier());
    EXPECT_FALSE(guard.ShowMessage());
    EXPECT_TRUE(guard.Message().empty());
    EXPECT_TRUE(guard.Identifier().empty());
    EXPECT_FALSE(guard.TerminateFlag());
    guard.ReadProperty("Message", utilityMessage);
    guard.ReadProperty("ShowMessage", "True");
    guard.ReadProperty("ActivatePrevInstance", "False");
    guard.ReadProperty("ExeNameAsIdentifier", "True");
    guard.ReadProperty("Identifier", "X");
    EXPECT_EQ(guard.Message(), utilityMessage);
    EXPECT_TRUE(guard.ShowMessage());
    EXPECT_FALSE(guard.ActivatePrevInstance());
    EXPECT_TRUE(guard.ExeNameAsIdentifier());
    EXPECT_EQ(guard.Identifier(), "X");
    EXPECT_THROW(guard.ReadProperty("ShowMessage", "yes"), std::exception);
    EXPECT_THROW(guard.ReadProperty("Unknown", "1"), std::exception);
}

TEST_F(Guard, TheFirstCheckTakesTheInstanceAndChangesNothingElse)
{
    TabfOneInstance guard(nullptr);
    EXPECT_FALSE(guard.CheckPrevInstance());
    EXPECT_FALSE(guard.TerminateFlag());
    EXPECT_TRUE(TApplication::Instance().ShowMainForm());
    EXPECT_FALSE(TApplication::Instance().Terminated());
    ASSERT_NE(InstanceMutexHandle(), nullptr);

    // Held by this process now: another process sees it running, and the lock given back.
    HelperProcess probe("hold", {{"HELPER_NAME", guard.InstanceMutexName()}, {"HELPER_WAIT", "1"}});
    EXPECT_EQ(probe.waitForLine("HELD"), "HELD handle=1 exists=1 wait=258");
    HelperProcess lockProbe("hold", {{"HELPER_NAME", guard.LockMutexName()}});
    EXPECT_EQ(lockProbe.waitForLine("HELD"), "HELD handle=1 exists=0");
}

TEST_F(Guard, AtDesignTimeNoMutexIsTouched)
{
    TabfOneInstance guard(nullptr);
    guard.SetDesigning(true);
    auto holder = holdElsewhere("Update Utility.OneInstance.Default");
    EXPECT_FALSE(guard.PrevInstanceRunning());
    EXPECT_FALSE(guard.CheckPrevInstance());
    // The lock was never created, so a check elsewhere would find it new.
    HelperProcess lockProbe("hold", {{"HELPER_NAME", guard.LockMutexName()}});
    EXPECT_EQ(lockProbe.waitForLine("HELD"), "HELD handle=1 exists=0");
}

TEST_F(Guard, AnotherInstanceMeansMessageThenActivationThenTerminate)
{
    auto holder = holdElsewhere("Update Utility.OneInstance.Default");
    RecordingGuard guard(nullptr);
    guard.SetShowMessage(true);
    guard.SetMessage(utilityMessage);
    BoxAnswerer seen;
    EXPECT_TRUE(guard.CheckPrevInstance());
    EXPECT_EQ(guard.steps, (std::vector<std::string>{"message", "activate"}));
    EXPECT_TRUE(guard.TerminateFlag());
    EXPECT_TRUE(TApplication::Instance().Terminated());
    EXPECT_FALSE(TApplication::Instance().ShowMainForm());
    EXPECT_EQ(seen.caption, "Update Utility");
    EXPECT_EQ(seen.text, utilityMessage);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons, std::vector<std::string>{"OK"});
}

TEST_F(Guard, CtrlCInTheRunningMessageCopiesItAsTheMessageDialogDoes)
{
    auto holder = holdElsewhere("Update Utility.OneInstance.Default");
    RecordingGuard guard(nullptr);
    guard.SetShowMessage(true);
    guard.SetMessage(utilityMessage);
    QApplication::clipboard()->clear();
    ModalScript script;
    script.then("MessageBox", [](QWidget* box) {
        QTest::keyClick(box->focusWidget(), Qt::Key_C, Qt::ControlModifier);
        clickButton("OK")(box);
    });
    EXPECT_TRUE(guard.CheckPrevInstance());
    EXPECT_TRUE(script.finished());
    const std::string d = "---------------------------\r\n";
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              d + "Update Utility\r\n" + d + utilityMessage + "\r\n" + d + "OK   \r\n" + d);
}

TEST_F(Guard, TheDefaultMessageNamesTheTitle)
{
    TApplication::Instance().SetTitle("Till 100% \"Ready\"");
    TabfOneInstance probeNames(nullptr);
    auto holder = holdElsewhere(probeNames.InstanceMutexName());
    TabfOneInstance guard(nullptr);
    guard.SetShowMessage(true);
    BoxAnswerer seen;
    EXPECT_TRUE(guard.CheckPrevInstance());
    EXPECT_EQ(seen.text, "Application \"Till 100% \"Ready\"\" is already running.");
    EXPECT_EQ(seen.caption, "Till 100% \"Ready\"");
}

TEST_F(Guard, TheHandlerReplacesTheBoxAndMayLetTheSecondGoOn)
{
    auto holder = holdElsewhere("Update Utility.OneInstance.Default");
    RecordingGuard guard(nullptr);
    guard.SetShowMessage(true);
    guard.SetActivatePrevInstance(false);
    TabfOneInstance* sender = nullptr;
    bool terminateOnEntry = false;
    guard.SetOnShowMessage([&](TabfOneInstance* s, bool& terminate) {
        sender = s;
        terminateOnEntry = terminate;
        terminate = false;
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    });
    TApplication::Instance().SetShowMainForm(true);
    EXPECT_TRUE(guard.CheckPrevInstance());
    EXPECT_EQ(sender, &guard);
    EXPECT_TRUE(terminateOnEntry);
    EXPECT_EQ(guard.steps, std::vector<std::string>{"message"}); // no activation when switched off
    EXPECT_FALSE(TApplication::Instance().Terminated());
    EXPECT_TRUE(TApplication::Instance().ShowMainForm());
}

TEST_F(Guard, WithoutShowMessageNothingIsShownButTheStartEndsAllTheSame)
{
    auto holder = holdElsewhere("Update Utility.OneInstance.Default");
    RecordingGuard guard(nullptr);
    bool called = false;
    guard.SetOnShowMessage([&](TabfOneInstance*, bool&) { called = true; });
    EXPECT_TRUE(guard.CheckPrevInstance());
    EXPECT_FALSE(called);
    EXPECT_EQ(guard.steps, std::vector<std::string>{"activate"});
    EXPECT_TRUE(TApplication::Instance().Terminated());
}

TEST_F(Guard, AStartInProgressElsewhereCountsAsRunning)
{
    // Only the lock is held: another check is under way at this very moment.
    auto holder = holdElsewhere("Update Utility.OneInstance.CriticalSection");
    TabfOneInstance guard(nullptr);
    EXPECT_TRUE(guard.PrevInstanceRunning());
    // Once that check is over, this one takes the instance.
    holder->send("quit");
    ASSERT_EQ(holder->waitForExit(), 0);
    EXPECT_FALSE(guard.PrevInstanceRunning());
}

TEST_F(Guard, ALockThatCannotBeHadCountsAsRunning)
{
    chmod(runtime.path().c_str(), 0755); // no private folder for the lock files
    TabfOneInstance guard(nullptr);
    EXPECT_TRUE(guard.PrevInstanceRunning());
}

TEST_F(Guard, DifferentTitlesOrIdentifiersDoNotSeeEachOther)
{
    auto holder = holdElsewhere("Update Utility.OneInstance.Default");
    TabfOneInstance other(nullptr);
    other.SetIdentifier("Shop 2");
    EXPECT_FALSE(other.PrevInstanceRunning());
    TApplication::Instance().SetTitle("Stock Utility");
    TabfOneInstance third(nullptr);
    EXPECT_FALSE(third.PrevInstanceRunning());
    TApplication::Instance().SetTitle("Update Utility");
    TabfOneInstance same(nullptr);
    EXPECT_TRUE(same.PrevInstanceRunning());
}

// Real starts: the utility's own entry point in a helper process, on the offscreen platform.
class Starts : public Guard {
protected:
    std::unique_ptr<HelperProcess> start(instance_test::Environment extra = {})
    {
        if (extra.count("HELPER_FORM") == 0)
            extra["HELPER_FORM"] = "main";
        return std::make_unique<HelperProcess>("utility", extra);
    }
};

TEST_F(Starts, ASecondStartShowsTheBoxAndEndsWithoutItsWindow)
{
    auto first = start();
    ASSERT_EQ(first->waitForLine("RUNNING"), "RUNNING") << first->transcript();

    auto second = start();
    EXPECT_EQ(second->waitForLine("BOX"), "BOX caption=Update Utility|text=" + utilityMessage +
                                              "|icon=" + std::to_string(QMessageBox::Warning) + "|buttons=OK");
    EXPECT_EQ(second->waitForExit(), 0);
    EXPECT_EQ(second->transcript().find("RUNNING"), std::string::npos) << second->transcript();

    // The first goes on undisturbed and ends normally.
    first->send("state");
    EXPECT_EQ(first->waitForLine("STATE"), "STATE minimized=0 active=1 visible=1");
    first->send("quit");
    EXPECT_EQ(first->waitForExit(), 0);
}

TEST_F(Starts, AfterTheFirstEndsOrIsKilledTheNextStartRuns)
{
    auto first = start();
    ASSERT_EQ(first->waitForLine("RUNNING"), "RUNNING");
    first->send("quit");
    ASSERT_EQ(first->waitForExit(), 0);

    auto second = start();
    ASSERT_EQ(second->waitForLine("RUNNING"), "RUNNING") << second->transcript();
    second->kill(SIGKILL);

    auto third = start();
    EXPECT_EQ(third->waitForLine("RUNNING"), "RUNNING") << third->transcript();
    third->send("quit");
    EXPECT_EQ(third->waitForExit(), 0);
    EXPECT_EQ(third->transcript().find("BOX"), std::string::npos);
}

TEST_F(Starts, AHandlerThatClearsTerminateLetsTheSecondShowItsWindow)
{
    auto first = start({{"HELPER_FORM", "guard"}});
    ASSERT_EQ(first->waitForLine("RUNNING"), "RUNNING") << first->transcript();
    auto second = start({{"HELPER_FORM", "guard"}, {"HELPER_ShowMessage", "True"}, {"HELPER_HANDLER", "keep"}});
    EXPECT_EQ(second->waitForLine("HANDLER"), "HANDLER sender=abfOneInstance1 terminate=1");
    EXPECT_EQ(second->waitForLine("CREATED"), "CREATED terminated=0 show=1");
    EXPECT_EQ(second->waitForLine("RUNNING"), "RUNNING");
    EXPECT_EQ(second->transcript().find("BOX"), std::string::npos);
    second->send("quit");
    EXPECT_EQ(second->waitForExit(), 0);
    first->send("quit");
    EXPECT_EQ(first->waitForExit(), 0);
}

TEST_F(Starts, ADifferentIdentifierIsADifferentProgram)
{
    auto first = start({{"HELPER_FORM", "guard"}, {"HELPER_ShowMessage", "True"}});
    ASSERT_EQ(first->waitForLine("RUNNING"), "RUNNING");
    auto other = start({{"HELPER_FORM", "guard"}, {"HELPER_ShowMessage", "True"}, {"HELPER_Identifier", "Shop 2"}});
    EXPECT_EQ(other->waitForLine("RUNNING"), "RUNNING") << other->transcript();
    auto renamed = start({{"HELPER_FORM", "guard"}, {"HELPER_TITLE", "Stock Utility"}});
    EXPECT_EQ(renamed->waitForLine("RUNNING"), "RUNNING") << renamed->transcript();
    auto same = start({{"HELPER_FORM", "guard"}, {"HELPER_ShowMessage", "True"}});
    EXPECT_EQ(same->waitForLine("BOX"),
              "BOX caption=Update Utility|text=Application \"Update Utility\" is already running.|icon=" +
                  std::to_string(QMessageBox::Warning) + "|buttons=OK");
    EXPECT_EQ(same->waitForLine("CREATED"), "CREATED terminated=1 show=0");
    EXPECT_EQ(same->waitForExit(), 0);
    for (auto* p : {first.get(), other.get(), renamed.get()}) {
        p->send("quit");
        EXPECT_EQ(p->waitForExit(), 0);
    }
}

TEST_F(Starts, ManyStartsAtOnceLeaveExactlyOne)
{
    constexpr int racers = 20, rounds = 10;
    for (int round = 0; round < rounds; ++round) {
        std::vector<std::unique_ptr<HelperProcess>> all;
        for (int i = 0; i < racers; ++i)
            all.push_back(std::make_unique<HelperProcess>("race"));
        for (auto& p : all)
            p->send("go");
        int first = 0, second = 0;
        for (auto& p : all) {
            const std::string answer = p->waitForLine("", 30s);
            first += answer == "FIRST";
            second += answer == "SECOND";
        }
        EXPECT_EQ(first, 1) << "round " << round;
        EXPECT_EQ(first + second, racers) << "round " << round;
        for (auto& p : all) {
            p->closeInput();
            EXPECT_EQ(p->waitForExit(), 0);
        }
        if (HasFailure())
            break;
    }
}

TEST_F(Starts, UtilityStartsAtOnceShowOneWindow)
{
    constexpr int starts = 5;
    std::vector<std::unique_ptr<HelperProcess>> all;
    for (int i = 0; i < starts; ++i)
        all.push_back(start());
    int running = 0, boxes = 0;
    for (auto& p : all) {
        const std::string first = p->waitForLine("", 60s);
        running += first == "RUNNING";
        boxes += first.rfind("BOX", 0) == 0;
    }
    EXPECT_EQ(running, 1);
    EXPECT_EQ(boxes, starts - 1);
    for (auto& p : all) {
        p->send("quit");
        EXPECT_EQ(p->waitForExit(60s), 0);
    }
}

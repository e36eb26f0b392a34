// The update from the window: the questions, the copy with its progress window, the completion
// notice, "LastUpdate" and the closing of the window, with the real boxes answered from the test.
#include "update/UpdateProcedure.h"
#include "app/TMainForm.h"
#include "update/VersionPanels.h"
#include "controls/buttons/TLMDButton.h"
#include "framework/TApplication.h"
#include "framework/widgets/TValueListEditor.h"
#include "platform/copyprogress.h"
#include "platform/keptcopy.h"
#include "platform/user.h"
#include "platform/window.h"
#include "settings/TLMDIniCtrl.h"
#include "shell/TabfFileOperation.h"
#include "support/ModalScript.h"
#include "support/UpdateInstall.h"
#include "support/UpdatePath.h"

#include <QApplication>
#include <QDate>
#include <QKeyEvent>
#include <QLocale>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <thread>

namespace {

const QString question = "TMessageForm";
constexpr TDateTime aTuesdayAfternoon = 46364.0 + (14 * 3600 + 5 * 60 + 9) / 86400.0; // 8 Dec 2026 14:05:09

class UpdateFromWindow : public ::testing::Test {
protected:
    void TearDown() override
    {
        form.reset();
        QTest::qWait(20); // lets a closing window's end of the loop pass
        TApplication::Instance().Reset();
    }

    // The window of a utility installed in the install's program folder, shown, with both panels
    // filled from that folder.
    void open(UpdateInstall& install)
    {
        TApplication& app = TApplication::Instance();
        app.Reset();
        app.SetTitle("Update Utility");
        form.reset(app.CreateForm<TMainForm>());
        form->Clock = [] { return aTuesdayAfternoon; };
        PrepareUpdateCopy(*form->abfFileOperation1, *form->LMDIniCtrl1, install.programFolder());
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        refill(install);
    }
    void refill(UpdateInstall& install)
    {
        const UtilityPlace place = UtilityInstalledIn(install.programFolder());
        RefillCurrentPanel(*form->ValueListEditor1, *form->SMVersionInfo1, place);
        RefillUpdatePanel(*form->ValueListEditor2, *form->SMVersionInfo2, *form->LMDIniCtrl1, place);
    }

    // Clicks Update; the script answers the boxes meanwhile.
    void clickUpdate(ModalScript& script)
    {
        // Through the message loop, as a user's click, so that an error raised reaches the error box.
        QTest::mouseClick(form->UpdateButton, Qt::LeftButton);
        EXPECT_TRUE(script.finished()) << "a box that was expected never came";
        EXPECT_EQ(script.unexpected(), 0);
    }
    std::vector<std::string> texts(const ModalScript& script) const
    {
        std::vector<std::string> v;
        for (const SeenBox& b : script.seen())
            v.push_back(b.text);
        return v;
    }
    bool windowClosed() const { return !form->isVisible() && TApplication::Instance().Terminated(); }

    ScopedCompatRoot root;
    std::unique_ptr<TMainForm> form;
};

// The regional formats read at start, applied by Qt directly.
std::string shortDate(QDate date)
{
    return QLocale::system()
        .toString(date, QString::fromStdString(TFormatSettings::Current().ShortDateFormat))
        .toStdString();
}
std::string longTime(QTime time)
{
    return QLocale::system()
        .toString(time, QString::fromStdString(TFormatSettings::Current().LongTimeFormat))
        .toStdString();
}

} // namespace

TEST_F(UpdateFromWindow, NewerUpdateAsksOnlyTheThirdQuestionThenCopiesRecordsAndCloses)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    open(install);
    ASSERT_EQ(form->ValueListEditor2->Values("File Version"), "1.0.0.5");
    ModalScript script;
    QString captionDuringNotice;
    script.then(question, pressKey(Qt::Key_Return)).then(question, [&](QWidget* box) {
        captionDuringNotice = form->UpdateButton->text();
        pressKey(Qt::Key_Return)(box);
    });
    clickUpdate(script);

    EXPECT_EQ(texts(script), (std::vector<std::string>{NotRunningQuestion, UpdateCompletedNotice}));
    EXPECT_EQ(script.seen()[0].caption, "Confirm");
    EXPECT_EQ(script.seen()[1].caption, "Information");
    EXPECT_EQ(captionDuringNotice, "Updating...");
    EXPECT_EQ(readFile(install.program() / "readme.txt"), "new readme");
    EXPECT_EQ(readFile(install.program() / "reports" / "daily.rpt"), "new report");
    EXPECT_EQ(lastUpdateValue(), shortDate(QDate(2026, 12, 8)) + " " + longTime(QTime(14, 5, 9)));
    EXPECT_EQ(form->UpdateButton->text(), "Updated");
    EXPECT_FALSE(form->UpdateButton->isEnabled());
    EXPECT_TRUE(windowClosed());
}

TEST_F(UpdateFromWindow, NoAtTheFirstOrSecondQuestionChangesNothingAndKeepsTheWindow)
{
    struct Row {
        const char* name;
        std::optional<std::string> current, update;
        std::vector<std::string> asked;
        ModalScript::Answer lastAnswer;
    } rows[] = {
        {"missing update, No", "1.0.0.4", std::nullopt, {UpdateNotFoundQuestion}, clickButton("No")},
        {"missing update, Escape", "1.0.0.4", std::nullopt, {UpdateNotFoundQuestion}, pressKey(Qt::Key_Escape)},
        {"equal versions, No", "1.0.0.4", "1.0.0.4", {SameVersionQuestion}, clickButton("No")},
        {"both missing, Yes then No",
         std::nullopt,
         std::nullopt,
         {UpdateNotFoundQuestion, SameVersionQuestion},
         clickButton("No")},
    };
    for (auto& r : rows) {
        UpdateInstall install(r.current, r.update);
        open(install);
        const auto before = install.installedFiles();
        ModalScript script;
        for (std::size_t i = 0; i + 1 < r.asked.size(); ++i)
            script.then(question, clickButton("Yes"));
        script.then(question, r.lastAnswer);
        clickUpdate(script);
        EXPECT_EQ(texts(script), r.asked) << r.name;
        EXPECT_EQ(install.installedFiles(), before) << r.name;
        EXPECT_FALSE(lastUpdateValue().has_value()) << r.name;
        EXPECT_TRUE(form->isVisible()) << r.name;
        EXPECT_FALSE(TApplication::Instance().Terminated()) << r.name;
        EXPECT_EQ(form->UpdateButton->text(), "Update") << r.name;
        EXPECT_TRUE(form->UpdateButton->isEnabled()) << r.name;
        form.reset();
    }
}

TEST_F(UpdateFromWindow, AnythingButYesAtTheThirdQuestionClosesWithoutCopying)
{
    struct Row {
        const char* name;
        ModalScript::Answer answer;
    } rows[] = {{"No", clickButton("No")}, {"Escape", pressKey(Qt::Key_Escape)}, {"close box", closeFromTitleBar()}};
    for (auto& r : rows) {
        UpdateInstall install("1.0.0.4", "1.0.0.5");
        open(install);
        const auto before = install.installedFiles();
        ModalScript script;
        script.then(question, r.answer);
        clickUpdate(script);
        EXPECT_EQ(texts(script), std::vector<std::string>{NotRunningQuestion}) << r.name;
        EXPECT_EQ(install.installedFiles(), before) << r.name;
        EXPECT_FALSE(lastUpdateValue().has_value()) << r.name;
        EXPECT_TRUE(windowClosed()) << r.name;
        EXPECT_EQ(form->UpdateButton->text(), "Update") << r.name;
        form.reset();
        QTest::qWait(20);
    }
}

TEST_F(UpdateFromWindow, ClosingTheFirstTwoQuestionsGoesOnAndEnterAnswersYes)
{
    UpdateInstall install(std::nullopt, std::nullopt); // both panels "Not Available"
    open(install);
    ModalScript script;
    script.then(question, closeFromTitleBar())
        .then(question, closeFromTitleBar())
        .then(question, pressKey(Qt::Key_Return))
        .then(question, pressKey(Qt::Key_Return));
    clickUpdate(script);
    EXPECT_EQ(texts(script), (std::vector<std::string>{UpdateNotFoundQuestion, SameVersionQuestion, NotRunningQuestion,
                                                       UpdateCompletedNotice}));
    EXPECT_TRUE(lastUpdateValue().has_value());
    EXPECT_TRUE(windowClosed());
}

TEST_F(UpdateFromWindow, VersionTextsCompareExactlyNotByNumber)
{
    UpdateInstall install("1.0.0.05", "1.0.0.5");
    open(install);
    ModalScript script;
    script.then(question, clickButton("No"));
    clickUpdate(script);
    EXPECT_EQ(texts(script), std::vector<std::string>{NotRunningQuestion}) << "no second question";
}

TEST_F(UpdateFromWindow, PanelsAreReadAsShownAtTheClick)
{
    // Files equal on disk, but the user typed into the update panel: what it shows counts.
    UpdateInstall install("1.0.0.4", "1.0.0.4");
    open(install);
    form->ValueListEditor2->SetValues("File Version", "9.9");
    ModalScript script;
    script.then(question, clickButton("No"));
    clickUpdate(script);
    EXPECT_EQ(texts(script), std::vector<std::string>{NotRunningQuestion});
}

TEST_F(UpdateFromWindow, EnterOnTheWindowStartsTheUpdate)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    open(install);
    form->activateWindow();
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget*>(form->UpdateButton), 5000);
    ModalScript script;
    script.then(question, clickButton("No"));
    QTest::keyClick(form.get(), Qt::Key_Return);
    EXPECT_EQ(texts(script), std::vector<std::string>{NotRunningQuestion});
}

TEST_F(UpdateFromWindow, MidnightRecordsTheDateAlone)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    open(install);
    form->Clock = [] { return 46364.0; };
    ModalScript script;
    script.then(question, clickButton("Yes")).then(question, clickButton("OK"));
    clickUpdate(script);
    EXPECT_EQ(lastUpdateValue(), shortDate(QDate(2026, 12, 8)));
}

TEST_F(UpdateFromWindow, OneSecondPastMidnightRecordsTheTimeToo)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    open(install);
    form->Clock = [] { return 46364.0 + 1.0 / 86400; };
    ModalScript script;
    script.then(question, clickButton("Yes")).then(question, clickButton("OK"));
    clickUpdate(script);
    EXPECT_EQ(lastUpdateValue(), shortDate(QDate(2026, 12, 8)) + " " + longTime(QTime(0, 0, 1)));
}

TEST_F(UpdateFromWindow, RefusedRecordShowsTheErrorBoxAndKeepsTheWindow)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    open(install);
    // A machine hive that nobody may write, not even the administrator running the tests: the
    // store refuses a hive file that is not a database it can write. It breaks once the copy has
    // started, after the settings were read at the click.
    struct BreakHive : wincompat::CopyProgressSink {
        std::filesystem::path hive;
        void started(const wincompat::CopyProgress&) override
        {
            std::filesystem::remove(hive);
            std::filesystem::create_directories(hive);
        }
        void progressed(const wincompat::CopyProgress&, const char*) override {}
    } breakHive;
    breakHive.hive = root.path() / "registry" / "HKLM.db";
    wincompat::CopyProgressSink* previous = wincompat::setCopyProgressSink(&breakHive);
    ModalScript script;
    script.then(question, clickButton("Yes")).then(question, clickButton("OK")).then("ErrorBox", clickButton("OK"));
    clickUpdate(script);
    wincompat::setCopyProgressSink(previous);
    ASSERT_EQ(script.seen().size(), 3u);
    EXPECT_EQ(script.seen()[2].text, "Failed to create key Update.");
    EXPECT_EQ(script.seen()[2].caption, "Update Utility");
    EXPECT_EQ(readFile(install.program() / "readme.txt"), "new readme") << "the copy itself went through";
    EXPECT_EQ(form->UpdateButton->text(), "Updating...");
    EXPECT_TRUE(form->UpdateButton->isEnabled());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(TApplication::Instance().Terminated());
}

TEST_F(UpdateFromWindow, SettingsThatCannotBeReadAtTheClickStopTheUpdateBeforeAnyQuestion)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    open(install);
    const auto before = install.installedFiles();
    writeFile(root.path() / "registry" / "HKLM.db", std::string(4096, 'x'));
    ModalScript script;
    script.then(question, clickButton("OK"));
    clickUpdate(script);
    ASSERT_EQ(script.seen().size(), 1u) << "no question is asked";
    EXPECT_EQ(script.seen()[0].caption, "Error");
    EXPECT_EQ(script.seen()[0].text, "Failed to read 'Update Path': The configuration registry database is corrupt.");
    EXPECT_EQ(install.installedFiles(), before);
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(TApplication::Instance().Terminated());
    EXPECT_EQ(form->UpdateButton->text(), "Update");
}

// A file that cannot be read stops the update at once: no Skip that would leave old and new files
// side by side, and a message that names the file.
TEST_F(UpdateFromWindow, FailedCopyAsksNothingNamesTheFileAndLeavesTheFolderAsItWas)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    ASSERT_EQ(mkfifo((install.update() / "pipe").c_str(), 0644), 0);
    open(install);
    const auto before = install.installedFiles();
    ModalScript script;
    script.then(question, clickButton("Yes")).then(question, clickButton("OK"));
    clickUpdate(script);
    ASSERT_EQ(script.seen().size(), 2u);
    EXPECT_EQ(script.seen()[1].caption, "Error");
    EXPECT_EQ(script.seen()[1].text, "The update did not complete: " + (install.update() / "pipe").string() +
                                         ": The file cannot be accessed by the system. It is a device, pipe or socket, "
                                         "not a file. 1 file failed; the program folder is as it was.");
    EXPECT_EQ(install.installedFiles(), before) << "the program folder is as it was";
    EXPECT_FALSE(lastUpdateValue().has_value());
    EXPECT_EQ(form->UpdateButton->text(), "Update");
    EXPECT_TRUE(form->UpdateButton->isEnabled());
    EXPECT_TRUE(form->isVisible());
    EXPECT_FALSE(TApplication::Instance().Terminated());
}

// An update killed after its last rename but before it was marked complete: the window's start
// takes it back before the panels read what is installed, and tells the user.
TEST_F(UpdateFromWindow, AnUnfinishedUpdateIsTakenBackAtStartAndTheUserIsTold)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    const auto before = install.installedFiles();
    const std::string from = (install.update() / "*.*").string() + std::string(2, '\0');
    const std::string to = install.programFolder() + std::string(2, '\0');
    SHFILEOPSTRUCTA op{};
    op.wFunc = FO_COPY;
    op.pFrom = from.c_str();
    op.pTo = to.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_SILENT;
    const auto kept = install.program() / ".update-rollback";
    ASSERT_EQ(wincompat::SHFileOperationKeepingA(&op, kept.string(), nullptr), 0);
    ASSERT_NE(install.installedFiles(), before);

    ModalScript script;
    script.then(question, clickButton("OK"));
    open(install);
    EXPECT_TRUE(script.finished());
    ASSERT_EQ(script.seen().size(), 1u);
    EXPECT_EQ(script.seen()[0].text, "An unfinished update of " + install.programFolder() +
                                         " was found and taken back: the program files are as they were before it.");
    EXPECT_EQ(install.installedFiles(), before);
    EXPECT_EQ(form->ValueListEditor1->Values("File Version"), "1.0.0.4");
}

TEST_F(UpdateFromWindow, CancelInTheProgressWindowIsReportedAndTheUserMayTryAgain)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    for (int i = 0; i < 40; ++i)
        writeFile(install.update() / "bulk" / ("f" + std::to_string(i)), std::string(1000, 'x'));
    open(install);
    const auto before = install.installedFiles();

    // Each file takes a while, so that the progress window opens and can be cancelled.
    struct Slow : wincompat::CopyProgressSink {
        void progressed(const wincompat::CopyProgress&, const char*) override
        {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
    } slow;
    wincompat::CopyProgressSink* previous = wincompat::setCopyProgressSink(&slow);
    {
        ModalScript script;
        bool cancelled = false;
        script.onTick([&] {
            if (cancelled)
                return;
            for (QWidget* w : QApplication::topLevelWidgets())
                if (w->objectName() == "fileOperationProgress" && w->isVisible())
                    if (auto* cancel = w->findChild<QPushButton*>("cancelButton"); cancel && cancel->isEnabled()) {
                        cancel->click();
                        cancelled = true;
                    }
        });
        script.then(question, clickButton("Yes")).then(question, clickButton("OK"));
        clickUpdate(script);
        wincompat::setCopyProgressSink(previous);

        ASSERT_TRUE(cancelled);
        ASSERT_EQ(script.seen().size(), 2u);
        EXPECT_EQ(script.seen()[1].caption, "Error");
        EXPECT_EQ(script.seen()[1].text,
                  std::string(UpdateIncompletePrefix) + "The operation was canceled by the user.");
        EXPECT_EQ(install.installedFiles(), before);
        EXPECT_FALSE(lastUpdateValue().has_value());
        EXPECT_EQ(form->UpdateButton->text(), "Update");
        EXPECT_TRUE(form->isVisible());
    }

    // A second try from the same window goes through.
    ModalScript again;
    again.then(question, clickButton("Yes")).then(question, clickButton("OK"));
    clickUpdate(again);
    EXPECT_EQ(readFile(install.program() / "bulk" / "f39"), std::string(1000, 'x'));
    EXPECT_TRUE(lastUpdateValue().has_value());
    EXPECT_TRUE(windowClosed());
}

TEST_F(UpdateFromWindow, UpdatePathThatWouldCopyTheWrongThingsIsRefused)
{
    struct Row {
        const char* name;
        std::string value;
        const char* why;
    } rows[] = {
        {"empty", "", "it is empty"},
        {"pair", "", "contains \"=\""},
        {"line break", "", "contains a line break"},
        {"program folder with \".\"", "", ": it is the program folder."},
        {"program folder through a link", "", ": it is the program folder."},
        {"relative \".\"", ".", ": it is the program folder."},
        {"parent of the program folder", "", ": it contains the program folder."},
        {"relative \"..\"", "..", ": it contains the program folder."},
        {"root", "/", ": it is the root of the file system."},
        {"root with \".\"", "/.", ": it is the root of the file system."},
    };
    for (auto& r : rows) {
        UpdateInstall install("1.0.0.4", "1.0.0.5");
        const std::string elsewhere = (install.base() / "elsewhere").string();
        const std::string name = r.name;
        if (name == "pair")
            r.value = install.update().string() + "=" + elsewhere;
        if (name == "line break")
            r.value = install.update().string() + "\n" + install.update().string();
        if (name == "program folder with \".\"")
            r.value = install.programFolder() + ".";
        if (name == "program folder through a link") {
            std::filesystem::create_directory_symlink(install.program(), install.base() / "till");
            r.value = (install.base() / "till").string();
        }
        if (name == "parent of the program folder")
            r.value = install.base().string();
        setUpdatePath(r.value);
        open(install);
        const auto before = install.installedFiles();
        ModalScript script;
        script.then(question, clickButton("OK"));
        clickUpdate(script);
        ASSERT_EQ(script.seen().size(), 1u) << r.name << ": no question is asked";
        EXPECT_EQ(script.seen()[0].caption, "Error") << r.name;
        // A relative folder is named as it is taken: below the program folder.
        const std::string shown = r.value.empty() || r.value[0] == '/' ? r.value : install.programFolder() + r.value;
        EXPECT_NE(script.seen()[0].text.find("\"" + shown + "\""), std::string::npos) << r.name;
        EXPECT_NE(script.seen()[0].text.find(r.why), std::string::npos) << r.name;
        EXPECT_EQ(install.installedFiles(), before) << r.name;
        EXPECT_FALSE(std::filesystem::exists(elsewhere)) << r.name;
        EXPECT_FALSE(lastUpdateValue().has_value()) << r.name;
        EXPECT_TRUE(form->isVisible()) << r.name;
        form.reset();
    }
}

namespace {
// Enter as the display repeats it while the key is held: marked as a repeat; a release and a press
// of one moment, unmarked; or, where the display does not say, a press like any other.
void heldEnter(QWidget* target)
{
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), true);
    QApplication::sendEvent(target, &repeat);
    static quint64 moment = 900000000;
    ++moment;
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
    release.setTimestamp(moment);
    press.setTimestamp(moment);
    QApplication::sendEvent(target, &release);
    QApplication::sendEvent(target, &press);
    QTest::keyPress(target, Qt::Key_Return);
}
} // namespace

TEST_F(UpdateFromWindow, EnterHeldAsAQuestionOpensAnswersNothing)
{
    const struct {
        const char* name;
        std::optional<std::string> current, update;
        const char* question;
    } rows[] = {
        {"no update", "1.0.0.4", std::nullopt, "Update Not Found. Do you want to update anyway?"},
        {"same version", "1.0.0.4", "1.0.0.4",
         "Program update might not be necessary. Are you sure you want to continue? "},
        {"newer update", "1.0.0.4", "1.0.0.5",
         "Please ensure that Tallyrune is not runnning. Are you sure you want to continue? "},
    };
    for (const auto& r : rows) {
        UpdateInstall install(r.current, r.update);
        open(install);
        const auto before = install.installedFiles();
        form->activateWindow();
        QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget*>(form->UpdateButton), 5000);
        bool stillAsking = false;
        ModalScript script;
        script.then(question, [&](QWidget* box) {
            heldEnter(box->focusWidget());
            heldEnter(box->focusWidget());
            QTest::keyRelease(box->focusWidget(), Qt::Key_Return);
            stillAsking = box->isVisible();
            clickButton("No")(box);
        });
        // Pressed on the window and held: the press starts the update, which asks.
        QTest::keyPress(form->UpdateButton, Qt::Key_Return);
        EXPECT_TRUE(script.finished()) << r.name;
        EXPECT_EQ(texts(script), std::vector<std::string>{r.question}) << r.name;
        EXPECT_TRUE(stillAsking) << r.name;
        EXPECT_EQ(install.installedFiles(), before) << r.name;
        EXPECT_FALSE(lastUpdateValue().has_value()) << r.name;
        form.reset();
        QTest::qWait(20);
    }
}

TEST_F(UpdateFromWindow, EnterHeldFromASecondStartDoesNotUpdateTheWindowItBringsForward)
{
    UpdateInstall install("1.0.0.4", "1.0.0.5");
    open(install);
    const auto before = install.installedFiles();
    // The second start's box, answered with Enter; the key is still down as the window comes forward.
    ModalScript running;
    running.then("MessageBox", [](QWidget* box) { QTest::keyPress(box->focusWidget(), Qt::Key_Return); });
    MessageBoxExA(nullptr, "Update Utility is already running.", "Update Utility", MB_OK | MB_ICONEXCLAMATION, 0);
    ASSERT_TRUE(running.finished());
    SetForegroundWindow(wincompat::handleOf(form.get()));
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), static_cast<QWidget*>(form.get()), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(QApplication::focusWidget(), static_cast<QWidget*>(form->UpdateButton), 5000);

    ModalScript none;
    heldEnter(form->UpdateButton);
    heldEnter(form->UpdateButton);
    QTest::keyRelease(form->UpdateButton, Qt::Key_Return);
    QTest::qWait(50);
    EXPECT_TRUE(none.seen().empty()) << "a question was asked";
    EXPECT_EQ(install.installedFiles(), before);
    EXPECT_FALSE(lastUpdateValue().has_value());
    EXPECT_EQ(form->UpdateButton->text(), "Update");

    // Pressed afresh, Enter updates as before.
    none.then(question, clickButton("No"));
    QTest::keyClick(form->UpdateButton, Qt::Key_Return);
    EXPECT_TRUE(none.finished());
}

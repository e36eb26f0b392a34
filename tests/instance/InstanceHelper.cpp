// The roles this test program takes on as a helper process. Each prints what a test needs to
// know as lines on its standard output and takes commands on its standard input.
#include "InstanceTestSupport.h"

#include "app/TMainForm.h"
#include "app/UpdateUtility.h"
#include "framework/core/FormDescription.h"
#include "framework/TApplication.h"
#include "framework/TForm.h"
#include "platform/mutex.h"
#include "platform/system.h"
#include "shell/TabfOneInstance.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>

namespace instance_test {
namespace {

std::string env(const char* name, const char* fallback = "")
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : fallback;
}

void say(const std::string& line)
{
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

// Holds a named mutex, owned or not, until told to quit or its input closes.
int hold()
{
    HANDLE mutex = CreateMutexA(nullptr, env("HELPER_OWN") == "1", env("HELPER_NAME").c_str());
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    std::string line = "HELD handle=" + std::to_string(mutex != nullptr) + " exists=" + std::to_string(existed);
    if (env("HELPER_WAIT") == "1")
        line += " wait=" + std::to_string(WaitForSingleObject(mutex, 0));
    say(line);
    for (std::string command; std::getline(std::cin, command) && command != "quit";) {
        if (command == "release")
            say("RELEASED " + std::to_string(ReleaseMutex(mutex)));
    }
    CloseHandle(mutex);
    return 0;
}

// One of many starts at the same moment: waits for "go", checks, and keeps what it took until
// its input closes.
int race()
{
    TApplication::Instance().SetTitle(env("HELPER_TITLE", "Update Utility"));
    TabfOneInstance guard(nullptr);
    guard.SetIdentifier(env("HELPER_IDENTIFIER"));
    std::string command;
    if (!std::getline(std::cin, command) || command != "go")
        return 2;
    say(guard.PrevInstanceRunning() ? "SECOND" : "FIRST");
    while (std::getline(std::cin, command)) {
    }
    return 0;
}

// A window holding nothing but a guard with the stored properties the test asks for.
const FormDescription& guardFormDescription()
{
    static const StoredFont font{"MS Sans Serif", -11, "[]"};
    static FormDescription description{"GuardForm", "TForm", {{"Caption", "Guarded window"}}, &font, {}, {}};
    StoredProperties properties;
    for (const char* name : {"Message", "ShowMessage", "ActivatePrevInstance", "Identifier", "ExeNameAsIdentifier"}) {
        const std::string value = env((std::string("HELPER_") + name).c_str(), "\x01");
        if (value != "\x01")
            properties.emplace_back(name, value);
    }
    const std::string cls = env("HELPER_HANDLER") == "keep" ? "TKeepGoingOneInstance" : "TabfOneInstance";
    description.Components = {{"abfOneInstance1", cls, properties}};
    return description;
}

class GuardForm : public TForm {
public:
    explicit GuardForm(TComponent* owner) : TForm(owner)
    {
        resize(300, 120);
        LoadFrom(guardFormDescription());
    }
};

// Reports what the message box shows and answers it with OK, as a user would.
void answerBoxes()
{
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr)
        return;
    std::string buttons;
    for (QAbstractButton* b : box->buttons())
        buttons += (buttons.empty() ? "" : ",") + b->objectName().toStdString();
    say("BOX caption=" + box->windowTitle().toStdString() + "|text=" + box->text().toStdString() +
        "|icon=" + std::to_string(box->icon()) + "|buttons=" + buttons);
    for (QAbstractButton* b : box->buttons())
        if (b->objectName() == "OK")
            b->click();
}

void command(const std::string& line)
{
    TForm* form = TApplication::Instance().MainForm();
    if (form == nullptr)
        return;
    if (line == "quit") {
        form->close();
    } else if (line == "minimize") {
        form->showMinimized();
    } else if (line == "blur") {
        // Another window of this process takes the focus away from the main window.
        static QWidget* other = nullptr;
        if (other == nullptr) {
            other = new QWidget;
            other->setWindowTitle("Other window");
            other->resize(200, 100);
        }
        other->show();
        other->raise();
        other->activateWindow();
    } else if (line == "state") {
        say("STATE minimized=" + std::to_string(form->isMinimized()) +
            " active=" + std::to_string(form->isActiveWindow()) + " visible=" + std::to_string(form->isVisible()));
    }
}

// The utility's own start (HELPER_FORM=main) or a window with only the guard, with the boxes
// answered and commands taken from standard input.
int utility(int argc, char** argv)
{
    TQtApplication app(argc, argv);
    QTimer poll;
    bool reported = false;
    QObject::connect(&poll, &QTimer::timeout, [&reported] {
        answerBoxes();
        TForm* form = TApplication::Instance().MainForm();
        if (!reported && form != nullptr && form->isVisible()) {
            reported = true;
            say("RUNNING");
        }
    });
    poll.start(20);
    std::string pending;
    QSocketNotifier input(0, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&pending, &input] {
        char buffer[256];
        const ssize_t n = read(0, buffer, sizeof buffer);
        if (n <= 0) {
            input.setEnabled(false);
            command("quit");
            return;
        }
        pending.append(buffer, static_cast<std::size_t>(n));
        for (std::size_t nl; (nl = pending.find('\n')) != std::string::npos; pending.erase(0, nl + 1))
            command(pending.substr(0, nl));
    });

    int code = 0;
    if (env("HELPER_FORM") == "main") {
        code = RunUpdateUtility(argc, argv);
    } else {
        RegisterMainFormClasses();
        RegisterComponentClass("TKeepGoingOneInstance", [](TComponent* owner) {
            auto* guard = new TabfOneInstance(owner);
            guard->SetOnShowMessage([](TabfOneInstance* sender, bool& terminate) {
                say(std::string("HANDLER sender=") + (sender != nullptr ? sender->Name() : "") +
                    " terminate=" + std::to_string(terminate));
                terminate = false;
            });
            return guard;
        });
        TApplication& application = TApplication::Instance();
        application.Initialize(argc, argv);
        application.SetTitle(env("HELPER_TITLE", "Update Utility"));
        application.CreateForm<GuardForm>();
        say("CREATED terminated=" + std::to_string(application.Terminated()) +
            " show=" + std::to_string(application.ShowMainForm()));
        code = application.Run();
    }
    say("EXIT");
    return code;
}

} // namespace

int runHelper(const std::string& role, int argc, char** argv)
{
    if (role == "hold")
        return hold();
    if (role == "race")
        return race();
    if (role == "utility")
        return utility(argc, argv);
    say("unknown role " + role);
    return 2;
}

} // namespace instance_test

#include "shell/TabfOneInstance.h"

#include "framework/TApplication.h"
#include "platform/mutex.h"
#include "platform/system.h"
#include "platform/user.h"

#include <QString>
#include <algorithm>

namespace {

// Opened by the first check and kept to the end of the process, whose exit gives it back.
struct InstanceMutex {
    HANDLE handle = nullptr;
    ~InstanceMutex()
    {
        if (handle != nullptr) {
            ReleaseMutex(handle); // no effect in an instance that never owned it
            CloseHandle(handle);
        }
    }
};

InstanceMutex& instanceMutex()
{
    static InstanceMutex mutex;
    return mutex;
}

constexpr const char* applicationWindowClass = "TApplication";

} // namespace

HANDLE InstanceMutexHandle()
{
    return instanceMutex().handle;
}

TabfOneInstance::TabfOneInstance(TComponent* owner) : TabfComponent(owner) {}

void TabfOneInstance::ReadProperty(const std::string& name, const std::string& value)
{
    if (name == "ActivatePrevInstance")
        activatePrevInstance_ = StoredBool(name, value);
    else if (name == "ExeNameAsIdentifier")
        exeNameAsIdentifier_ = StoredBool(name, value);
    else if (name == "Message")
        message_ = value;
    else if (name == "Identifier")
        identifier_ = value;
    else if (name == "ShowMessage")
        showMessage_ = StoredBool(name, value);
    else if (name == "About")
        SetAbout(value);
    else
        TabfComponent::ReadProperty(name, value);
}

void TabfOneInstance::Loaded()
{
    TabfComponent::Loaded();
    CheckPrevInstance();
}

std::string TabfOneInstance::mutexNameBase() const
{
    const TApplication& application = TApplication::Instance();
    const std::string stem = exeNameAsIdentifier_
                                 ? QString::fromUtf8(application.ExeName()).toUpper().toUtf8().toStdString()
                                 : application.Title();
    std::string base = stem + identifier_ + ".OneInstance.";
    std::replace(base.begin(), base.end(), '\\', '/');
    return base;
}

std::string TabfOneInstance::LockMutexName() const
{
    return mutexNameBase() + "CriticalSection";
}
std::string TabfOneInstance::InstanceMutexName() const
{
    return mutexNameBase() + "Default";
}

bool TabfOneInstance::PrevInstanceRunning()
{
    if (Designing())
        return false;
    bool running = true;
    // Two checks that start together meet here: the later one finds the lock and gives way.
    HANDLE lock = CreateMutexA(nullptr, TRUE, LockMutexName().c_str());
    const bool lockExisted = GetLastError() == ERROR_ALREADY_EXISTS;
    if (lock == nullptr)
        return running; // a guard that cannot tell lets no second copy run
    if (lockExisted) {
        CloseHandle(lock);
        return running;
    }
    InstanceMutex& instance = instanceMutex();
    instance.handle = CreateMutexA(nullptr, FALSE, InstanceMutexName().c_str());
    // Taken, also from an owner that died: this is the running instance now. Only a live
    // holder makes the attempt time out.
    running = WaitForSingleObject(instance.handle, 0) == WAIT_TIMEOUT;
    ReleaseMutex(lock);
    CloseHandle(lock);
    return running;
}

bool TabfOneInstance::CheckPrevInstance()
{
    if (!PrevInstanceRunning())
        return false;
    terminateFlag_ = true;
    TApplication& application = TApplication::Instance();
    const bool showMainForm = application.ShowMainForm();
    application.SetShowMainForm(false);
    // The message first: the running instance comes forward once the user has read it.
    if (showMessage_)
        ShowRunningMessage();
    if (activatePrevInstance_)
        ActivatePrevWindow();
    if (terminateFlag_)
        application.Terminate();
    else
        application.SetShowMainForm(showMainForm);
    return true;
}

void TabfOneInstance::ShowRunningMessage()
{
    if (onShowMessage_) {
        onShowMessage_(this, terminateFlag_);
        return;
    }
    const TApplication& application = TApplication::Instance();
    const std::string text =
        !message_.empty() ? message_ : "Application \"" + application.Title() + "\" is already running.";
    MessageBoxExA(application.Handle(), text.c_str(), application.Title().c_str(), MB_OK | MB_ICONEXCLAMATION,
                  MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
}

bool TabfOneInstance::ActivatePrevWindow()
{
    const TApplication& application = TApplication::Instance();
    const HWND own = application.Handle();
    HWND found = nullptr;
    for (HWND window = nullptr;
         (window = FindWindowExA(nullptr, window, applicationWindowClass, application.Title().c_str())) != nullptr;) {
        if (window != own) {
            found = window;
            break;
        }
    }
    if (found != nullptr && IsWindow(found)) {
        if (IsIconic(found))
            OpenIcon(found);
        else
            SetForegroundWindow(found);
    }
    return found != nullptr;
}

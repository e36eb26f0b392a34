#pragma once
// Keeps a second copy of the application from running: once its window has been loaded, it
// looks for a running instance through two named mutexes; if one runs, it tells the user,
// brings that instance forward and asks its own application to end before showing a window.
#include "platform/wintypes.h"
#include "shell/TabfComponent.h"

#include <functional>
#include <string>

class TabfOneInstance;
// Sender and Terminate (true on entry); clearing Terminate lets the second instance go on.
using TabfOneInstanceShowMessage = std::function<void(TabfOneInstance* sender, bool& terminate)>;

class TabfOneInstance : public TabfComponent {
public:
    explicit TabfOneInstance(TComponent* owner);

    bool ActivatePrevInstance() const { return activatePrevInstance_; }
    void SetActivatePrevInstance(bool value) { activatePrevInstance_ = value; }
    bool ExeNameAsIdentifier() const { return exeNameAsIdentifier_; }
    void SetExeNameAsIdentifier(bool value) { exeNameAsIdentifier_ = value; }
    const std::string& Message() const { return message_; }
    void SetMessage(const std::string& value) { message_ = value; }
    const std::string& Identifier() const { return identifier_; }
    void SetIdentifier(const std::string& value) { identifier_ = value; }
    bool ShowMessage() const { return showMessage_; }
    void SetShowMessage(bool value) { showMessage_ = value; }
    const TabfOneInstanceShowMessage& OnShowMessage() const { return onShowMessage_; }
    void SetOnShowMessage(TabfOneInstanceShowMessage handler) { onShowMessage_ = std::move(handler); }

    bool TerminateFlag() const { return terminateFlag_; }

    void ReadProperty(const std::string& name, const std::string& value) override;
    void Loaded() override;

    virtual bool PrevInstanceRunning();
    virtual bool CheckPrevInstance();

    // The names of the two mutexes as PrevInstanceRunning builds them.
    std::string LockMutexName() const;
    std::string InstanceMutexName() const;

protected:
    virtual bool ActivatePrevWindow();
    virtual void ShowRunningMessage();

    bool terminateFlag_ = false;

private:
    std::string mutexNameBase() const;

    bool activatePrevInstance_ = true;
    bool exeNameAsIdentifier_ = false;
    std::string message_;
    std::string identifier_;
    bool showMessage_ = false;
    TabfOneInstanceShowMessage onShowMessage_;
};

// The instance mutex of the whole process, shared by every guard in it: null until a check
// opens it; released and closed when the process ends.
HANDLE InstanceMutexHandle();

#pragma once
// The application object: title, main window, the message loop and its last-resort error box.
#include "platform/wintypes.h"

#include <QApplication>
#include <exception>
#include <string>

class TForm;

// A QApplication whose event delivery catches what a handler raised, shows it and goes on.
class TQtApplication : public QApplication {
public:
    TQtApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

class TApplication {
public:
    static TApplication& Instance();

    // Creates the toolkit's application object unless one exists already.
    void Initialize(int& argc, char** argv);

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);
    // The running executable's full path.
    std::string ExeName() const;
    // The application's own top-level window, which other instances look for: the main form
    // once it has been shown, none before.
    HWND Handle() const { return handle_; }

    bool ShowMainForm() const { return showMainForm_; }
    void SetShowMainForm(bool show) { showMainForm_ = show; }

    TForm* MainForm() const { return mainForm_; }
    // The first form created this way becomes the main form; the application owns it.
    template <class T> T* CreateForm()
    {
        auto* form = new T(nullptr);
        if (mainForm_ == nullptr)
            mainForm_ = form;
        return form;
    }
    void SetMainForm(TForm* form) { mainForm_ = form; }

    void Terminate();
    bool Terminated() const { return terminated_; }

    // Shows the main form unless told not to, then runs the loop until Terminate.
    int Run();

    // The error box of the message loop; an EAbort shows nothing.
    void ShowException(const std::exception& error);
    // Shows the exception being handled (call it from a catch block); the program goes on.
    void HandleException();
    // Runs a handler as the message loop does: what it raises is shown and the program goes on.
    // Every handler the toolkit calls back runs this way: the toolkit's own frames are built
    // without the clean-up that unwinding needs, so nothing may be thrown through them.
    template <class Handler> void RunHandler(Handler&& handler)
    {
        try {
            handler();
        } catch (...) {
            HandleException();
        }
    }

    // Tests start each case from a clean object.
    void Reset();

private:
    TApplication() = default;
    std::string title_;
    bool showMainForm_ = true;
    bool terminated_ = false;
    TForm* mainForm_ = nullptr;
    HWND handle_ = nullptr;
    QApplication* ownApp_ = nullptr;
};

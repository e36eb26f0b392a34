#include "framework/TApplication.h"

#include "framework/ErrorBox.h"
#include "framework/core/Exceptions.h"
#include "platform/desktop.h"
#include "platform/keys.h"
#include "platform/system.h"
#include "platform/user.h"
#include "platform/window.h"

#include <QFont>
#include <QTimer>

TQtApplication::TQtApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // The window was drawn with Windows' fonts; these are their nearest in metrics here.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    QFont::insertSubstitutions(QStringLiteral("Arial"), {QStringLiteral("Liberation Sans")});
    wincompat::showFileOperationWindows();
    wincompat::answerFreshKeysOnly();
    wincompat::useClassicLook();
}

bool TQtApplication::notify(QObject* receiver, QEvent* event)
{
    // The last resort for an event handler that let an error out; the handler's remaining work is
    // lost and the program carries on.
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        TApplication::Instance().HandleException();
    }
    return false;
}

TApplication& TApplication::Instance()
{
    static TApplication application;
    return application;
}

void TApplication::Initialize(int& argc, char** argv)
{
    if (QCoreApplication::instance() == nullptr)
        ownApp_ = new TQtApplication(argc, argv);
}

void TApplication::SetTitle(const std::string& title)
{
    title_ = title;
    QCoreApplication::setApplicationName(QString::fromStdString(title));
    if (handle_ != nullptr)
        wincompat::SetApplicationWindow(handle_, title_.c_str());
}

std::string TApplication::ExeName() const
{
    return wincompat::moduleFileName();
}

void TApplication::Terminate()
{
    terminated_ = true;
    QTimer::singleShot(0, [] { QCoreApplication::quit(); });
}

void TApplication::ShowException(const std::exception& error)
{
    if (dynamic_cast<const EAbort*>(&error) != nullptr)
        return;
    ShowErrorBox(ErrorBoxText(error.what()), title_);
}

void TApplication::HandleException()
{
    try {
        throw;
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        ShowException(std::runtime_error("Unknown error"));
    }
}

void TApplication::Reset()
{
    title_.clear();
    showMainForm_ = true;
    terminated_ = false;
    mainForm_ = nullptr;
    handle_ = nullptr;
}

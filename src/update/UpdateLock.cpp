#include "update/UpdateLock.h"

#include "framework/core/Exceptions.h"
#include "platform/mutex.h"
#include "platform/system.h"

#include <QCryptographicHash>

std::string UpdateLock::MutexName(const std::string& programFolder)
{
    // A hash keeps the name short and free of delimiters, whatever the folder's name.
    std::string real = wincompat::realPath(programFolder);
    if (real.empty())
        real = programFolder;
    const QByteArray digest =
        QCryptographicHash::hash(QByteArray::fromStdString(real), QCryptographicHash::Sha256).toHex();
    return "TallyruneUpdate-" + digest.left(32).toStdString();
}

UpdateLock::UpdateLock(const std::string& programFolder) : folder_(programFolder)
{
    handle_ = CreateMutexA(nullptr, FALSE, MutexName(programFolder).c_str());
    if (handle_ == nullptr) {
        error_ = GetLastError();
        return;
    }
    const DWORD waited = WaitForSingleObject(handle_, 0);
    // Taken over from an update that died: the folder is ours now, whatever it left behind.
    held_ = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    if (waited == WAIT_FAILED)
        error_ = GetLastError();
}

UpdateLock::~UpdateLock()
{
    if (handle_ == nullptr)
        return;
    if (held_)
        ReleaseMutex(handle_);
    CloseHandle(handle_);
}

std::string UpdateLock::Refusal() const
{
    if (held_)
        return {};
    if (error_ != 0)
        return "The update of " + folder_ + " cannot be guarded against another one: " + SysErrorMessage(error_);
    return "Another update of " + folder_ + " is running.";
}

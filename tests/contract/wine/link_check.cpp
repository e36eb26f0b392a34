// Calls every extra of the Windows backend once, so that linking shows each resolves.
#include "platform/copyprogress.h"
#include "platform/eventlog.h"
#include "platform/keptcopy.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/system.h"
#include "platform/user.h"

int main()
{
    wincompat::KeptCopyOutcome outcome;
    bool recovered = false;
    std::string contents;
    wincompat::writeSystemLog(wincompat::EventSeverity::Information, "");
    wincompat::appendLineToStateFile("", "", "");
    wincompat::readStateFile("", "", contents);
    wincompat::stateFilePath("", "");
    wincompat::SHFileOperationKeepingA(nullptr, "", &outcome);
    wincompat::recoverKeptCopy("", recovered, outcome);
    wincompat::completeKeptCopy("");
    wincompat::hasKeptCopy("");
    wincompat::rollBackKeptCopy("", false, outcome);
    wincompat::writeKeptNote("", "");
    wincompat::readKeptNote("");
    wincompat::registryHiveFile(HKEY_CURRENT_USER);
    wincompat::setCopyProgressSink(nullptr);
    wincompat::SetApplicationWindow(nullptr, "");
    return wincompat::compatRoot().size() + wincompat::windowsFolder().size() + wincompat::systemFolder().size() +
           static_cast<int>(wincompat::pathDelimiter()) + wincompat::standardErrorIsTerminal() +
           wincompat::standardInputIsTerminal() + wincompat::sameKeyword("", "") + wincompat::errorFromErrno(0);
}

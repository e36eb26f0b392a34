#include "update/UpdateProcedure.h"

#include "update/KeptUpdate.h"
#include "update/UpdateHistory.h"
#include "update/VersionPanels.h"
#include "framework/core/MsgDlgTypes.h"
#include "platform/system.h"
#include "settings/TLMDIniCtrl.h"
#include "shell/TabfFileOperation.h"

#include <cctype>
#include <exception>

namespace {
const std::string sourceSuffix = std::string(1, wincompat::pathDelimiter()) + "*.*";

std::string withoutLineEnd(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}
} // namespace

std::string UpdateCopySource(const std::string& updateFolder)
{
    return updateFolder + sourceSuffix;
}

void PrepareUpdateCopy(TabfFileOperation& copyJob, TLMDIniCtrl& settings, const std::string& programFolder)
{
    copyJob.SetProgressTitle("Updating Tallyrune ...");
    copyJob.SetDestFolder(programFolder);
    copyJob.FileList().Clear();
    copyJob.FileList().Add(UpdateCopySource(ReadUpdateFolder(settings, programFolder)));
}

std::string UnsafeFolderReason(const std::string& folder)
{
    // The copy job reads "=" as a source=destination pair, an empty folder as the root of the file
    // system and a line break as the start of another source.
    if (folder.empty())
        return "it is empty, so the copy would start at the root of the file system";
    if (folder.find('=') != std::string::npos)
        return "it contains \"=\", which would send the copy somewhere other than the program folder";
    if (folder.find_first_of("\r\n") != std::string::npos)
        return "it contains a line break, which would split it into two folders";
    return {};
}

std::string UnsafeFolderPairReason(const std::string& updateFolder, const std::string& programFolder)
{
    const char delimiter = wincompat::pathDelimiter();
    const std::string update = wincompat::realPath(updateFolder);
    if (update == std::string(1, delimiter))
        return "it is the root of the file system";
    const std::string program = wincompat::realPath(programFolder);
    if (update.empty() || program.empty())
        return {};
    if (update == program)
        return "it is the program folder";
    // Copying a folder over one of its own subfolders would copy the program folder into itself.
    if (program.size() > update.size() && program.compare(0, update.size(), update) == 0 &&
        program[update.size()] == delimiter)
        return "it contains the program folder";
    return {};
}

UpdateProcedure::UpdateProcedure(UpdateDialogs& dialogs, TabfFileOperation& copyJob, TLMDIniCtrl& settings)
    : dialogs_(dialogs), copyJob_(copyJob), settings_(settings)
{
}

void UpdateProcedure::showError(const std::string& message)
{
    report_.Error = message;
    dialogs_.ShowError(message);
}

bool UpdateProcedure::settingsReadable()
{
    // Read again at the click: a store that fails now must not let a folder read earlier, or the
    // default one, be copied. A source list left empty by a failed read before is filled now.
    std::string folder;
    try {
        folder = ReadUpdateFolder(settings_, copyJob_.DestFolder());
    } catch (const std::exception& e) {
        showError(e.what());
        return false;
    }
    if (copyJob_.FileList().Count() == 0)
        copyJob_.FileList().Add(UpdateCopySource(folder));
    return true;
}

bool UpdateProcedure::foldersAreSafe()
{
    const TStrings& sources = copyJob_.FileList();
    for (int i = 0; i < sources.Count(); ++i) {
        std::string folder = sources.Strings(i);
        if (folder.size() >= sourceSuffix.size() &&
            folder.compare(folder.size() - sourceSuffix.size(), sourceSuffix.size(), sourceSuffix) == 0)
            folder.resize(folder.size() - sourceSuffix.size());
        std::string why = UnsafeFolderReason(folder);
        if (why.empty())
            why = UnsafeFolderPairReason(folder, copyJob_.DestFolder());
        if (!why.empty()) {
            showError("The update folder \"" + folder + "\" cannot be used: " + why + ".");
            return false;
        }
    }
    if (const std::string why = UnsafeFolderReason(copyJob_.DestFolder()); !why.empty()) {
        showError("The program folder \"" + copyJob_.DestFolder() + "\" cannot be used: " + why + ".");
        return false;
    }
    return true;
}

UpdateOutcome UpdateProcedure::Run(const std::string& currentFileVersion, const std::string& updateFileVersion)
{
    report_ = {};
    if (!settingsReadable())
        return report_.Outcome = UpdateOutcome::SettingsUnreadable;
    if (!foldersAreSafe())
        return report_.Outcome = UpdateOutcome::Refused;

    if (updateFileVersion == NotAvailable && dialogs_.Confirm(UpdateNotFoundQuestion) == mrNo)
        return report_.Outcome = UpdateOutcome::Stopped;
    if (updateFileVersion == currentFileVersion && dialogs_.Confirm(SameVersionQuestion) == mrNo)
        return report_.Outcome = UpdateOutcome::Stopped;
    if (dialogs_.Confirm(NotRunningQuestion) != mrYes)
        return report_.Outcome = UpdateOutcome::Declined;

    // A kill or power cut during an earlier update left old and new files side by side: the old
    // ones come back before anything else is done.
    const std::string programFolder = copyJob_.DestFolder();
    const RecoveryResult recovery = RecoverUnfinishedUpdate(programFolder);
    report_.Recovery = recovery.Message;
    if (recovery.Failed) {
        showError(recovery.Message);
        return report_.Outcome = UpdateOutcome::CopyFailed;
    }
    if (recovery.Recovered)
        dialogs_.Inform(recovery.Message);

    KeptUpdateNote note;
    note.VersionBefore = currentFileVersion;
    note.VersionAfter = updateFileVersion;
    note.UpdateFolder = copyJob_.FileList().Count() > 0 ? copyJob_.FileList().Strings(0) : std::string();
    if (note.UpdateFolder.ends_with(sourceSuffix))
        note.UpdateFolder.resize(note.UpdateFolder.size() - sourceSuffix.size());
    try {
        // Kept for a rollback, which puts it back (or removes it when there was none).
        if (std::string stored; settings_.ReadStoredSetting("Update", "LastUpdate", stored))
            note.LastUpdateBefore = stored;
    } catch (const std::exception& e) {
        showError(e.what());
        return report_.Outcome = UpdateOutcome::SettingsUnreadable;
    }

    if (OnCopying)
        OnCopying();
    copyStart_ = std::chrono::steady_clock::now();
    const std::string keepRoot = UpdateKeepRoot(programFolder);
    copyJob_.KeepReplacedIn(keepRoot);
    const bool copied = copyJob_.Copy();
    copyJob_.KeepReplacedIn({});
    const wincompat::KeptCopyOutcome& kept = copyJob_.LastKeptCopy();
    report_.Copied = true;
    report_.CopyResult = copyJob_.LastResult();
    copyJob_.GetErrorText(report_.CopyResult, report_.CopyMessage);
    report_.CopyMessage = withoutLineEnd(report_.CopyMessage);
    report_.FilesReplaced = kept.replaced;
    report_.FilesAdded = kept.added;
    report_.FilesUnchanged = kept.unchanged;
    report_.Bytes = kept.bytes;
    report_.FailedPath = kept.failedPath;
    report_.FilesFailed = kept.failed;
    if (copied) {
        // From here the update stands: a kill after this finishes it rather than taking it back.
        const DWORD stored = wincompat::writeKeptNote(keepRoot, KeptUpdateNoteText(note));
        const DWORD completed = stored == ERROR_SUCCESS ? wincompat::completeKeptCopy(keepRoot) : stored;
        if (completed != ERROR_SUCCESS) {
            // Not made durable: taking it back is the only way to a folder that is wholly one version.
            bool recovered = false;
            wincompat::KeptCopyOutcome undone;
            wincompat::recoverKeptCopy(keepRoot, recovered, undone);
            report_.CopyResult = static_cast<int>(completed);
            copyJob_.GetErrorText(report_.CopyResult, report_.CopyMessage);
            report_.CopyMessage = withoutLineEnd(report_.CopyMessage);
            report_.FailedPath = keepRoot;
            report_.FilesReplaced = report_.FilesAdded = 0;
        }
    }
    if (!copied || report_.CopyResult != 0) {
        // Every failure and every cancel leaves the program folder as it was: report it, and
        // record nothing.
        std::string reason = report_.CopyMessage;
        if (reason.empty())
            reason = "error " + std::to_string(report_.CopyResult) + ".";
        if (!report_.FailedPath.empty())
            reason = report_.FailedPath + ": " + reason;
        if (std::string why = kept.failedReason; !why.empty()) {
            why[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(why[0])));
            reason += " " + why + ".";
        }
        if (report_.FilesFailed > 0)
            reason += " " + std::to_string(report_.FilesFailed) + (report_.FilesFailed == 1 ? " file" : " files") +
                      " failed; the program folder is as it was.";
        record(note, "copy-failed", reason);
        showError(UpdateIncompletePrefix + reason);
        return report_.Outcome = UpdateOutcome::CopyFailed;
    }

    dialogs_.Inform(UpdateCompletedNotice);
    const TDateTime moment = Clock();
    const std::string stamp = DateTimeToStr(moment, TFormatSettings::Current());
    try {
        settings_.WriteSetting("Update", "LastUpdate", stamp);
    } catch (const std::exception& e) {
        record(note, "record-failed", e.what());
        throw;
    }
    report_.LastUpdate = stamp;
    report_.LastUpdateMoment = moment;
    record(note, "completed", {});
    return report_.Outcome = UpdateOutcome::Completed;
}

void UpdateProcedure::record(const KeptUpdateNote& note, const std::string& outcome, const std::string& error)
{
    UpdateRecord entry;
    entry.Action = "update";
    entry.ProgramFolder = copyJob_.DestFolder();
    entry.UpdateFolder = note.UpdateFolder;
    entry.VersionBefore = note.VersionBefore;
    entry.VersionAfter = outcome == "copy-failed" ? note.VersionBefore : note.VersionAfter;
    entry.Outcome = outcome;
    entry.FilesReplaced = report_.FilesReplaced;
    entry.FilesUnchanged = report_.FilesUnchanged;
    entry.FilesAdded = report_.FilesAdded;
    entry.Bytes = report_.Bytes;
    entry.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - copyStart_).count();
    entry.FirstError = error;
    report_.HistoryWarning = RecordUpdateEvent(entry);
}

#include "update/KeptUpdate.h"

#include "platform/keptcopy.h"
#include "platform/system.h"
#include "settings/TLMDIniCtrl.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <exception>

namespace {

QString q(const std::string& text) { return QString::fromStdString(text); }

std::string systemText(DWORD code)
{
    char buffer[512] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                   buffer, sizeof buffer, nullptr);
    std::string text(buffer, n);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text.empty() ? "error " + std::to_string(code) + "." : text;
}

std::string failureText(const wincompat::KeptCopyOutcome& outcome, DWORD code)
{
    std::string text = outcome.failedPath.empty() ? std::string() : outcome.failedPath + ": ";
    return text + (outcome.failedReason.empty() ? systemText(code) : outcome.failedReason + ".");
}

} // namespace

std::string UpdateKeepRoot(const std::string& programFolder)
{
    std::string root = programFolder;
    if (root.empty() || root.back() != wincompat::pathDelimiter())
        root += wincompat::pathDelimiter();
    return root + UpdateKeepFolderName;
}

std::string KeptUpdateNoteText(const KeptUpdateNote& note)
{
    QJsonObject o;
    o["last_update_before"] = note.LastUpdateBefore ? QJsonValue(q(*note.LastUpdateBefore)) : QJsonValue();
    o["version_before"] = q(note.VersionBefore);
    o["version_after"] = q(note.VersionAfter);
    o["update_folder"] = q(note.UpdateFolder);
    return QJsonDocument(o).toJson(QJsonDocument::Compact).toStdString() + "\n";
}

KeptUpdateNote ReadKeptUpdateNote(const std::string& text)
{
    const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
    KeptUpdateNote note;
    if (o.value("last_update_before").isString())
        note.LastUpdateBefore = o.value("last_update_before").toString().toStdString();
    note.VersionBefore = o.value("version_before").toString().toStdString();
    note.VersionAfter = o.value("version_after").toString().toStdString();
    note.UpdateFolder = o.value("update_folder").toString().toStdString();
    return note;
}

RecoveryResult RecoverUnfinishedUpdate(const std::string& programFolder)
{
    RecoveryResult result;
    bool recovered = false;
    wincompat::KeptCopyOutcome outcome;
    const DWORD code = wincompat::recoverKeptCopy(UpdateKeepRoot(programFolder), recovered, outcome);
    result.Recovered = recovered;
    if (code != ERROR_SUCCESS) {
        result.Failed = true;
        result.Message = "An unfinished update of " + programFolder +
                         " could not be taken back: " + failureText(outcome, code);
    } else if (recovered) {
        result.Message = "An unfinished update of " + programFolder +
                         " was found and taken back: the program files are as they were before it.";
    }
    return result;
}

RollbackResult RollBackLastUpdate(const std::string& programFolder, bool force, TLMDIniCtrl& settings)
{
    RollbackResult result;
    const std::string root = UpdateKeepRoot(programFolder);
    if (!wincompat::hasKeptCopy(root)) {
        result.Outcome = RollbackResult::NothingToTakeBack;
        result.Message = "There is no update of " + programFolder + " to take back.";
        return result;
    }
    result.Note = ReadKeptUpdateNote(wincompat::readKeptNote(root));
    wincompat::KeptCopyOutcome outcome;
    const DWORD code = wincompat::rollBackKeptCopy(root, force, outcome);
    result.FilesRestored = outcome.replaced;
    result.FilesRemoved = outcome.added;
    result.FailedPath = outcome.failedPath;
    if (code == ERROR_INVALID_DATA && !outcome.failedReason.empty()) {
        result.Outcome = RollbackResult::Changed;
        result.Message = "The last update was not taken back: " + failureText(outcome, code) +
                         " Give --force to take it back anyway.";
        return result;
    }
    if (code != ERROR_SUCCESS) {
        result.Message = "The last update could not be taken back: " + failureText(outcome, code);
        return result;
    }
    result.Outcome = RollbackResult::RolledBack;
    // The files are back; the record of the update goes with them.
    try {
        if (result.Note.LastUpdateBefore)
            settings.WriteSetting("Update", "LastUpdate", *result.Note.LastUpdateBefore);
        else
            settings.DeleteSetting("Update", "LastUpdate");
    } catch (const std::exception& e) {
        result.RecordError = e.what();
    }
    return result;
}

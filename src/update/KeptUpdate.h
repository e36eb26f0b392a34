#pragma once
// What an update keeps so that it can be taken back: the files it replaced (in a hidden folder of
// the program folder) and a note of what else it changed. Recovery after a kill and the rollback
// of the last completed update both start here.
#include <optional>
#include <string>

class TLMDIniCtrl;

// The hidden folder of the program folder that keeps the files updates replace.
inline constexpr char UpdateKeepFolderName[] = ".update-rollback";
std::string UpdateKeepRoot(const std::string& programFolder);

// Kept beside the files: what a rollback restores besides them.
struct KeptUpdateNote {
    std::optional<std::string> LastUpdateBefore; // nullopt: there was no "LastUpdate"
    std::string VersionBefore, VersionAfter;
    std::string UpdateFolder;
};
std::string KeptUpdateNoteText(const KeptUpdateNote& note);
KeptUpdateNote ReadKeptUpdateNote(const std::string& text);

// An update of the folder that never completed (killed, or the machine lost power), taken back.
struct RecoveryResult {
    bool Recovered = false; // there was one
    bool Failed = false;
    std::string Message;    // what to tell the user; empty when there was nothing to do
};
RecoveryResult RecoverUnfinishedUpdate(const std::string& programFolder);

// The last completed update of the folder taken back, its "LastUpdate" too.
struct RollbackResult {
    enum Status { RolledBack, NothingToTakeBack, Changed, Failed } Outcome = Failed;
    std::string Message;
    std::string FailedPath;
    std::string RecordError; // the files are back, but the settings store refused "LastUpdate"
    unsigned long long FilesRestored = 0, FilesRemoved = 0;
    KeptUpdateNote Note;
};
RollbackResult RollBackLastUpdate(const std::string& programFolder, bool force, TLMDIniCtrl& settings);

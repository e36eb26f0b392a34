#pragma once
// The update: up to three confirmations, the copy of the update folder over the program folder,
// the completion notice and the "LastUpdate" record. One procedure for the window and the terminal;
// only the way the questions are put differs.
#include "framework/core/DateTime.h"

#include "update/KeptUpdate.h"

#include <chrono>
#include <functional>
#include <string>

class TabfFileOperation;
class TLMDIniCtrl;

inline constexpr char UpdateNotFoundQuestion[] = "Update Not Found. Do you want to update anyway?";
inline constexpr char SameVersionQuestion[] =
    "Program update might not be necessary. Are you sure you want to continue? ";
inline constexpr char NotRunningQuestion[] =
    "Please ensure that Tallyrune is not runnning. Are you sure you want to continue? ";
inline constexpr char UpdateCompletedNotice[] = "Update Process completed.";
inline constexpr char UpdateIncompletePrefix[] = "The update did not complete: ";

// How a front end puts the procedure's questions and notices to its user.
class UpdateDialogs {
public:
    virtual ~UpdateDialogs() = default;
    // A yes/no question: mrYes, mrNo, or mrCancel for a question closed without an answer.
    virtual int Confirm(const std::string& question) = 0;
    virtual void Inform(const std::string& notice) = 0;
    virtual void ShowError(const std::string& message) = 0;
};

enum class UpdateOutcome {
    Stopped,    // No to the first or second question: nothing changed, the window stays
    Declined,   // anything but Yes to the third: nothing copied, the window closes
    Refused,    // the folders would copy the wrong things: nothing copied, the window stays
    SettingsUnreadable, // the settings store failed: nothing copied, the window stays
    CopyFailed, // the copy failed or was cancelled: no record, the window stays
    Completed,  // copied and recorded: the window closes
};

struct UpdateReport {
    UpdateOutcome Outcome = UpdateOutcome::Stopped;
    bool Copied = false;     // the copy ran (whatever its result)
    int CopyResult = 0;      // the copy's result code
    std::string CopyMessage; // the system's text for it
    std::string LastUpdate;  // the text recorded; empty when nothing was
    // What the copy did: files that took an old one's place, files new to the folder, files left
    // alone (the same already), bytes written; and the first failure and how many there were.
    unsigned long long FilesReplaced = 0, FilesAdded = 0, FilesUnchanged = 0, Bytes = 0;
    std::string FailedPath;
    unsigned long long FilesFailed = 0;
    std::string Recovery;    // an unfinished update taken back first: what the user was told
    TDateTime LastUpdateMoment = 0; // the moment recorded; meaningful only with LastUpdate
    std::string Error;       // the message shown for a refusal, a store failure or a failed copy
    std::string HistoryWarning; // the update history could not be written
};

class UpdateProcedure {
public:
    UpdateProcedure(UpdateDialogs& dialogs, TabfFileOperation& copyJob, TLMDIniCtrl& settings);

    // The moment recorded as "LastUpdate"; tests set their own.
    std::function<TDateTime()> Clock = Now;
    // Runs just before the copy starts.
    std::function<void()> OnCopying;

    // Compares the "File Version" texts the panels show. An error of the settings store while
    // recording passes to the caller; Report() then tells how far the run came.
    UpdateOutcome Run(const std::string& currentFileVersion, const std::string& updateFileVersion);
    const UpdateReport& Report() const { return report_; }

private:
    bool settingsReadable();
    bool foldersAreSafe();
    void record(const KeptUpdateNote& note, const std::string& outcome, const std::string& error);
    void showError(const std::string& message);

    UpdateDialogs& dialogs_;
    TabfFileOperation& copyJob_;
    TLMDIniCtrl& settings_;
    UpdateReport report_;
    std::chrono::steady_clock::time_point copyStart_;
};

// The copy's source entry for an update folder: the folder followed by the delimiter and "*.*".
std::string UpdateCopySource(const std::string& updateFolder);
// Sets up a copy job as the window's creation does: progress title, program folder as destination,
// and the update folder from the settings as the only source.
void PrepareUpdateCopy(TabfFileOperation& copyJob, TLMDIniCtrl& settings, const std::string& programFolder);
// Why a folder cannot take part in the copy, or empty when it can.
std::string UnsafeFolderReason(const std::string& folder);
// Why an update folder cannot be copied over the program folder, from where both really lead
// (links and ".." followed), or empty when it can.
std::string UnsafeFolderPairReason(const std::string& updateFolder, const std::string& programFolder);

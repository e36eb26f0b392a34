#pragma once
// A copy, move, delete or rename over a list of sources, handed to the shell's file operation
// in one request; the shell shows the progress and error windows.
#include "framework/core/TComponent.h"
#include "framework/core/TStrings.h"
#include "platform/keptcopy.h"

#include <cstdint>
#include <functional>
#include <string>

enum TabfFileOperationType { fotCopy, fotDelete, fotMove, fotRename };

enum TabfFileOperationFlag {
    fofAllowUndo,
    fofFilesOnly,
    fofNoConfirmation,
    fofNoConfirmMkDir,
    fofNoErrorUI,
    fofRenameCollision,
    fofSilent,
    fofSimpleProgress
};

// A set of TabfFileOperationFlag in one byte: bit n is the member with ordinal n.
class TabfFileOperationFlags {
public:
    constexpr TabfFileOperationFlags() = default;
    constexpr TabfFileOperationFlags(std::initializer_list<TabfFileOperationFlag> members)
    {
        for (auto m : members)
            bits_ |= static_cast<std::uint8_t>(1u << m);
    }
    static constexpr TabfFileOperationFlags FromByte(std::uint8_t bits)
    {
        TabfFileOperationFlags f;
        f.bits_ = bits;
        return f;
    }
    constexpr bool Contains(TabfFileOperationFlag m) const { return bits_ & (1u << m); }
    constexpr std::uint8_t Byte() const { return bits_; }
    constexpr bool operator==(const TabfFileOperationFlags&) const = default;

private:
    std::uint8_t bits_ = 0;
};

class TabfFileOperation;
// Sender, error text, handled (false on entry).
using TabfFileOperationEvent = std::function<void(TabfFileOperation* sender, const std::string& s, bool& handled)>;

class TabfFileOperation : public TComponent {
public:
    explicit TabfFileOperation(TComponent* owner);
    ~TabfFileOperation() override;

    TStrings& FileList() { return fileList_; }
    const TStrings& FileList() const { return fileList_; }
    void SetFileList(const TStrings& list) { fileList_.Assign(list); }
    const std::string& DestFolder() const { return destFolder_; }
    void SetDestFolder(const std::string& folder) { destFolder_ = folder; }
    const std::string& ProgressTitle() const { return progressTitle_; }
    void SetProgressTitle(const std::string& title) { progressTitle_ = title; }
    TabfFileOperationType Operation() const { return operation_; }
    void SetOperation(TabfFileOperationType op) { operation_ = op; }
    TabfFileOperationFlags Options() const { return options_; }
    void SetOptions(TabfFileOperationFlags options) { options_ = options; }
    const TabfFileOperationEvent& OnError() const { return onError_; }
    void SetOnError(TabfFileOperationEvent handler) { onError_ = std::move(handler); }

    virtual bool DoOperation(TabfFileOperationType operation);
    virtual void GetErrorText(int code, std::string& text);
    virtual bool DoError(const std::string& text);
    virtual bool Execute();
    bool Copy();
    // The shell's result code of the last run: 0 for success, else a system error code.
    int LastResult() const { return lastResult_; }
    // A copy that keeps every file it replaces in keepRoot (a folder of the destination) and is
    // all or nothing; empty (the default) copies as the shell does. Not a stored property.
    void KeepReplacedIn(const std::string& keepRoot) { keepRoot_ = keepRoot; }
    // What the last kept copy did: counts, and the first failure's path.
    const wincompat::KeptCopyOutcome& LastKeptCopy() const { return kept_; }

    void ReadProperty(const std::string& name, const std::string& value) override;

private:
    TStrings fileList_;
    std::string destFolder_;
    std::string progressTitle_;
    TabfFileOperationType operation_ = fotCopy;
    TabfFileOperationFlags options_{fofAllowUndo, fofFilesOnly, fofRenameCollision};
    TabfFileOperationEvent onError_;
    int lastResult_ = 0;
    std::string keepRoot_;
    wincompat::KeptCopyOutcome kept_;
};

// The destination of one pair-mode entry, made absolute and completed from its source.
std::string AbsoluteDestination(const std::string& destination, const std::string& destFolder);
std::string CompleteDestination(const std::string& source, const std::string& absoluteDestination);

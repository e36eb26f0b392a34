#pragma once
// Taking back what a kept copy's journal records: the replaced files renamed back from where they
// are kept, the added ones removed, the touched attributes restored, temporary files and created
// folders removed. The same steps serve a failed copy, the recovery after a kill and a rollback.
#include "platform/fileop/keep/keep_journal.h"
#include "platform/keptcopy.h"

namespace wincompat::fileop {

// The first file the copy wrote that is no longer as it left it (changed, replaced or gone), or
// empty when there is none.
std::string changedSinceWritten(const KeepJournal& journal);

// The first replaced file whose kept old version is gone, or empty when every one is there.
std::string keptFileMissing(const KeepJournal& journal);

// Undoes the journal's files; with `force`, also files changed since the copy wrote them. Carries
// on past a failure and returns the first one's code (outcome names its path).
DWORD undoFiles(const KeepJournal& journal, bool force, KeptCopyOutcome& outcome);

// Puts the folders the copy changed back as they were: the created ones removed where empty, the
// others given back their mode and times. Last, since every step before changes folder times.
void restoreFolders(const KeepJournal& journal);

// The kept files that live beside their targets rather than in the keep folder (another file
// system): removed when their copy is let go.
void removeKeptElsewhere(const KeepJournal& journal, const std::string& keepFolder);

} // namespace wincompat::fileop

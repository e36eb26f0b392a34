#pragma once
// The record of every update and rollback on a till, so that a technician can find out afterwards
// what happened: one JSON object per line in <root>/history/updates.jsonl, and one line in the
// system's log for each.
#include <cstdint>
#include <string>
#include <vector>

struct UpdateRecord {
    std::string Action; // "update" or "rollback"
    std::string Time;   // ISO 8601 with offset, e.g. 2026-12-09T10:31:05+01:00; filled in when empty
    std::string User;   // login name; filled in when empty
    std::string ProgramFolder, UpdateFolder;
    std::string VersionBefore, VersionAfter; // "File Version" texts as the panels show them
    std::string Outcome;                     // e.g. "completed", "copy-failed", "stopped", "busy", "rolled-back"
    std::uint64_t FilesReplaced = 0, FilesUnchanged = 0, FilesAdded = 0, Bytes = 0;
    double Seconds = 0;
    std::string FirstError; // path and reason of the first failure; empty when none
};

// Appends the record as one JSON object on one line to the history file and writes one line to the system log.
// Returns empty, or a warning text (the history could not be written); never throws for an I/O failure.
// The log line is a warning unless the outcome is "completed" (or "rolled-back" for a rollback).
std::string RecordUpdateEvent(UpdateRecord record);

// The records of the history file, oldest first; only those of `programFolder` when it is not empty
// (folders compare without a trailing separator). None when there is no history yet; throws
// Exception with the path and the reason when the file is there but cannot be read or is not to
// be trusted.
std::vector<UpdateRecord> ReadUpdateHistory(const std::string& programFolder);

// The record as the history file holds it: one JSON object, members in a fixed order, no line break.
std::string UpdateRecordJson(const UpdateRecord& record);

// Where the history is kept, for messages.
std::string UpdateHistoryPath();

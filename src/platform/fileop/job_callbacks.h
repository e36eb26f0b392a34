#pragma once
// What a file job asks and tells whoever runs it: the questions and their answers, the failures and
// what to do about them, and its progress. Kept apart from the engine so that the windows that
// answer these need nothing else of it.
#include "platform/copyprogress.h"

#include <functional>
#include <string>

namespace wincompat::fileop {

enum class ErrorDecision { Skip, SkipAll, Cancel };

struct JobFailure {
    std::string action; // "copy", "create the folder", ...
    std::string path;   // the source or target concerned
    std::string reason; // why, when the code alone does not say it
    DWORD code = ERROR_SUCCESS;
};

enum class Answer { Yes, YesToAll, No, Cancel };

struct Question {
    std::string text;
    bool offerAll = false; // "Yes to All" makes sense (one question of many alike)
};

struct JobCallbacks {
    // Asked before replacing a file (unless FOF_NOCONFIRMATION), creating a missing destination
    // folder (unless FOF_NOCONFIRMMKDIR) or deleting (unless FOF_NOCONFIRMATION); unset means No.
    std::function<Answer(const Question&)> confirm;
    // Asked on every failure; unset means stop at the first one (as FOF_NOERRORUI does).
    std::function<ErrorDecision(const JobFailure&)> askOnError;
    // Once everything is staged and the job starts putting it in place: from here on it can no
    // longer be cancelled.
    std::function<void()> committing;
    // After every file and every few megabytes; `current` is the source path in hand.
    std::function<void(const CopyProgress&, const std::string& current)> progress;
};

} // namespace wincompat::fileop

#include "platform/fileop/file_job.h"

#include <cstring>

namespace wincompat::fileop {

std::vector<std::string> splitDoubleNulList(LPCSTR list)
{
    std::vector<std::string> entries;
    if (list == nullptr)
        return entries;
    for (const char* p = list; *p != '\0'; p += std::strlen(p) + 1)
        entries.emplace_back(p);
    return entries;
}

DWORD FileJob::fromRequest(const SHFILEOPSTRUCTA& request, FileJob& job)
{
    job = FileJob{};
    job.operation = request.wFunc;
    job.flags = request.fFlags;
    job.owner = request.hwnd;
    if (request.lpszProgressTitle != nullptr)
        job.title = request.lpszProgressTitle;
    if (job.operation < FO_MOVE || job.operation > FO_RENAME || request.pFrom == nullptr)
        return ERROR_INVALID_PARAMETER;
    job.sources = splitDoubleNulList(request.pFrom);
    if (job.operation == FO_DELETE)
        return ERROR_SUCCESS;

    job.destinations = splitDoubleNulList(request.pTo);
    if (job.pairMode()) {
        // A missing or surplus target would pair every later source with the wrong destination:
        // refuse the whole request rather than guess.
        if (job.destinations.size() != job.sources.size())
            return ERROR_INVALID_PARAMETER;
        for (const auto& d : job.destinations)
            if (d.empty())
                return ERROR_INVALID_PARAMETER;
    } else if (!job.sources.empty()) {
        // Windows would fall back to the current folder; an update must never land somewhere unnamed.
        if (job.destinations.empty() || job.destinations.front().empty())
            return ERROR_INVALID_PARAMETER;
        if (job.operation == FO_RENAME && job.sources.size() != 1)
            return ERROR_INVALID_PARAMETER;
        job.destinations.resize(1);
    }
    return ERROR_SUCCESS;
}

} // namespace wincompat::fileop

#include "platform/base/make_folders.h"

#include "platform/base/path_split.h"
#include "platform/system.h"

#include <cerrno>
#include <sys/stat.h>

namespace wincompat {

DWORD makeFolders(const std::string& path, mode_t leafMode, mode_t parentMode, std::vector<std::string>* made)
{
    struct stat st {};
    if (stat(path.c_str(), &st) == 0)
        return S_ISDIR(st.st_mode) ? ERROR_SUCCESS : ERROR_PATH_NOT_FOUND;
    if (errno != ENOENT)
        return errorFromErrno(errno);
    if (const std::string up = folderOf(path); up != path) {
        if (DWORD rc = makeFolders(up, parentMode, parentMode, made); rc != ERROR_SUCCESS)
            return rc;
    }
    if (mkdir(path.c_str(), leafMode) != 0)
        return errno == EEXIST ? ERROR_SUCCESS : errorFromErrno(errno);
    chmod(path.c_str(), leafMode);
    if (made != nullptr)
        made->push_back(path);
    return ERROR_SUCCESS;
}

} // namespace wincompat

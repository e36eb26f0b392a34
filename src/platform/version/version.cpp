#include "platform/version.h"

#include "platform/version/version_block.h"
#include "platform/base/path_split.h"
#include "platform/base/unique_fd.h"
#include "platform/version/version_fault.h"
#include "platform/system.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace wincompat::version;

namespace {
class FileSource : public ByteSource {
public:
    explicit FileSource(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
    std::uint64_t size() const override { return size_; }
    DWORD read(std::uint64_t offset, void* out, std::size_t n) override
    {
        if (offset > size_ || n > size_ - offset)
            return ERROR_BAD_FORMAT;
        auto* p = static_cast<char*>(out);
        while (n > 0) {
            ssize_t got = pread(fd_, p, n, static_cast<off_t>(offset));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return wincompat::errorFromErrno(errno);
            if (got == 0)
                return ERROR_HANDLE_EOF; // the file shrank under us
            p += got;
            n -= static_cast<std::size_t>(got);
            offset += static_cast<std::uint64_t>(got);
        }
        return ERROR_SUCCESS;
    }

private:
    int fd_;
    std::uint64_t size_;
};

bool isFile(const std::string& path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

// A bare name is looked for as libraries are: next to the running executable, in the current
// directory, then in the system and Windows folders. A name with a folder is taken as it is.
DWORD resolve(const char* name, std::string& path)
{
    if (name == nullptr || *name == '\0')
        return ERROR_FILE_NOT_FOUND;
    if (std::strchr(name, '/') != nullptr) {
        path = name;
        return ERROR_SUCCESS;
    }
    char buffer[PATH_MAX + 1];
    std::string places[4];
    const DWORD saved = GetLastError();
    if (DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer); n > 0 && n < sizeof buffer)
        places[0] = wincompat::folderOf(std::string(buffer, n));
    if (getcwd(buffer, sizeof buffer) != nullptr)
        places[1] = buffer;
    if (UINT n = GetSystemDirectoryA(buffer, sizeof buffer); n > 0 && n < sizeof buffer)
        places[2] = std::string(buffer, n);
    if (UINT n = GetWindowsDirectoryA(buffer, sizeof buffer); n > 0 && n < sizeof buffer)
        places[3] = std::string(buffer, n);
    SetLastError(saved);
    for (const std::string& place : places) {
        if (place.empty())
            continue;
        std::string candidate = place + (place.back() == '/' ? "" : "/") + name;
        if (isFile(candidate)) {
            path = candidate;
            return ERROR_SUCCESS;
        }
    }
    return ERROR_FILE_NOT_FOUND;
}

DWORD loadResource(const char* name, Bytes& resource)
{
    std::string path;
    if (DWORD e = resolve(name, path))
        return e;
    // Non-blocking, so that a FIFO planted under the name cannot hang the reader.
    const wincompat::UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0)
        return wincompat::errorFromErrno(errno);
    struct stat st {};
    if (fstat(fd.get(), &st) != 0)
        return wincompat::errorFromErrno(errno);
    if (S_ISDIR(st.st_mode))
        return ERROR_ACCESS_DENIED;
    if (!S_ISREG(st.st_mode))
        return ERROR_BAD_FORMAT;
    FileSource source(fd.get(), static_cast<std::uint64_t>(st.st_size));
    return readVersionResource(source, resource);
}
} // namespace

DWORD GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle)
{
    if (handle != nullptr)
        *handle = 0;
    Bytes resource;
    if (DWORD e = loadResource(fileName, resource)) {
        SetLastError(e);
        return 0;
    }
    SetLastError(ERROR_SUCCESS);
    return versionBlockSize(resource);
}

BOOL GetFileVersionInfoA(LPCSTR fileName, DWORD, DWORD size, LPVOID data)
{
    if (data == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    Bytes resource;
    DWORD e = loadResource(fileName, resource);
    if (e == ERROR_SUCCESS)
        e = pendingReadFault();
    if (e != ERROR_SUCCESS) {
        SetLastError(e);
        return FALSE;
    }
    // A block too small for this resource (the file grew since the size query) would be a
    // truncated tree whose string copies do not fit; refuse it rather than hand out half.
    if (size < versionBlockSize(resource)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    fillVersionBlock(resource, static_cast<std::uint8_t*>(data));
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, PUINT length)
{
    if (block == nullptr || subBlock == nullptr || buffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const void* value = nullptr;
    if (!queryVersionBlock(static_cast<const std::uint8_t*>(block), subBlock, &value, length)) {
        SetLastError(ERROR_RESOURCE_TYPE_NOT_FOUND);
        return FALSE;
    }
    *buffer = const_cast<void*>(value);
    return TRUE;
}

#include "shell/TabfFileOperation.h"

#include "framework/core/Exceptions.h"
#include "platform/shell.h"
#include "platform/system.h"

#include <cctype>
#include <cstring>
#include <vector>

namespace {
constexpr char separator = '\x07';

UINT shellOperation(TabfFileOperationType operation)
{
    switch (operation) {
    case fotCopy: return FO_COPY;
    case fotDelete: return FO_DELETE;
    case fotMove: return FO_MOVE;
    case fotRename: return FO_RENAME;
    }
    return FO_COPY;
}

FILEOP_FLAGS shellFlags(TabfFileOperationFlags options)
{
    // Mapped by name: the member order is not the order of the flag bits.
    static constexpr struct {
        TabfFileOperationFlag member;
        FILEOP_FLAGS flag;
    } map[] = {
        {fofAllowUndo, FOF_ALLOWUNDO},         {fofFilesOnly, FOF_FILESONLY},
        {fofNoConfirmation, FOF_NOCONFIRMATION}, {fofNoConfirmMkDir, FOF_NOCONFIRMMKDIR},
        {fofNoErrorUI, FOF_NOERRORUI},         {fofRenameCollision, FOF_RENAMEONCOLLISION},
        {fofSilent, FOF_SILENT},               {fofSimpleProgress, FOF_SIMPLEPROGRESS},
    };
    FILEOP_FLAGS flags = 0;
    for (const auto& m : map)
        if (options.Contains(m.member))
            flags |= m.flag;
    return flags;
}

// Splits at the separator and at line breaks, drops empty pieces, and lays the rest out
// NUL-terminated in a zero-filled buffer of the given size.
std::vector<char> pathBuffer(const std::string& text, std::size_t size)
{
    std::vector<char> buffer(size, '\0');
    std::size_t at = 0, start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != separator && text[i] != '\r' && text[i] != '\n')
            continue;
        const std::size_t length = i - start;
        if (length > 0 && at + length < size) {
            std::memcpy(buffer.data() + at, text.data() + start, length);
            at += length + 1;
        }
        start = i + 1;
    }
    return buffer;
}

bool isDelimiter(char c) { return c == '\\' || c == ':' || c == '/'; }

bool hasDrive(const std::string& path)
{
    if (path.size() >= 2 && std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':')
        return true;
    if (path.size() > 2 && path[0] == '\\' && path[1] == '\\') {
        // \\server\share: a server name, a backslash and a share name.
        std::size_t share = path.find('\\', 2);
        return share != std::string::npos && share > 2 && share + 1 < path.size() && path[share + 1] != '\\';
    }
    // On a system whose paths start at "/", a leading delimiter is what a drive is elsewhere.
    return wincompat::pathDelimiter() == '/' && !path.empty() && path[0] == '/';
}

std::string trimmed(const std::string& s)
{
    std::size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ')
        --e;
    return s.substr(b, e - b);
}

std::size_t lastDelimiter(const std::string& s)
{
    for (std::size_t i = s.size(); i-- > 0;)
        if (isDelimiter(s[i]))
            return i;
    return std::string::npos;
}

std::string folderPart(const std::string& s)
{
    std::size_t d = lastDelimiter(s);
    return d == std::string::npos ? std::string() : s.substr(0, d + 1);
}

std::string namePart(const std::string& s)
{
    std::size_t d = lastDelimiter(s);
    return d == std::string::npos ? s : s.substr(d + 1);
}

std::string extensionPart(const std::string& s)
{
    std::size_t dot = s.rfind('.');
    std::size_t d = lastDelimiter(s);
    if (dot == std::string::npos || (d != std::string::npos && dot < d))
        return {};
    return s.substr(dot);
}

std::string withoutExtension(const std::string& name)
{
    return name.substr(0, name.size() - extensionPart(name).size());
}

bool hasWildcard(const std::string& s) { return s.find_first_of("*?") != std::string::npos; }

// Frees nothing by hand: the buffers are vectors, so an exception leaves nothing behind.
struct Request {
    std::vector<char> from;
    std::vector<char> to;
};
} // namespace

std::string AbsoluteDestination(const std::string& destination, const std::string& destFolder)
{
    if (hasDrive(destination))
        return destination;
    const char delim = wincompat::pathDelimiter();
    std::string joined = destFolder;
    if (joined.empty() || joined.back() != delim)
        joined += delim;
    joined += destination;
    std::string result;
    result.reserve(joined.size());
    for (std::size_t i = 0; i < joined.size(); ++i) {
        result += joined[i];
        if (joined[i] == delim && i + 1 < joined.size() && joined[i + 1] == delim)
            ++i; // a doubled delimiter becomes one; the scan goes on after the pair
    }
    return result;
}

std::string CompleteDestination(const std::string& source, const std::string& destination)
{
    if (trimmed(destination).empty())
        return source;
    std::string result = folderPart(destination);
    if (result.empty())
        result = folderPart(source);
    std::string base = withoutExtension(namePart(destination));
    result += (base.empty() || hasWildcard(base)) ? withoutExtension(namePart(source)) : base;
    std::string ext = extensionPart(destination);
    result += (ext.empty() || hasWildcard(ext)) ? extensionPart(source) : ext;
    return result;
}

TabfFileOperation::TabfFileOperation(TComponent* owner) : TComponent(owner) {}

TabfFileOperation::~TabfFileOperation() = default;

bool TabfFileOperation::Execute() { return DoOperation(operation_); }

bool TabfFileOperation::Copy() { return DoOperation(fotCopy); }

bool TabfFileOperation::DoOperation(TabfFileOperationType operation)
{
    lastResult_ = 0;
    if (fileList_.Count() == 0)
        return true;

    SHFILEOPSTRUCTA op{};
    op.hwnd = Owner() != nullptr ? Owner()->WindowHandle() : nullptr;
    op.wFunc = shellOperation(operation);

    const std::string listText = fileList_.Text();
    const bool pairMode = listText.find('=') != std::string::npos;
    op.fFlags = shellFlags(options_);
    if (pairMode)
        op.fFlags |= FOF_MULTIDESTFILES;

    std::string sourceText, destText;
    for (int i = 0; i < fileList_.Count(); ++i) {
        const std::string& entry = fileList_.Strings(i);
        if (!pairMode) {
            sourceText += entry;
            sourceText += separator;
            continue;
        }
        if (entry.empty())
            continue; // a blank line would add a destination without a source
        const std::size_t eq = entry.find('=');
        const std::string source = eq == std::string::npos ? entry : entry.substr(0, eq);
        const std::string dest = eq == std::string::npos ? std::string() : entry.substr(eq + 1);
        if (source.empty()) {
            // Its destination would pair every later source with the wrong target: refuse the run.
            std::string text;
            lastResult_ = ERROR_INVALID_PARAMETER;
            GetErrorText(lastResult_, text);
            DoError(text);
            return false;
        }
        sourceText += source;
        sourceText += separator;
        destText += CompleteDestination(source, AbsoluteDestination(dest, destFolder_));
        destText += separator;
    }

    Request request;
    request.from = pathBuffer(sourceText, listText.size() + static_cast<std::size_t>(fileList_.Count()) + 1);
    if (pairMode) {
        request.to = pathBuffer(destText, static_cast<std::size_t>(fileList_.Count()) + destText.size() + 1);
    } else {
        request.to.assign(destFolder_.size() + 2, '\0');
        std::memcpy(request.to.data(), destFolder_.data(), destFolder_.size());
    }
    op.pFrom = request.from.data();
    op.pTo = request.to.data();
    op.fAnyOperationsAborted = FALSE;
    op.hNameMappings = nullptr;
    op.lpszProgressTitle = progressTitle_.c_str();

    kept_ = {};
    const int code = !keepRoot_.empty() && op.wFunc == FO_COPY ? wincompat::SHFileOperationKeepingA(&op, keepRoot_, &kept_)
                                                             : SHFileOperationA(&op);
    lastResult_ = code;
    if (code != 0 && code != ERROR_NO_MORE_FILES) {
        std::string text;
        GetErrorText(code, text);
        DoError(text);
    }
    return code == 0;
}

void TabfFileOperation::GetErrorText(int code, std::string& text)
{
    text.clear();
    if (code == 0)
        return;
    char buffer[1024] = {};
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, static_cast<DWORD>(code),
                                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), buffer, sizeof buffer, nullptr);
    if (n > 0)
        text.assign(buffer, strnlen(buffer, sizeof buffer));
}

bool TabfFileOperation::DoError(const std::string& text)
{
    bool handled = false;
    if (onError_)
        onError_(this, text, handled);
    return handled;
}

void TabfFileOperation::ReadProperty(const std::string& name, const std::string& value)
{
    if (name == "ProgressTitle") {
        progressTitle_ = value;
    } else if (name == "DestFolder") {
        destFolder_ = value;
    } else if (name == "Operation") {
        static const char* const names[] = {"fotCopy", "fotDelete", "fotMove", "fotRename"};
        for (int i = 0; i < 4; ++i)
            if (value == names[i]) {
                operation_ = static_cast<TabfFileOperationType>(i);
                return;
            }
        throw EComponentError("Invalid property value for Operation: " + value);
    } else if (name == "Options") {
        // Stored as a set: "[fofNoConfirmation, fofSimpleProgress]".
        static const char* const names[] = {"fofAllowUndo",      "fofFilesOnly",       "fofNoConfirmation",
                                            "fofNoConfirmMkDir", "fofNoErrorUI",       "fofRenameCollision",
                                            "fofSilent",         "fofSimpleProgress"};
        if (value.size() < 2 || value.front() != '[' || value.back() != ']')
            throw EComponentError("Invalid property value for Options: " + value);
        std::uint8_t bits = 0;
        std::string inner = value.substr(1, value.size() - 2);
        std::size_t start = 0;
        while (start <= inner.size()) {
            std::size_t comma = inner.find(',', start);
            std::string member = trimmed(inner.substr(start, comma == std::string::npos ? std::string::npos
                                                                                         : comma - start));
            if (!member.empty()) {
                int found = -1;
                for (int i = 0; i < 8; ++i)
                    if (member == names[i])
                        found = i;
                if (found < 0)
                    throw EComponentError("Invalid property value for Options: " + value);
                bits |= static_cast<std::uint8_t>(1u << found);
            }
            if (comma == std::string::npos)
                break;
            start = comma + 1;
        }
        options_ = TabfFileOperationFlags::FromByte(bits);
    } else {
        TComponent::ReadProperty(name, value);
    }
}

#include "framework/core/Exceptions.h"

#include "platform/system.h"

std::string FormatMessageText(const std::string& format, const std::string& argument)
{
    std::string result;
    result.reserve(format.size() + argument.size());
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
            result += argument;
            ++i;
        } else {
            result += format[i];
        }
    }
    return result;
}

std::string SysErrorMessage(unsigned long code)
{
    char buffer[1024] = {};
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             static_cast<DWORD>(code), 0, buffer, sizeof buffer, nullptr);
    std::string text(buffer, n);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

void RaiseOSError(unsigned long code)
{
    if (code == 0)
        throw EOSError("A call to an OS function failed", 0);
    throw EOSError("System Error.  Code: " + std::to_string(code) + ".\r\n" + SysErrorMessage(code), code);
}

void RaiseLastOSError() { RaiseOSError(GetLastError()); }

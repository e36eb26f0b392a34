#pragma once
// Errors carry a formatted message for the user; the message loop shows any that escape a handler.
#include <stdexcept>
#include <string>

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    std::string Message() const { return what(); }
};

// Ends a handler quietly: the message loop shows nothing for it.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
};

class EOSError : public Exception {
public:
    EOSError(const std::string& message, unsigned long errorCode) : Exception(message), ErrorCode(errorCode) {}
    unsigned long ErrorCode;
};

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

class EIniFileException : public Exception {
public:
    using Exception::Exception;
};

class EComponentError : public Exception {
public:
    using Exception::Exception;
};

// "%s"-style formatting for the fixed messages, which take exactly one text.
std::string FormatMessageText(const std::string& format, const std::string& argument);

// The platform's text for a system error code, without the trailing line break; empty when none.
std::string SysErrorMessage(unsigned long code);

// Raises EOSError for the last platform error: "System Error.  Code: %d.\r\n%s", or
// "A call to an OS function failed" when the platform reports code 0.
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseOSError(unsigned long code);

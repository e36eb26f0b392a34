#include "cli/reg/RegConsole.h"

#include "framework/core/Exceptions.h"
#include "platform/system.h"

#include <cstdio>

namespace reg {

bool isKeyword(const std::string& text, const char* keyword)
{
    return wincompat::sameKeyword(text, keyword);
}

std::string valueLabel(const std::string& name)
{
    return name.empty() ? std::string("(Default)") : name;
}

void out(const std::string& text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
}

int usageError(const std::string& operation, const std::string& detail)
{
    std::fprintf(stderr, "%s\nType \"tallyrune-updatectl reg %s/?\" for usage.\n", detail.c_str(),
                 operation.empty() ? "" : (operation + " ").c_str());
    return exitUsage;
}

int failure(const std::string& message)
{
    std::fprintf(stderr, "%s\n", message.c_str());
    return exitFailure;
}

int systemFailure(LSTATUS rc)
{
    if (rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND)
        return failure("ERROR: The system was unable to find the specified registry key or value.");
    const std::string text = SysErrorMessage(static_cast<unsigned long>(rc));
    return failure("ERROR: " + (text.empty() ? "Error " + std::to_string(rc) + "." : text));
}

std::optional<int> declined(const std::string& question)
{
    while (true) {
        out(question + "(Yes/No)? ");
        std::fflush(stdout);
        char answer[256];
        if (std::fgets(answer, sizeof answer, stdin) == nullptr) {
            out("\n");
            // Under cron or a script nobody said No: a change that did not happen is a failure
            // the caller must see, not a success.
            return failure("ERROR: No answer could be read. Nothing was changed; add /f to go ahead without asking.");
        }
        const char* p = answer;
        while (*p == ' ' || *p == '\t')
            ++p;
        if (*p == 'y' || *p == 'Y')
            return std::nullopt;
        if (*p == 'n' || *p == 'N')
            return cancelled();
    }
}

int cancelled()
{
    out("The operation was canceled by the user.\n");
    return exitSuccess;
}

int succeeded()
{
    out("The operation completed successfully.\n");
    return exitSuccess;
}

} // namespace reg

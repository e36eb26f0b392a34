#pragma once
// reg's command line after the operation: the key as ROOT\Subkey, then Windows-style switches
// (/v NAME, -ve, /F ...) in any order and any case.
#include "cli/Commands.h"
#include "platform/registry.h"

#include <optional>
#include <string>

namespace reg {

struct KeyName {
    HKEY root = nullptr;
    std::string path;     // below the root, without a trailing "\"
    std::string fullName; // with the root's long name, as the output shows it
};

struct QueryArguments {
    KeyName key;
    std::optional<std::string> valueName; // /v
    bool emptyValue = false;              // /ve
    bool recurse = false;                 // /s
};

struct AddArguments {
    KeyName key;
    std::optional<std::string> valueName, typeText, data; // /v, /t, /d
    std::optional<char> separator;                        // /s
    bool emptyValue = false, force = false;               // /ve, /f

    // Without any of these only the key is made.
    bool setsValue() const { return valueName || emptyValue || data || typeText; }
};

struct DeleteArguments {
    KeyName key;
    std::optional<std::string> valueName;                      // /v
    bool emptyValue = false, allValues = false, force = false; // /ve, /va, /f
};

// Each reads args as given to reg (the operation first, then the key); on a usage error it has
// printed the message and returns the exit status.
std::optional<int> parseQueryArguments(const CommandArgs& args, QueryArguments& query);
std::optional<int> parseAddArguments(const CommandArgs& args, AddArguments& add);
std::optional<int> parseDeleteArguments(const CommandArgs& args, DeleteArguments& remove);

} // namespace reg

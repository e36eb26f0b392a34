#pragma once
// Registry data as reg writes it (query) and reads it (add /t TYPE /d DATA).
#include "platform/registry.h"

#include <optional>
#include <string>

namespace reg {

// "REG_SZ", ..., or "0x" and the number for a type without a name.
std::string typeName(DWORD type);
// The types add can store; the resource lists and REG_LINK have no data reg could take.
std::optional<DWORD> typeFromName(const std::string& name);
// The data as query shows it after the type.
std::string formatData(DWORD type, const std::string& bytes);
// The bytes stored for /d DATA of a type; empty optional and a message for data that does not fit.
std::optional<std::string> encodeData(DWORD type, const std::string& data, char separator, bool separatorGiven,
                                      std::string& error);

} // namespace reg

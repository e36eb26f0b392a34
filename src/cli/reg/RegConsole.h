#pragma once
// What reg prints, asks and ends with: Windows' own texts and exit codes, except that a usage
// error exits with 2.
#include "platform/registry.h"

#include <optional>
#include <string>

namespace reg {

constexpr int exitSuccess = 0;
constexpr int exitFailure = 1;
constexpr int exitUsage = 2;

// Switches, operations, roots and type names match whatever the case of their letters.
bool isKeyword(const std::string& text, const char* keyword);
// A value's name as reg shows it: "(Default)" for the unnamed one.
std::string valueLabel(const std::string& name);

void out(const std::string& text);
int usageError(const std::string& operation, const std::string& detail = "ERROR: Invalid syntax.");
int failure(const std::string& message);
int systemFailure(LSTATUS rc);
// Asks until the answer starts with y or n. Nothing when the answer is Yes; otherwise the exit
// status to end with: No cancels (0, as Windows), and input that ends unanswered fails (1).
std::optional<int> declined(const std::string& question);
int cancelled();
int succeeded();

} // namespace reg

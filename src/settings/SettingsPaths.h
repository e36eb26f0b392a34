#pragma once
// File-name and registry-path helpers of the settings store. File paths use the platform's
// delimiter ("/" here; "\" and the drive colon under Windows); registry paths always use "\".
#include <string>

namespace settings {

bool IsBlank(const std::string& text); // empty or made only of spaces
bool IsPathDelimiter(char c);
// Up to and including the last delimiter; empty when there is none.
std::string ExtractFilePath(const std::string& fileName);
// The text after the last delimiter.
std::string ExtractFileName(const std::string& fileName);
// From the last "." of the file-name part on, the dot included; empty when there is none.
std::string ExtractFileExt(const std::string& fileName);
std::string ChangeFileExt(const std::string& fileName, const std::string& extension);
std::string IncludeTrailingPathDelimiter(const std::string& folder);

// The registry path below the root key, always ending in "\": regPath when it is not blank,
// otherwise "Software\" + company + "\" (when not blank) + title (or, when blank, the
// executable's path) + "\" + version + "\" (when not blank).
std::string ComposeRegistryBasePath(const std::string& regPath, const std::string& company, const std::string& title,
                                    const std::string& executablePath, const std::string& version);

// The running executable's full path.
std::string ModuleFileName();

} // namespace settings

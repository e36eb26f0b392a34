#pragma once
// One value of an executable's version resource by the About box's numbering: 0 CompanyName,
// 1 ProductName, 2 ProductVersion, 3 LegalCopyright, 4 LegalTradeMarks, 5 FileDescription,
// 6 Comments, then the fixed part's file version as 7 "1.0", 8 "1.0.8.130", 9 "1.0 (Build 8.130)".
// Empty when the file, its resource or the value is missing, and for any other index.
#include <string>

std::string VersionInfoLookup(const std::string& fileName, int index);

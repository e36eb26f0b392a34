#pragma once
// How the companion prints text that came from files and settings: always valid UTF-8, and
// never a control character that would act on the terminal.
#include <string>

class VersionListing;

// A JSON string literal, quotes included.
std::string JsonString(const std::string& raw);
// One value per line: control characters shown as \xHH.
std::string PlainText(const std::string& raw);
// A version panel as a JSON object of its four rows, in their order.
std::string VersionListingJson(const VersionListing& panel);

#pragma once
// An INI file as lines, with Windows' rules for what a line is and which section or key a
// name matches: without regard to case or surrounding blanks, the first match winning.
#include <cstddef>
#include <string>
#include <vector>

namespace wincompat::profile {

// Blanks around names and values, the DOS end-of-file mark among them.
bool isBlank(char c);
std::string trim(const std::string& s);

struct Line {
    std::string text;
    std::string eol; // "\r\n", "\n" or empty for a last line without a break
};

enum class Kind { blank, section, entry };

struct Parsed {
    Kind kind = Kind::blank;
    std::string name;
    bool hasValue = false;
    std::string value;
};

// A line whose first character after blanks is "[" and that has a "]" after it is a section
// header; any other line that is not blank is an entry, "name=value" or a bare name.
Parsed parseLine(const std::string& text);

struct Document {
    bool exists = false;
    bool bom = false;
    std::vector<Line> lines;
    std::string eol = "\r\n"; // Windows' line break for a new file

    void parse(const std::string& bytes);
    std::string text() const;
    // [first, end) of the first section of that name: first is its header line.
    bool findSection(const std::string& section, std::size_t& first, std::size_t& end) const;
    // The first entry of that name in the section [first, end).
    bool findKey(std::size_t first, std::size_t end, const std::string& key, std::size_t& at) const;
};

} // namespace wincompat::profile

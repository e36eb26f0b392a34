#include "framework/core/TStrings.h"

int TStrings::Add(const std::string& s)
{
    items_.push_back(s);
    Changed();
    return Count() - 1;
}

void TStrings::Delete(int index)
{
    items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(index));
    Changed();
}

void TStrings::Clear()
{
    if (items_.empty())
        return;
    items_.clear();
    Changed();
}

void TStrings::Assign(const TStrings& other)
{
    if (&other == this)
        return;
    items_ = other.items_;
    Changed();
}

int TStrings::IndexOf(const std::string& s) const
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (items_[i] == s)
            return static_cast<int>(i);
    return -1;
}

std::string TStrings::Text() const
{
    std::string text;
    for (const auto& s : items_) {
        text += s;
        text += "\r\n";
    }
    return text;
}

void TStrings::SetText(const std::string& text)
{
    items_.clear();
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            items_.push_back(text.substr(start));
            break;
        }
        items_.push_back(text.substr(start, end - start));
        start = end + 1;
        if (text[end] == '\r' && start < text.size() && text[start] == '\n')
            ++start;
    }
    Changed();
}

std::string TStrings::Names(int index) const
{
    const std::string& s = Strings(index);
    auto eq = s.find('=');
    return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

int TStrings::IndexOfName(const std::string& name) const
{
    for (std::size_t i = 0; i < items_.size(); ++i) {
        auto eq = items_[i].find('=');
        if (eq != std::string::npos && items_[i].compare(0, eq, name) == 0 && eq == name.size())
            return static_cast<int>(i);
    }
    return -1;
}

std::string TStrings::Values(const std::string& name) const
{
    int i = IndexOfName(name);
    if (i < 0)
        return {};
    const std::string& s = Strings(i);
    return s.substr(s.find('=') + 1);
}

void TStrings::SetValue(const std::string& name, const std::string& value)
{
    const int i = IndexOfName(name);
    if (i >= 0) {
        SetStrings(i, name + "=" + value);
        Changed();
    } else {
        Add(name + "=" + value);
    }
}

#pragma once
// An ordered list of texts. Its text is every entry followed by CR LF.
#include <string>
#include <vector>

class TStrings {
public:
    virtual ~TStrings() = default;

    int Count() const { return static_cast<int>(items_.size()); }
    const std::string& Strings(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    void SetStrings(int index, const std::string& s) { items_.at(static_cast<std::size_t>(index)) = s; }
    int Add(const std::string& s);
    void Delete(int index);
    void Clear();
    void Assign(const TStrings& other);
    int IndexOf(const std::string& s) const;

    std::string Text() const;
    // Splits at CR LF, CR or LF; a last line without a break still counts.
    void SetText(const std::string& text);

    // Key=value view, as the version panels use it.
    std::string Names(int index) const;
    std::string Values(const std::string& name) const;
    int IndexOfName(const std::string& name) const;
    // Replaces the value of an existing name where it stands, or appends name=value.
    void SetValue(const std::string& name, const std::string& value);

protected:
    virtual void Changed() {}

private:
    std::vector<std::string> items_;
};

using TStringList = TStrings;

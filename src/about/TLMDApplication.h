#pragma once
// The component library's global application object: the company name and version text that
// dialogs fall back on when asked to (the About box's UseDefault).
#include <string>

class TLMDApplication {
public:
    const std::string& CompanyName() const { return companyName_; }
    void SetCompanyName(const std::string& name) { companyName_ = name; }
    const std::string& Version() const { return version_; }
    void SetVersion(const std::string& version) { version_ = version; }

private:
    std::string companyName_;
    std::string version_;
};

TLMDApplication& LMDApplication();

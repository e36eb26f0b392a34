#pragma once
// A component that keeps its stored properties and does nothing else yet; the window's
// description names it so that its settings live in one place with the rest.
#include "framework/core/TComponent.h"

#include <map>

class TStoredComponent : public TComponent {
public:
    using TComponent::TComponent;
    void ReadProperty(const std::string& name, const std::string& value) override
    {
        if (name == "Name")
            TComponent::ReadProperty(name, value);
        else
            properties_[name] = value;
    }
    std::string Property(const std::string& name) const
    {
        auto it = properties_.find(name);
        return it == properties_.end() ? std::string() : it->second;
    }

private:
    std::map<std::string, std::string> properties_;
};

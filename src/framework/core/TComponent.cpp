#include "framework/core/TComponent.h"

#include "framework/core/Exceptions.h"

#include <algorithm>

TComponent::TComponent(TComponent* owner) : owner_(owner)
{
    if (owner_ != nullptr)
        owner_->components_.push_back(this);
}

TComponent::~TComponent()
{
    // Owned components go first, the last created first; each unlinks itself.
    while (!components_.empty())
        delete components_.back();
    if (owner_ != nullptr) {
        auto& siblings = owner_->components_;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
    }
}

TComponent* TComponent::FindComponent(const std::string& name) const
{
    for (TComponent* c : components_)
        if (c->name_ == name)
            return c;
    return nullptr;
}

void TComponent::ReadProperty(const std::string& name, const std::string& value)
{
    if (name == "Name") {
        name_ = value;
        return;
    }
    throw EComponentError("Error reading " + name_ + "." + name + ": Property " + name + " does not exist");
}


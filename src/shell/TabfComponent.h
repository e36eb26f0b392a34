#pragma once
// The base of the library's non-visual components: an About text for the designer, never
// stored and without effect when the program runs.
#include "framework/core/TComponent.h"

#include <string>

class TabfComponent : public TComponent {
public:
    using TComponent::TComponent;

    std::string About() const { return {}; }
    void SetAbout(const std::string&) {}
};

#pragma once
// The base of the control library's non-visual components: a component with no window.
#include "framework/core/TComponent.h"

class TLMDCustomComponent : public TComponent {
public:
    explicit TLMDCustomComponent(TComponent* owner);
    ~TLMDCustomComponent() override;
};

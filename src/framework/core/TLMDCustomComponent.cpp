#include "framework/core/TLMDCustomComponent.h"

TLMDCustomComponent::TLMDCustomComponent(TComponent* owner) : TComponent(owner) {}

TLMDCustomComponent::~TLMDCustomComponent() = default;

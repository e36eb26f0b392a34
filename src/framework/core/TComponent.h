#pragma once
// The component model: every component has an owner that destroys it, a name from the stored
// window description, and a notification once all components of its owner have been loaded.
#include "framework/core/StoredValues.h"
#include "platform/wintypes.h"

#include <string>
#include <vector>

class TComponent {
public:
    explicit TComponent(TComponent* owner);
    virtual ~TComponent();
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(const std::string& name) { name_ = name; }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const { return components_.at(static_cast<std::size_t>(index)); }
    TComponent* FindComponent(const std::string& name) const;

    // True between the first stored property and Loaded().
    bool Loading() const { return loading_; }
    // True while a designer edits the component rather than a program running it.
    bool Designing() const { return designing_; }
    void SetDesigning(bool designing) { designing_ = designing; }
    void BeginLoading() { loading_ = true; }

    // Receives one stored property; unknown names raise EComponentError.
    virtual void ReadProperty(const std::string& name, const std::string& value);
    // Called once every component of the owner has received its stored properties.
    virtual void Loaded() { loading_ = false; }

    // The window that dialogs started by this component belong to: the owner's when the
    // owner is a window, none otherwise.
    virtual HWND WindowHandle() { return nullptr; }

private:
    TComponent* owner_;
    std::string name_;
    std::vector<TComponent*> components_;
    bool loading_ = false;
    bool designing_ = false;
};

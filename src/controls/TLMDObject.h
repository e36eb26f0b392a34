#pragma once
// A value object owned by a control: it reports every change of one of its properties to its
// owner, unless a caller has suspended the reports around a group of changes.
#include <functional>

class TLMDObject {
public:
    TLMDObject() = default;
    virtual ~TLMDObject() = default;
    // Copies carry the values only; the owner's connection stays with the original.
    TLMDObject(const TLMDObject&) {}
    TLMDObject& operator=(const TLMDObject&) { return *this; }

    std::function<void(TLMDObject* sender)> OnChange;

    void SuspendNotification() { ++suspended_; }
    // Ends one suspension; with report, tells the owner once about what changed meanwhile.
    void ResumeNotification(bool report)
    {
        if (suspended_ > 0)
            --suspended_;
        if (report)
            Changed();
    }
    bool NotificationSuspended() const { return suspended_ > 0; }

protected:
    void Changed()
    {
        if (suspended_ == 0 && OnChange)
            OnChange(this);
    }
    template <class T> void Set(T& field, T value)
    {
        if (field == value)
            return;
        field = value;
        Changed();
    }

private:
    int suspended_ = 0;
};

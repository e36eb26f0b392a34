#pragma once
// A non-visual component with a link to an image list and the pictures chosen from it.
#include "framework/core/TLMDCustomComponent.h"

class TLMDContainerComponent : public TLMDCustomComponent {
public:
    explicit TLMDContainerComponent(TComponent* owner);

    // The image list, by the name of a component of the same owner.
    TComponent* ImageList() const { return imageList_; }
    void SetImageList(TComponent* list);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index) { imageIndex_ = index; }
    int ListIndex() const { return listIndex_; }
    void SetListIndex(int index) { listIndex_ = index; }

    void ReadProperty(const std::string& name, const std::string& value) override;
    void Loaded() override;

protected:
    // The image list's contents changed.
    virtual void ImageListChanged() {}

private:
    TComponent* imageList_ = nullptr;
    std::string imageListName_;
    int imageIndex_ = 0;
    int listIndex_ = 0;
};

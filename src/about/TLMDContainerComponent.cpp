#include "about/TLMDContainerComponent.h"

#include "framework/core/Exceptions.h"

TLMDContainerComponent::TLMDContainerComponent(TComponent* owner) : TLMDCustomComponent(owner) {}

void TLMDContainerComponent::SetImageList(TComponent* list)
{
    if (list == imageList_)
        return;
    imageList_ = list;
    ImageListChanged();
}

void TLMDContainerComponent::ReadProperty(const std::string& name, const std::string& value)
{
    if (name == "ImageList")
        imageListName_ = value; // the list may be created after this component
    else if (name == "ImageIndex")
        imageIndex_ = StoredInt(name, value);
    else if (name == "ListIndex")
        listIndex_ = StoredInt(name, value);
    else
        TLMDCustomComponent::ReadProperty(name, value);
}

void TLMDContainerComponent::Loaded()
{
    TLMDCustomComponent::Loaded();
    if (imageListName_.empty())
        return;
    TComponent* list = Owner() != nullptr ? Owner()->FindComponent(imageListName_) : nullptr;
    if (list == nullptr)
        throw EComponentError("Error reading " + Name() + ".ImageList: component " + imageListName_ + " not found");
    SetImageList(list);
}

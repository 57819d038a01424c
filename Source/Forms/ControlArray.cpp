#include "ControlArray.h"

#include <algorithm>

#include "Container.h"

namespace forms {

int ControlArrayBase::LBound() const {
    if (elements_.empty()) rt::RaiseControlArrayElementMissing(0, name_);
    return elements_.begin()->first;
}

int ControlArrayBase::UBound() const {
    if (elements_.empty()) rt::RaiseControlArrayElementMissing(0, name_);
    return elements_.rbegin()->first;
}

std::vector<int> ControlArrayBase::Indexes() const {
    std::vector<int> indexes;
    for (const auto& [index, element] : elements_) indexes.push_back(index);
    return indexes;
}

Control& ControlArrayBase::Element(int index) const {
    auto it = elements_.find(index);
    if (it == elements_.end()) rt::RaiseControlArrayElementMissing(index, name_);
    return *it->second;
}

Control& ControlArrayBase::AddElement(int index, bool designElement) {
    if (index < 0) rt::RaiseControlArrayElementMissing(index, name_);
    if (Exists(index)) rt::Raise(err::ObjectAlreadyLoaded, name_, "Object already loaded");
    auto control = Create(name_);
    control->index_ = index;
    Control& added = *control;
    if (!designElement) {
        added.CopyPropertiesFrom(*elements_.begin()->second);
        added.visible_ = false;
    }
    owner_.Adopt(std::move(control));
    elements_[index] = &added;
    designElements_[index] = designElement;
    WireElement(added);
    return added;
}

void ControlArrayBase::Load(int index) {
    if (elements_.empty()) rt::RaiseControlArrayElementMissing(0, name_);
    AddElement(index, false);
}

void ControlArrayBase::Unload(int index) {
    Control& element = Element(index);
    if (designElements_[index])
        rt::Raise(err::CannotUnloadDesignElement, name_,
                  "Can't unload controls created at design time");
    element.unloaded_ = true;
    elements_.erase(index);
    designElements_.erase(index);
    owner_.Release(element);
}

}  // namespace forms

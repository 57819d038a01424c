#include "HostWindows.h"

#include <algorithm>

namespace telmora {

HostWindows& TheHostWindows() {
    // Never destroyed: the toolkit may report changes until the process ends.
    static HostWindows* windows = new HostWindows;
    return *windows;
}

HostWindows::HostWindows() {
    forms::App().AddObserver(this);
}

HostWindows::~HostWindows() {
    forms::App().RemoveObserver(this);
}

std::shared_ptr<forms::Form> HostWindows::FormOf(std::int32_t hWnd) {
    if (hWnd == 0) return nullptr;
    for (auto& weak : forms_) {
        auto control = weak.lock();
        if (!control) continue;
        auto form = std::static_pointer_cast<forms::Form>(control);
        if (form->ExistingWindow() == hWnd && form->Loaded()) return form;
    }
    return nullptr;
}

void HostWindows::Note(forms::Control& control) {
    forms::Form* form = control.ParentForm();
    if (!form) return;
    std::weak_ptr<forms::Control> weak = form->weak_from_this();
    if (weak.expired()) return;  // the form is still being built
    for (auto& known : forms_)
        if (!known.owner_before(weak) && !weak.owner_before(known)) return;
    std::erase_if(forms_, [](const auto& w) { return w.expired(); });
    forms_.push_back(std::move(weak));
}

}  // namespace telmora

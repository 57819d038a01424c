#pragma once
// The host's view of the toolkit's windows: finds the form behind a window handle that an add-in
// handed over, by following the toolkit's change stream.
#include <memory>
#include <vector>

#include "Application.h"
#include "Form.h"

namespace telmora {

class HostWindows final : public forms::ChangeObserver {
  public:
    HostWindows();
    ~HostWindows() override;
    HostWindows(const HostWindows&) = delete;
    HostWindows& operator=(const HostWindows&) = delete;

    void ControlAdded(forms::Control& control) override { Note(control); }
    void ControlChanged(forms::Control& control, std::string_view) override { Note(control); }

    // The loaded form whose window is `hWnd`, or nullptr.
    std::shared_ptr<forms::Form> FormOf(std::int32_t hWnd);

  private:
    void Note(forms::Control& control);
    std::vector<std::weak_ptr<forms::Control>> forms_;
};

// The process's one instance, following the toolkit from the first use for good.
HostWindows& TheHostWindows();

}  // namespace telmora

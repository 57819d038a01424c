#pragma once
// The toolkit's state of the user-interface thread: the one focused control, the mouse capture,
// the screen's mouse pointer, the message loop, and the change stream that a view follows.
#include <cstdint>
#include <string_view>
#include <vector>

#include "MessageLoop.h"

namespace forms {

class Control;
class Form;

// The change stream: a view (or a test) learns of every control added, changed and removed.
// A move of the focus is reported as a change of "Focus" of the control left and of the one
// entered.
class ChangeObserver {
  public:
    virtual ~ChangeObserver() = default;
    virtual void ControlAdded(Control& /*control*/) {}
    virtual void ControlChanged(Control& control, std::string_view property) = 0;
    virtual void ControlRemoved(Control& /*control*/) {}
    // The control's window repainted (painting suspended through WM_SETREDRAW reports none).
    virtual void ControlPainted(Control& /*control*/) {}
};

class Application {
  public:
    Control* FocusedControl() const noexcept { return focused_; }
    // Moves the focus to `target` (nullptr: to no control): LostFocus of the old control, ExitFocus
    // of the user controls it leaves (innermost first), EnterFocus of those it enters (outermost
    // first), GotFocus of the new control. A focus request made by one of these handlers takes
    // effect after the move in progress has finished. No checks: see Control::SetFocus.
    void MoveFocus(Control* target);

    // The screen's pointer: when not 0 it shows everywhere, over every control.
    int ScreenMousePointer() const noexcept { return screenPointer_; }
    void SetScreenMousePointer(int value);

    // The control that holds the mouse between a button press and its release.
    Control* Capture() const noexcept { return capture_; }
    void SetCapture(Control* control) noexcept { capture_ = control; }
    // The control the mouse was last moved over.
    Control* Hover() const noexcept { return hover_; }
    void SetHover(Control* control) noexcept { hover_ = control; }

    MessageLoop& Loop() noexcept { return loop_; }

    // The loaded forms, in the order they were loaded.
    const std::vector<Form*>& Forms() const noexcept { return forms_; }
    // The loaded form whose window is `hWnd`; nullptr for none.
    Form* FormOfWindow(std::int32_t hWnd) const;
    // The control of a loaded form whose window is `hWnd`; nullptr for none.
    Control* ControlOfWindow(std::int32_t hWnd) const;

    void AddObserver(ChangeObserver* observer);
    void RemoveObserver(ChangeObserver* observer);
    void NotifyAdded(Control& control);
    void NotifyChanged(Control& control, std::string_view property);
    void NotifyRemoved(Control& control);
    void NotifyPainted(Control& control);

    // A control going away: no pointer to it stays (no events are raised).
    void Forget(Control& control) noexcept;

    // Shows the cursor for a pointer code through the cursor role.
    void ShowPointer(int pointerCode);
    // Re-evaluates the cursor over the hover control (its pointer or the screen's changed).
    void RefreshCursor();

  private:
    void RunFocusMove(Control* target);

    Control* focused_ = nullptr;
    Control* capture_ = nullptr;
    Control* hover_ = nullptr;
    int screenPointer_ = 0;
    bool moving_ = false;
    bool pendingMove_ = false;
    Control* pendingTarget_ = nullptr;
    MessageLoop loop_;
    std::vector<ChangeObserver*> observers_;
    std::vector<Form*> forms_;
    friend class Form;
    friend void Load(Form& form);
    friend bool Unload(Form& form);
};

// The one toolkit state of the process.
Application& App();

}  // namespace forms

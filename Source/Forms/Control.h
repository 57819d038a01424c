#pragma once
// The base of every control: identity (name, index in a control array, container), placement in
// the container's scale units, the common properties, focus, and the events that every kind
// shares. Controls live in their container (shared ownership, so late-bound callers can hold
// them); a form class keeps references to the controls it added.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "Dispatch.h"
#include "Event.h"
#include "Units.h"
#include "WindowManager.h"

namespace forms {

class Container;
class Form;
class UserControl;
void Load(Form& form);
bool Unload(Form& form);

// A rectangle in pixels, relative to the client area of the control's form.
struct PixelRect {
    float left = 0, top = 0, width = 0, height = 0;
    bool Contains(float x, float y) const {
        return x >= left && y >= top && x < left + width && y < top + height;
    }
};

class Control : public rt::IDispatch, public std::enable_shared_from_this<Control> {
  public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    ~Control() override;

    // --- identity
    const std::string& Name() const noexcept { return name_; }
    int Index() const noexcept { return index_; }  // -1 outside a control array
    Container* Parent() const noexcept { return parent_; }
    Form* ParentForm();                // the form the control sits on; a form is its own
    UserControl* ParentUserControl();  // the innermost user control holding it, if any
    virtual std::string_view TypeName() const = 0;
    // False once an element of a control array is unloaded or its form is unloaded.
    bool IsLoaded() const;

    // --- placement in the container's scale units
    float Left() const noexcept { return left_; }
    float Top() const noexcept { return top_; }
    float Width() const noexcept { return width_; }
    float Height() const noexcept { return height_; }
    void SetLeft(float value) { Move(value); }
    void SetTop(float value) { Move(left_, value); }
    // Raises 380 for a negative value.
    void SetWidth(float value) { Move(left_, top_, value); }
    void SetHeight(float value) { Move(left_, top_, width_, value); }
    // Omitted values stay. Raises 380 for a negative width or height and then changes nothing.
    void Move(float left, std::optional<float> top = {}, std::optional<float> width = {},
              std::optional<float> height = {});
    // The control's rectangle in pixels relative to its form's client area.
    virtual PixelRect PixelBounds() const;
    // Scale units of the control's own placement per pixel (its container's scale).
    float ParentUnitsPerPixel() const;

    // --- common properties
    bool Visible() const noexcept { return visible_; }
    void SetVisible(bool value);
    bool Enabled() const noexcept { return enabled_; }
    void SetEnabled(bool value);
    const std::string& Tag() const noexcept { return tag_; }
    void SetTag(std::string value);
    const std::string& ToolTipText() const noexcept { return toolTipText_; }
    void SetToolTipText(std::string value);
    int MousePointer() const noexcept { return mousePointer_; }
    // Raises 380 for a code outside 0..15 and 99.
    void SetMousePointer(int value);
    Color BackColor() const noexcept { return backColor_; }
    void SetBackColor(Color value);
    Color ForeColor() const noexcept { return foreColor_; }
    void SetForeColor(Color value);
    float FontSize() const noexcept { return fontSize_; }
    // Raises 380 for a size that is not positive.
    void SetFontSize(float value);
    int TabIndex() const noexcept { return tabIndex_; }
    // Raises 380 for a negative index.
    void SetTabIndex(int value);
    bool TabStop() const noexcept { return tabStop_; }
    void SetTabStop(bool value);

    // Visible with every container up to a shown form; enabled likewise.
    bool IsShowing() const;
    bool IsEnabledThrough() const;

    // --- the control's window (created on first use; windowless kinds have none)
    // 0 for a windowless control (label, image, timer).
    platform::WindowHandle hWnd();
    virtual bool IsWindowed() const { return true; }
    // The window if it exists, without creating it.
    platform::WindowHandle ExistingWindow() const noexcept { return window_; }

    // --- z-order: 0 brings the control to the front of its container, 1 sends it to the back.
    void ZOrder(int position = 0);

    // --- focus
    // Raises 5 when the control cannot take the focus: hidden, disabled, not loaded, its form not
    // shown, or a kind that never takes it (label, image, frame, timer).
    virtual void SetFocus();
    bool CanReceiveFocus() const;
    bool HasFocus() const;
    // Whether the kind takes the focus at all.
    virtual bool TakesFocus() const { return false; }

    // --- events shared by the kinds (a kind raises those that apply to it)
    Event<> Click;
    Event<> DblClick;
    Event<> GotFocus;
    Event<> LostFocus;
    // Button, Shift, X, Y. X and Y are twips from the control's top-left corner; containers with
    // a scale of their own (form, picture box, user control) report their scale units.
    Event<std::int16_t, std::int16_t, float, float> MouseDown;
    Event<std::int16_t, std::int16_t, float, float> MouseMove;
    Event<std::int16_t, std::int16_t, float, float> MouseUp;
    Event<std::int16_t&, std::int16_t&> KeyDown;  // KeyCode, Shift
    Event<std::int16_t&, std::int16_t&> KeyUp;
    Event<std::int16_t&> KeyPress;  // KeyAscii

    // --- what the user does (called by the input simulator and the view)
    // A mouse click on the control after its button events: raises Click, or changes the value of
    // a check box or option button (which raises Click).
    virtual void UserClick() { Click(); }
    // The control's own reaction to a key the KeyDown handler left non-zero (caret keys, space).
    virtual void UserKey(std::int16_t keyCode, std::int16_t shiftState);
    // A typed character (UTF-8, one character) after KeyPress left it.
    virtual void UserChar(std::string_view character);
    // The control's own reaction to the mouse, after its MouseDown, MouseMove (with the left
    // button held) or DblClick event; points are pixels from the control's top-left corner (a text
    // box places its caret, selects by dragging and selects a word on a double click).
    virtual void UserPress(std::int16_t /*button*/, std::int16_t /*shift*/, float /*x*/,
                           float /*y*/) {}
    virtual void UserMouseDrag(float /*x*/, float /*y*/) {}
    virtual void UserDoubleClick(float /*x*/, float /*y*/) {}
    // Scale of the mouse coordinates the control reports, in units per pixel.
    virtual float MouseUnitsPerPixel() const { return TwipsPerPixel; }

    // --- late binding by member name (the same table serves property persistence)
    rt::DispId GetIdOfName(std::string_view name) override;
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override;
    static const rt::DispatchTable<Control>& Members();

    // An object reference for late-bound callers.
    rt::ObjectRef Object() { return shared_from_this(); }

  protected:
    explicit Control(std::string name);

    // The kind's own starting colours (no change is reported: the control is being made).
    void InitColors(Color back, Color fore) noexcept {
        backColor_ = back;
        foreColor_ = fore;
    }
    // Tells observers (the view) that a property changed and asks for a repaint.
    void Changed(std::string_view property);
    // Copies the properties of `source` (the same kind): control-array elements loaded at run
    // time start from element 0. Kinds extend it for their own properties.
    virtual void CopyPropertiesFrom(const Control& source);
    // Raised after the width or height changed (containers raise Resize).
    virtual void SizeChanged() {}
    // The procedure of the control's window; nullptr for the system's default handling.
    virtual platform::WindowProc WindowProcedure() const { return nullptr; }
    // Raised after Enabled changed (a timer starts or stops).
    virtual void EnabledChanged() {}
    // The window's rectangle: relative to the nearest windowed container, or the screen.
    virtual platform::Rect WindowRect() const;

  public:
    // Whether the control shows at run time (a timer never does).
    virtual bool ShownAtRunTime() const { return true; }

  protected:
    // The form was loaded or unloaded (timers start and stop).
    virtual void FormLoadChanged(bool /*loaded*/) {}
    // The control lost visibility or enablement: the focus leaves it.
    void DropFocusIfInside();
    // Brings the window's place and visibility in line with the control's.
    void SyncWindow();
    // Destroys the windows of the control and of everything inside it.
    void DestroyWindows();

    // Looks a member up in the kind's table first, then in the base's.
    template <class T, class Base>
    rt::DispId ChainedIdOfName(std::string_view name) {
        if (const auto* m = T::Members().Find(name)) return m->id;
        return static_cast<T&>(*this).Base::GetIdOfName(name);
    }
    template <class T, class Base>
    rt::Variant ChainedInvoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) {
        if (const auto* m = T::Members().Find(id))
            return m->call(static_cast<T&>(*this), type, args);
        return static_cast<T&>(*this).Base::Invoke(id, type, args);
    }

  private:
    friend class Container;
    friend class ControlArrayBase;
    friend class Form;
    friend class Application;
    friend void Load(Form& form);
    friend bool Unload(Form& form);

    std::string name_;
    int index_ = -1;
    Container* parent_ = nullptr;
    bool unloaded_ = false;
    platform::WindowHandle window_ = 0;

    float left_ = 0, top_ = 0, width_ = 0, height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    std::string tag_;
    std::string toolTipText_;
    int mousePointer_ = pointer::Default;
    Color backColor_ = color::SystemButtonFace;
    Color foreColor_ = color::SystemButtonText;
    float fontSize_ = 8.25f;
    int tabIndex_ = 0;
    bool tabStop_ = true;
};

}  // namespace forms

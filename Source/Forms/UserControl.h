#pragma once
// The surface of a user control (the grid is one): a container placed in its host container's
// units (the extender: Left, Top, Width, Height, Move), holding its constituent controls in
// pixels, with a property bag for its settings, ambient properties from its host, and
// EnterFocus/ExitFocus when the focus enters or leaves its constituents.
#include <string>
#include <string_view>

#include "Container.h"
#include "PropertyBag.h"

namespace forms {

struct AmbientProperties {
    bool UserMode = true;  // false inside a development environment
};

class UserControl : public Container {
  public:
    explicit UserControl(std::string name);
    std::string_view TypeName() const override { return "UserControl"; }

    Event<> Resize;                      // every change of the size
    Event<> EnterFocus;                  // the focus enters the control or one of its constituents
    Event<> ExitFocus;                   // ... and leaves them
    Event<> InitProperties;              // a newly placed control
    Event<PropertyBag&> ReadProperties;  // a loaded control reads its stored settings
    Event<PropertyBag&> WriteProperties;
    // To the container: a stored setting changed, the properties need saving again.
    Event<const std::string&> PropertyChangedNotify;

    AmbientProperties& Ambient() noexcept { return ambient_; }
    // The placement the host container gives the control (in the host's units).
    Control& Extender() noexcept { return *this; }

    // Tells the container that the stored property `name` changed.
    void PropertyChanged(std::string_view name);
    // Raise InitProperties, ReadProperties and WriteProperties.
    void InitNew();
    void LoadProperties(PropertyBag& bag);
    void SaveProperties(PropertyBag& bag);

    // Width and height of a text in pixels, measured with the control's font (FontSize).
    float TextWidth(std::string_view text) const;
    float TextHeight(std::string_view text) const;

    // The constituent that has the focus; nullptr when the focus is elsewhere.
    Control* ActiveControl() const;

    // Key events of constituents reach the control's KeyDown first when set.
    bool KeyPreview() const noexcept { return keyPreview_; }
    void SetKeyPreview(bool value) { keyPreview_ = value; }

    float ChildUnitsPerPixel() const override { return 1.0f; }
    float MouseUnitsPerPixel() const override { return 1.0f; }
    bool TakesFocus() const override { return true; }
    // Gives the focus to the first constituent in tab order that can take it, or to the surface.
    void SetFocus() override;

    rt::DispId GetIdOfName(std::string_view name) override;
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override;
    static const rt::DispatchTable<UserControl>& Members();

  protected:
    void SizeChanged() override { Resize(); }

  private:
    AmbientProperties ambient_;
    bool keyPreview_ = false;
};

}  // namespace forms

#pragma once
// A form: a top-level window without border (the client area is the whole window), placed in
// twips on the screen, holding its controls in twips. Loaded explicitly or on first use through
// FormRef (Load event), shown modelessly, hidden, unloaded (Unload event with a cancel flag).
#include <cstdint>
#include <memory>
#include <string>

#include "Container.h"

namespace forms {

class Form : public Container {
  public:
    explicit Form(std::string name = "Form1");
    ~Form() override;
    std::string_view TypeName() const override { return "Form"; }

    Event<> Load;
    Event<std::int16_t&> Unload;  // Cancel: non-zero keeps the form loaded
    Event<> Resize;               // every change of the form's size while loaded

    bool Loaded() const noexcept { return loaded_; }
    // True once an unload went through (a FormRef then counts the instance as gone).
    bool WasUnloaded() const noexcept { return wasUnloaded_; }
    // Loads the form if needed and shows it (modeless); the first showing raises Resize and
    // gives the focus to the first control in tab order that can take it.
    void Show();
    void Hide();

    const std::string& Caption() const noexcept { return caption_; }
    void SetCaption(std::string value);
    // The control of this form that has (or last had) the focus; nullptr when none.
    Control* ActiveControl() const;

    PixelRect PixelBounds() const override;
    float ChildUnitsPerPixel() const override { return TwipsPerPixel; }
    float MouseUnitsPerPixel() const override { return TwipsPerPixel; }

    rt::DispId GetIdOfName(std::string_view name) override;
    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override;
    static const rt::DispatchTable<Form>& Members();

  protected:
    void SizeChanged() override;
    platform::Rect WindowRect() const override;

  private:
    friend class Application;
    friend void Load(Form& form);
    friend bool Unload(Form& form);

    std::string caption_;
    bool loaded_ = false;
    bool wasUnloaded_ = false;
    bool shownSinceLoad_ = false;
    std::weak_ptr<Control> activeControl_;
};

// Loads the form: creates its windows, starts its timers and raises Load. Nothing when loaded.
void Load(Form& form);
// Raises Unload; unless cancelled, hides the form, stops its timers and destroys its windows.
// Returns false when the handler cancelled.
bool Unload(Form& form);

}  // namespace forms

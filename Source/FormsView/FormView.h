#pragma once
// The widget that shows one form of the toolkit on the desktop and feeds the user's mouse and
// keyboard into it. It follows the model through the change stream and redraws from it; the
// model stays the only place where state lives (the widget holds the form weakly and shows
// nothing once the form is unloaded or gone).
#include <FL/Fl_Widget.H>

#include <memory>
#include <optional>
#include <string>

#include "Application.h"
#include "HeldRepeat.h"
#include "Painter.h"
#include "ScreenScale.h"
#include "ScrollBarParts.h"

namespace forms {
class Form;
class ScrollBar;
class ComboBox;
}  // namespace forms

namespace formsview {

class FormView : public Fl_Widget, public forms::ChangeObserver {
  public:
    FormView(int x, int y, int w, int h, ScreenScale scale);
    ~FormView() override;
    FormView(const FormView&) = delete;
    FormView& operator=(const FormView&) = delete;

    // Shows `form` and sizes it to the widget (its Resize runs); nullptr shows none.
    void Attach(forms::Form* form);
    // The form shown: nullptr when none is attached, it went away or it is unloaded.
    forms::Form* AttachedForm() const;
    const ScreenScale& Scale() const noexcept { return scale_; }

    // Sizes the attached form to the widget, in twips at the screen's resolution.
    void SizeFormToView();
    void resize(int x, int y, int w, int h) override;

    // The change stream: every change asks FLTK for a redraw (drawn on the next turn).
    void ControlAdded(forms::Control&) override { redraw(); }
    void ControlChanged(forms::Control&, std::string_view) override { redraw(); }
    void ControlRemoved(forms::Control&) override { redraw(); }
    void ControlPainted(forms::Control&) override { redraw(); }

  protected:
    void draw() override;
    int handle(int event) override;

  private:
    float ModelX() const;
    float ModelY() const;
    int HandleMouse(int event, forms::Form& form);
    int HandleKey(forms::Form& form);
    // A scroll bar under the mouse: a scroll bar control, or a text box's own bar.
    struct BarPlace {
        ScreenRect rect;
        bool horizontal = false;
        int min = 0, max = 0, value = 0;
        int Length() const { return horizontal ? rect.w : rect.h; }
        int Thickness() const { return horizontal ? rect.h : rect.w; }
    };
    std::optional<BarPlace> BarOf(forms::Control& control) const;
    int AlongBar(const BarPlace& bar) const;
    // A press on a bar: an arrow or the track steps and repeats while held; the thumb is taken.
    void PressBar(forms::Control& control);
    void StepBar(forms::Control& control, ScrollPart part);
    void RepeatBarStep();
    void DragBar();
    void ReleaseBar();
    void DropDown(forms::ComboBox& combo);
    void UpdateTooltip();

    ScreenScale scale_;
    Painter painter_;
    std::weak_ptr<forms::Control> form_;
    std::weak_ptr<forms::Control> pressed_;  // the control that got the press
    std::weak_ptr<forms::Control> heldBar_;  // the control whose bar the mouse holds
    ScrollPart heldPart_ = ScrollPart::Outside;
    int dragGrip_ = 0;  // from the thumb's start to the mouse
    forms::HeldRepeat repeat_;
    int mouseX_ = 0, mouseY_ = 0;  // screen pixels, for the repeat's timer
    bool doubleClick_ = false;
    std::string tooltip_;
    const forms::Control* tooltipOf_ = nullptr;
};

}  // namespace formsview

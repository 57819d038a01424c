#include "FormView.h"

#include <FL/Fl.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Tooltip.H>
#include <FL/Fl_Window.H>
#include "FlDraw.h"

#include <vector>

#include "Colors.h"
#include "ComboBox.h"
#include "EventMapping.h"
#include "Focus.h"
#include "Form.h"
#include "InputSimulator.h"
#include "MenuLabel.h"
#include "ScrollBar.h"
#include "ScrollBarParts.h"
#include "TimerPump.h"

namespace formsview {

FormView::FormView(int x, int y, int w, int h, ScreenScale scale)
    : Fl_Widget(x, y, w, h), scale_(scale) {
    forms::App().AddObserver(this);
}

FormView::~FormView() {
    forms::App().RemoveObserver(this);
}

void FormView::Attach(forms::Form* form) {
    form_ = form ? form->weak_from_this() : std::weak_ptr<forms::Control>();
    pressed_.reset();
    dragBar_.reset();
    tooltipOf_ = nullptr;
    SizeFormToView();
    redraw();
}

forms::Form* FormView::AttachedForm() const {
    auto control = form_.lock();
    auto* form = static_cast<forms::Form*>(control.get());
    return form && form->Loaded() ? form : nullptr;
}

void FormView::SizeFormToView() {
    if (forms::Form* form = AttachedForm())
        form->Move(0, 0, scale_.PixelsToTwips(w()), scale_.PixelsToTwips(h()));
}

void FormView::resize(int x, int y, int w, int h) {
    const bool sized = w != this->w() || h != this->h();
    Fl_Widget::resize(x, y, w, h);
    if (sized) {
        SizeFormToView();
        ScheduleTimers();
    }
}

void FormView::draw() {
    fl_push_clip(x(), y(), w(), h());
    forms::Form* form = AttachedForm();
    const Rgb back = ResolveColor(forms::color::SystemButtonFace);
    fl_color(fl_rgb_color(back.r, back.g, back.b));
    fl_rectf(x(), y(), w(), h());
    if (form && form->Visible()) painter_.Paint(*form, scale_, x(), y());
    fl_pop_clip();
}

float FormView::ModelX() const {
    return scale_.ToModel(Fl::event_x() - x());
}

float FormView::ModelY() const {
    return scale_.ToModel(Fl::event_y() - y());
}

int FormView::handle(int event) {
    forms::Form* form = AttachedForm();
    switch (event) {
        case FL_FOCUS:
        case FL_UNFOCUS:
            return 1;
        case FL_ENTER:
        case FL_LEAVE:
            return 1;
        default:
            break;
    }
    if (!form) return Fl_Widget::handle(event);
    // Keeps the form alive through the input: a handler may unload it.
    const auto hold = form->weak_from_this().lock();
    int used = 0;
    switch (event) {
        case FL_PUSH:
        case FL_RELEASE:
        case FL_DRAG:
        case FL_MOVE:
        case FL_MOUSEWHEEL:
            used = HandleMouse(event, *form);
            break;
        case FL_KEYBOARD:
            used = HandleKey(*form);
            break;
        case FL_KEYUP:
            used = 1;
            break;
        default:
            return Fl_Widget::handle(event);
    }
    ScheduleTimers();
    return used;
}

int FormView::HandleMouse(int event, forms::Form& form) {
    const float mx = ModelX(), my = ModelY();
    const std::int16_t shift = ShiftOf(Fl::event_state());
    switch (event) {
        case FL_MOVE:
            forms::input::MouseMove(form, mx, my, 0, shift);
            UpdateTooltip();
            return 1;
        case FL_DRAG:
            forms::input::MouseMove(form, mx, my, ButtonsHeld(Fl::event_state()), shift);
            return 1;
        case FL_MOUSEWHEEL:
            if (Fl::event_dy() != 0)
                forms::input::Wheel(form, mx, my, WheelDistance(Fl::event_dy()));
            return 1;
        case FL_PUSH: {
            if (Fl::focus() != this) take_focus();
            Fl_Tooltip::current(nullptr);
            const std::int16_t button = ButtonOf(Fl::event_button());
            if (button == 0) return 1;
            doubleClick_ = button == forms::button::Left && Fl::event_clicks() > 0;
            if (doubleClick_)
                forms::input::DoubleClickPress(form, mx, my, shift);
            else
                forms::input::MouseDown(form, mx, my, button, shift);
            forms::Control* target = forms::App().Capture();
            pressed_ = target ? target->weak_from_this() : std::weak_ptr<forms::Control>();
            if (auto* bar = dynamic_cast<forms::ScrollBar*>(target);
                bar && button == forms::button::Left && !doubleClick_)
                PressScrollBar(*bar);
            return 1;
        }
        case FL_RELEASE: {
            const std::int16_t button = ButtonOf(Fl::event_button());
            if (button == 0) return 1;
            ReleaseScrollBar();
            forms::input::MouseUp(form, mx, my, button, shift, !doubleClick_);
            doubleClick_ = false;
            auto pressed = pressed_.lock();
            pressed_.reset();
            if (auto* combo = dynamic_cast<forms::ComboBox*>(pressed.get());
                combo && button == forms::button::Left && combo->IsLoaded() &&
                combo->IsEnabledThrough() && combo->PixelBounds().Contains(mx, my))
                DropDown(*combo);
            return 1;
        }
        default:
            return 0;
    }
}

int FormView::HandleKey(forms::Form& form) {
    const int state = Fl::event_state();
    const std::int16_t shift = ShiftOf(state);
    const std::int16_t key = VirtualKeyOf(Fl::event_key());
    // Alt combinations and Ctrl with a letter are the menu bar's shortcuts.
    if ((state & FL_ALT) || ((state & FL_CTRL) && key >= 'A' && key <= 'Z')) return 0;
    forms::Control* focused = forms::App().FocusedControl();
    if (key == forms::key::Tab && (!focused || focused->ParentForm() != &form)) {
        // Nothing of the form has the focus yet (a click gives it, or this Tab): the Tab enters
        // the form at the start (or, with Shift, the end) of its tab order.
        if (forms::Control* first =
                forms::NextInTabOrder(form, nullptr, shift & forms::shift::Shift)) {
            // Held down while the focus moves, as for any Tab: the grid tells keyboard arrival
            // by it.
            auto& keys = platform::KeyState();
            keys.KeyDown(forms::key::Tab);
            forms::App().MoveFocus(first);
            keys.KeyUp(forms::key::Tab);
        }
        return 1;
    }
    if (key != 0) forms::input::PressKey(key, shift);
    if (!(state & FL_CTRL) && IsTypedText(Fl::event_text(), Fl::event_length()))
        forms::input::TypeText(Fl::event_text());
    return 1;
}

void FormView::PressScrollBar(forms::ScrollBar& bar) {
    const forms::PixelRect b = bar.PixelBounds();
    const ScreenRect r = Painter::ToScreen(b, scale_, x(), y());
    const bool horizontal = bar.GetOrientation() == forms::ScrollBar::Orientation::Horizontal;
    const int length = horizontal ? r.w : r.h;
    const int position = horizontal ? Fl::event_x() - r.x : Fl::event_y() - r.y;
    const ScrollBarParts parts(length, horizontal ? r.h : r.w, bar.Min(), bar.Max(), bar.Value());
    switch (parts.PartAt(position)) {
        case ScrollPart::LineUp:
            bar.UserKey(forms::key::Up, 0);
            break;
        case ScrollPart::LineDown:
            bar.UserKey(forms::key::Down, 0);
            break;
        case ScrollPart::PageUp:
            bar.UserKey(forms::key::PageUp, 0);
            break;
        case ScrollPart::PageDown:
            bar.UserKey(forms::key::PageDown, 0);
            break;
        case ScrollPart::Thumb:
            dragBar_ = bar.weak_from_this();
            dragGrip_ = position - parts.thumbStart;
            break;
        case ScrollPart::Outside:
            break;
    }
}

void FormView::ReleaseScrollBar() {
    auto held = dragBar_.lock();
    dragBar_.reset();
    auto* bar = dynamic_cast<forms::ScrollBar*>(held.get());
    if (!bar || !bar->IsLoaded() || !bar->IsEnabledThrough()) return;
    const ScreenRect r = Painter::ToScreen(bar->PixelBounds(), scale_, x(), y());
    const bool horizontal = bar->GetOrientation() == forms::ScrollBar::Orientation::Horizontal;
    const int position = horizontal ? Fl::event_x() - r.x : Fl::event_y() - r.y;
    const ScrollBarParts parts(horizontal ? r.w : r.h, horizontal ? r.h : r.w, bar->Min(),
                               bar->Max(), bar->Value());
    const int value = parts.ValueAt(position - dragGrip_);
    if (value != bar->Value()) bar->UserDrag(value);
}

void FormView::DropDown(forms::ComboBox& combo) {
    const int count = combo.ListCount();
    if (count == 0) return;
    std::vector<std::string> labels;
    labels.reserve(count);
    for (int i = 0; i < count; ++i) labels.push_back(EscapeMenuItemLabel(combo.List(i)));
    std::vector<Fl_Menu_Item> items(count + 1, Fl_Menu_Item{});
    const int fontPixels = scale_.FontPixels(combo.FontSize());
    for (int i = 0; i < count; ++i) {
        items[i].label(labels[i].c_str());
        items[i].labelsize(fontPixels);
    }
    const ScreenRect r = Painter::ToScreen(combo.PixelBounds(), scale_, x(), y());
    const Fl_Menu_Item* current = combo.ListIndex() >= 0 ? &items[combo.ListIndex()] : nullptr;
    const Fl_Menu_Item* picked = items[0].pulldown(r.x, r.y, r.w, r.h, current);
    if (!picked || !combo.IsLoaded()) return;
    combo.UserSelect(static_cast<int>(picked - items.data()));
}

void FormView::UpdateTooltip() {
    const forms::Control* hover = forms::App().Hover();
    if (hover == tooltipOf_) return;
    tooltipOf_ = hover;
    if (!hover || hover->ToolTipText().empty()) {
        tooltip_.clear();
        Fl_Tooltip::enter_area(this, 0, 0, 0, 0, nullptr);
        return;
    }
    tooltip_ = EscapeLabel(hover->ToolTipText());
    const ScreenRect r = Painter::ToScreen(hover->PixelBounds(), scale_, x(), y());
    Fl_Tooltip::enter_area(this, r.x, r.y, r.w, r.h, tooltip_.c_str());
}

}  // namespace formsview

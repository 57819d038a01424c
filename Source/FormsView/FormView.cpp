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
#include "TextBox.h"
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
    ReleaseBar();
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
            mouseX_ = Fl::event_x();
            mouseY_ = Fl::event_y();
            forms::input::MouseMove(form, mx, my, ButtonsHeld(Fl::event_state()), shift);
            DragBar();
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
            mouseX_ = Fl::event_x();
            mouseY_ = Fl::event_y();
            if (target && button == forms::button::Left && !doubleClick_) PressBar(*target);
            return 1;
        }
        case FL_RELEASE: {
            const std::int16_t button = ButtonOf(Fl::event_button());
            if (button == 0) return 1;
            ReleaseBar();
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
    if (auto* combo = dynamic_cast<forms::ComboBox*>(forms::App().FocusedControl());
        combo && combo->ParentForm() == &form && OpensDropDownList(key, shift)) {
        // The combo box hears the key (KeyDown, KeyUp) before its list opens.
        forms::input::PressKey(key, shift);
        if (forms::App().FocusedControl() == combo && combo->IsLoaded()) DropDown(*combo);
        return 1;
    }
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

std::optional<FormView::BarPlace> FormView::BarOf(forms::Control& control) const {
    if (!control.IsLoaded() || !control.IsEnabledThrough()) return std::nullopt;
    const ScreenRect bounds = Painter::ToScreen(control.PixelBounds(), scale_, x(), y());
    if (auto* bar = dynamic_cast<forms::ScrollBar*>(&control))
        return BarPlace{bounds, bar->GetOrientation() == forms::ScrollBar::Orientation::Horizontal,
                        bar->Min(), bar->Max(), bar->Value()};
    if (auto* box = dynamic_cast<forms::TextBox*>(&control)) {
        const forms::PixelRect area = box->VerticalScrollBarArea();
        if (area.width <= 0) return std::nullopt;
        const int last = static_cast<int>(box->Lines().size()) - box->VisibleLineCount();
        return BarPlace{Painter::ToScreen(area, scale_, bounds.x, bounds.y), false, 0,
                        std::max(0, last), box->FirstVisibleLine()};
    }
    return std::nullopt;
}

int FormView::AlongBar(const BarPlace& bar) const {
    return bar.horizontal ? mouseX_ - bar.rect.x : mouseY_ - bar.rect.y;
}

void FormView::PressBar(forms::Control& control) {
    const std::optional<BarPlace> bar = BarOf(control);
    if (!bar) return;
    const int across = bar->horizontal ? mouseY_ - bar->rect.y : mouseX_ - bar->rect.x;
    if (across < 0 || across >= bar->Thickness()) return;
    const ScrollBarParts parts(bar->Length(), bar->Thickness(), bar->min, bar->max, bar->value);
    const ScrollPart part = parts.PartAt(AlongBar(*bar));
    if (part == ScrollPart::Outside) return;
    heldBar_ = control.weak_from_this();
    heldPart_ = part;
    if (part == ScrollPart::Thumb) {
        dragGrip_ = AlongBar(*bar) - parts.thumbStart;
        return;
    }
    // Held down, the step repeats after a pause, as the desktop's scroll bars do.
    repeat_.Press([this] { RepeatBarStep(); });
}

void FormView::StepBar(forms::Control& control, ScrollPart part) {
    if (auto* bar = dynamic_cast<forms::ScrollBar*>(&control)) {
        const std::int16_t key = part == ScrollPart::LineUp     ? forms::key::Up
                                 : part == ScrollPart::LineDown ? forms::key::Down
                                 : part == ScrollPart::PageUp   ? forms::key::PageUp
                                                                : forms::key::PageDown;
        bar->UserKey(key, 0);
    } else if (auto* box = dynamic_cast<forms::TextBox*>(&control)) {
        const int page = box->VisibleLineCount();
        box->ScrollLines(part == ScrollPart::LineUp     ? -1
                         : part == ScrollPart::LineDown ? 1
                         : part == ScrollPart::PageUp   ? -page
                                                        : page);
    }
}

void FormView::RepeatBarStep() {
    auto held = heldBar_.lock();
    if (!held || heldPart_ == ScrollPart::Thumb) return;
    const std::optional<BarPlace> bar = BarOf(*held);
    if (!bar) return;
    const ScrollBarParts parts(bar->Length(), bar->Thickness(), bar->min, bar->max, bar->value);
    // A page step stops once the thumb reaches the mouse, an arrow once the mouse leaves it.
    if (parts.PartAt(AlongBar(*bar)) == heldPart_) StepBar(*held, heldPart_);
}

void FormView::DragBar() {
    auto held = heldBar_.lock();
    if (!held || heldPart_ != ScrollPart::Thumb) return;
    const std::optional<BarPlace> bar = BarOf(*held);
    if (!bar) return;
    const ScrollBarParts parts(bar->Length(), bar->Thickness(), bar->min, bar->max, bar->value);
    const int value = parts.ValueAt(AlongBar(*bar) - dragGrip_);
    if (auto* scrollBar = dynamic_cast<forms::ScrollBar*>(held.get()))
        scrollBar->UserTrack(value);
    else if (auto* box = dynamic_cast<forms::TextBox*>(held.get()))
        box->SetFirstVisibleLine(value);
}

void FormView::ReleaseBar() {
    repeat_.Release();
    auto held = heldBar_.lock();
    const bool thumb = heldPart_ == ScrollPart::Thumb;
    heldBar_.reset();
    heldPart_ = ScrollPart::Outside;
    if (!thumb) return;
    if (auto* bar = dynamic_cast<forms::ScrollBar*>(held.get()); bar && bar->IsLoaded())
        bar->UserEndTrack();
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

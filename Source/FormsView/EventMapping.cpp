#include "EventMapping.h"

#include <FL/Enumerations.H>

#include <algorithm>

#include "Units.h"
#include "WindowManager.h"

namespace formsview {

std::int16_t VirtualKeyOf(int flKey) {
    if (flKey >= 'a' && flKey <= 'z') return static_cast<std::int16_t>(flKey - 'a' + 'A');
    if (flKey >= '0' && flKey <= '9') return static_cast<std::int16_t>(flKey);
    if (flKey >= FL_KP + '0' && flKey <= FL_KP + '9')
        return static_cast<std::int16_t>(0x60 + flKey - FL_KP - '0');
    if (flKey >= FL_F + 1 && flKey <= FL_F + 12)
        return static_cast<std::int16_t>(platform::VK_F1 + flKey - FL_F - 1);
    switch (flKey) {
        case FL_BackSpace:
            return forms::key::Back;
        case FL_Tab:
            return forms::key::Tab;
        case FL_Enter:
        case FL_KP_Enter:
            return forms::key::Return;
        case FL_Escape:
            return forms::key::Escape;
        case ' ':
            return forms::key::Space;
        case FL_Page_Up:
            return forms::key::PageUp;
        case FL_Page_Down:
            return forms::key::PageDown;
        case FL_End:
            return forms::key::End;
        case FL_Home:
            return forms::key::Home;
        case FL_Left:
            return forms::key::Left;
        case FL_Up:
            return forms::key::Up;
        case FL_Right:
            return forms::key::Right;
        case FL_Down:
            return forms::key::Down;
        case FL_Insert:
            return platform::VK_INSERT;
        case FL_Delete:
            return forms::key::Delete;
        case FL_Shift_L:
        case FL_Shift_R:
            return forms::key::ShiftKey;
        case FL_Control_L:
        case FL_Control_R:
            return forms::key::Control;
        case FL_Alt_L:
        case FL_Alt_R:
            return forms::key::Menu;
        default:
            return 0;
    }
}

std::int16_t ShiftOf(int flState) {
    std::int16_t shift = forms::shift::None;
    if (flState & FL_SHIFT) shift |= forms::shift::Shift;
    if (flState & FL_CTRL) shift |= forms::shift::Ctrl;
    if (flState & FL_ALT) shift |= forms::shift::Alt;
    return shift;
}

std::int16_t ButtonOf(int flButton) {
    switch (flButton) {
        case FL_LEFT_MOUSE:
            return forms::button::Left;
        case FL_MIDDLE_MOUSE:
            return forms::button::Middle;
        case FL_RIGHT_MOUSE:
            return forms::button::Right;
        default:
            return 0;
    }
}

std::int16_t ButtonsHeld(int flState) {
    std::int16_t buttons = 0;
    if (flState & FL_BUTTON1) buttons |= forms::button::Left;
    if (flState & FL_BUTTON2) buttons |= forms::button::Middle;
    if (flState & FL_BUTTON3) buttons |= forms::button::Right;
    return buttons;
}

std::int16_t WheelDistance(int flDy) {
    const long distance = -static_cast<long>(flDy) * platform::WHEEL_DELTA;
    return static_cast<std::int16_t>(std::clamp<long>(distance, -32768, 32767));
}

bool OpensDropDownList(std::int16_t keyCode, std::int16_t shift) {
    const bool alt = (shift & forms::shift::Alt) != 0;
    if (keyCode == forms::key::F4) return !alt;  // Alt+F4 closes the window
    return alt && (keyCode == forms::key::Down || keyCode == forms::key::Up);
}

bool IsTypedText(const char* text, int length) {
    if (!text || length <= 0) return false;
    const auto first = static_cast<unsigned char>(text[0]);
    return first >= 0x20 && first != 0x7F;
}

}  // namespace formsview

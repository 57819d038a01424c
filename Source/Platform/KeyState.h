#pragma once
// The asynchronous key state: which virtual keys (and mouse buttons) are down. The UI toolkit's
// input feeds it with KeyDown/KeyUp; the grid asks it with GetAsyncKeyState.
#include <cstdint>

#include "Role.h"

namespace platform {

// Virtual key codes.
inline constexpr int VK_LBUTTON = 0x01;
inline constexpr int VK_RBUTTON = 0x02;
inline constexpr int VK_MBUTTON = 0x04;
inline constexpr int VK_BACK = 0x08;
inline constexpr int VK_TAB = 0x09;
inline constexpr int VK_RETURN = 0x0D;
inline constexpr int VK_SHIFT = 0x10;
inline constexpr int VK_CONTROL = 0x11;
inline constexpr int VK_MENU = 0x12;  // Alt
inline constexpr int VK_ESCAPE = 0x1B;
inline constexpr int VK_SPACE = 0x20;
inline constexpr int VK_PRIOR = 0x21;  // page up
inline constexpr int VK_NEXT = 0x22;   // page down
inline constexpr int VK_END = 0x23;
inline constexpr int VK_HOME = 0x24;
inline constexpr int VK_LEFT = 0x25;
inline constexpr int VK_UP = 0x26;
inline constexpr int VK_RIGHT = 0x27;
inline constexpr int VK_DOWN = 0x28;
inline constexpr int VK_INSERT = 0x2D;
inline constexpr int VK_DELETE = 0x2E;
inline constexpr int VK_F1 = 0x70;
inline constexpr int VK_F2 = 0x71;

// The value of GetAsyncKeyState for a key that is down and was pressed since the last query.
inline constexpr std::int16_t kKeyDownAndPressed = -32767;  // 0x8001

class KeyboardState {
  public:
    virtual ~KeyboardState() = default;
    // 0x8000 (the sign bit) while the key is down, plus 1 when it was pressed since the previous
    // query of this key; the query clears that "pressed" bit. Keys outside 0..255 give 0.
    virtual std::int16_t GetAsyncKeyState(int vk) = 0;
    // Input feed. Keys outside 0..255 are ignored.
    virtual void KeyDown(int vk) = 0;
    virtual void KeyUp(int vk) = 0;
    // Whether the key is down now, without touching the "pressed" bit.
    virtual bool IsKeyDown(int vk) = 0;
    // Every key up, nothing pressed.
    virtual void Reset() = 0;
};

}  // namespace platform

PERLOWAN_DECLARE_ROLE(platform::KeyboardState);

namespace platform {

inline KeyboardState& KeyState() {
    return rt::Role<KeyboardState>::Get();
}

}  // namespace platform

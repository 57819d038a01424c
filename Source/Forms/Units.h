#pragma once
// Shared vocabulary of the toolkit: colours, mouse pointers, key codes, mouse buttons, shift
// states and the error numbers the controls raise.
#include <cstdint>

#include "KeyState.h"

namespace forms {

// An automation colour: 0x00BBGGRR, or a system colour with the high bit set.
using Color = std::int32_t;

namespace color {
inline constexpr Color White = 0xFFFFFF;
inline constexpr Color Black = 0x000000;
inline constexpr Color Grey = 0x808080;
inline constexpr Color SystemWindow = static_cast<Color>(0x80000005u);
inline constexpr Color SystemWindowText = static_cast<Color>(0x80000008u);
inline constexpr Color SystemButtonFace = static_cast<Color>(0x8000000Fu);
inline constexpr Color SystemButtonText = static_cast<Color>(0x80000012u);
}  // namespace color

// Mouse pointer codes of the MousePointer property.
namespace pointer {
inline constexpr int Default = 0;
inline constexpr int Arrow = 1;
inline constexpr int SizeWE = 9;
inline constexpr int Hourglass = 11;
}  // namespace pointer

// Mouse buttons and shift states as the mouse and key events report them.
namespace button {
inline constexpr std::int16_t Left = 1;
inline constexpr std::int16_t Right = 2;
inline constexpr std::int16_t Middle = 4;
}  // namespace button
namespace shift {
inline constexpr std::int16_t None = 0;
inline constexpr std::int16_t Shift = 1;
inline constexpr std::int16_t Ctrl = 2;
inline constexpr std::int16_t Alt = 4;
}  // namespace shift

// Key codes of the key events: the virtual keys of the key-state role.
namespace key {
inline constexpr std::int16_t Back = platform::VK_BACK;
inline constexpr std::int16_t Tab = platform::VK_TAB;
inline constexpr std::int16_t Return = platform::VK_RETURN;
inline constexpr std::int16_t ShiftKey = platform::VK_SHIFT;
inline constexpr std::int16_t Control = platform::VK_CONTROL;
inline constexpr std::int16_t Menu = platform::VK_MENU;
inline constexpr std::int16_t Escape = platform::VK_ESCAPE;
inline constexpr std::int16_t Space = platform::VK_SPACE;
inline constexpr std::int16_t PageUp = platform::VK_PRIOR;
inline constexpr std::int16_t PageDown = platform::VK_NEXT;
inline constexpr std::int16_t End = platform::VK_END;
inline constexpr std::int16_t Home = platform::VK_HOME;
inline constexpr std::int16_t Left = platform::VK_LEFT;
inline constexpr std::int16_t Up = platform::VK_UP;
inline constexpr std::int16_t Right = platform::VK_RIGHT;
inline constexpr std::int16_t Down = platform::VK_DOWN;
inline constexpr std::int16_t Delete = platform::VK_DELETE;
inline constexpr std::int16_t F2 = platform::VK_F2;
inline constexpr std::int16_t F4 = platform::VK_F1 + 3;
}  // namespace key

// Scale units: twips per pixel of the screen (96 dots per inch).
inline constexpr float TwipsPerPixel = 15.0f;

namespace err {
inline constexpr int CannotFocus = 5;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int InvalidPropertyArrayIndex = 381;
inline constexpr int PropertyReadOnly = 383;
inline constexpr int ObjectAlreadyLoaded = 360;
inline constexpr int CannotUnloadDesignElement = 362;
inline constexpr int InvalidPicture = 481;
}  // namespace err

}  // namespace forms

#pragma once
// Shared vocabulary of the toolkit: colours, mouse pointers, key codes, mouse buttons, shift
// states and the error numbers the controls raise.
#include <cstdint>

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

// Virtual key codes the toolkit itself acts on.
namespace key {
inline constexpr std::int16_t Back = 8;
inline constexpr std::int16_t Tab = 9;
inline constexpr std::int16_t Return = 13;
inline constexpr std::int16_t ShiftKey = 16;
inline constexpr std::int16_t Control = 17;
inline constexpr std::int16_t Menu = 18;  // Alt
inline constexpr std::int16_t Escape = 27;
inline constexpr std::int16_t Space = 32;
inline constexpr std::int16_t PageUp = 33;
inline constexpr std::int16_t PageDown = 34;
inline constexpr std::int16_t End = 35;
inline constexpr std::int16_t Home = 36;
inline constexpr std::int16_t Left = 37;
inline constexpr std::int16_t Up = 38;
inline constexpr std::int16_t Right = 39;
inline constexpr std::int16_t Down = 40;
inline constexpr std::int16_t Delete = 46;
inline constexpr std::int16_t F2 = 113;
}  // namespace key

// Scale units: twips per pixel of the screen (96 dots per inch).
inline constexpr float TwipsPerPixel = 15.0f;

namespace err {
inline constexpr int CannotFocus = 5;
inline constexpr int InvalidPropertyValue = 380;
inline constexpr int PropertyReadOnly = 383;
inline constexpr int ObjectAlreadyLoaded = 360;
inline constexpr int CannotUnloadDesignElement = 362;
inline constexpr int InvalidPicture = 481;
}  // namespace err

}  // namespace forms

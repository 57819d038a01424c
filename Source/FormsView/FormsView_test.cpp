// The desktop view's pure parts: scale, colours, label escaping, FLTK's input vocabulary, scroll
// bar geometry and message-box buttons. None needs a display.
#include <FL/Enumerations.H>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Colors.h"
#include "DebugRecorder.h"
#include "DesktopRoles.h"
#include "EventMapping.h"
#include "MenuLabel.h"
#include "ScreenScale.h"
#include "ScrollBarParts.h"

namespace formsview {
namespace {

TEST(ScreenScaleTest, ConvertsTwipsAndToolkitPixelsAtTheScreensResolution) {
    struct Row {
        int line;
        float reportedDpi;
        float dpi;
        float twips;
        int pixels;      // twips on this screen
        float modelPx;   // toolkit pixels (96 dpi)
        int screenPx;    // the same on this screen
        int fontPixels;  // 8.25 points on this screen
    };
    const Row rows[] = {
        {1, 96, 96, 12045, 803, 803, 803, 11}, {2, 120, 120, 12045, 1004, 100, 125, 14},
        {3, 144, 144, 1440, 144, 18, 27, 17},  {4, 100.2f, 100.2f, 6915, 481, 461, 481, 11},
        {5, 0, 96, 15, 1, 1, 1, 11},         // no report: 96
        {6, 2000, 96, 300, 20, 20, 20, 11},  // a report no screen has
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(row.line));
        const ScreenScale scale(row.reportedDpi);
        EXPECT_FLOAT_EQ(scale.Dpi(), row.dpi);
        EXPECT_EQ(scale.TwipsToPixels(row.twips), row.pixels);
        EXPECT_NEAR(scale.PixelsToTwips(row.pixels), row.twips, scale.TwipsPerPixel() / 2);
        EXPECT_EQ(scale.ToScreen(row.modelPx), row.screenPx);
        EXPECT_NEAR(scale.ToModel(row.screenPx), row.modelPx, 96.0f / row.dpi / 2);
        EXPECT_EQ(scale.FontPixels(8.25f), row.fontPixels);
    }
    EXPECT_EQ(ScreenScale::ModelFontPixels(8.25f), 11);
}

TEST(ColorsTest, ResolvesPlainAndSystemColours) {
    struct Row {
        int line;
        forms::Color color;
        Rgb want;
    };
    const Row rows[] = {
        {1, 0x0000FF, {255, 0, 0}},  // 0x00BBGGRR
        {2, 0xFF8000, {0, 128, 255}},
        {3, forms::color::White, {255, 255, 255}},
        {4, forms::color::SystemWindow, {255, 255, 255}},
        {5, forms::color::SystemWindowText, {0, 0, 0}},
        {6, forms::color::SystemButtonFace, {240, 240, 240}},
        {7, forms::color::SystemButtonText, {0, 0, 0}},
        {8, static_cast<forms::Color>(0x8000000Du), {0, 120, 215}},    // highlight
        {9, static_cast<forms::Color>(0x80000018u), {255, 255, 225}},  // tooltip background
    };
    testsupport::DebugRecorder debug("view");
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(row.line));
        EXPECT_EQ(ResolveColor(row.color), row.want);
    }
    EXPECT_TRUE(debug.Lines().empty());
    EXPECT_EQ(ResolveColor(static_cast<forms::Color>(0x80000040u)), (Rgb{0, 0, 0}));
    EXPECT_EQ(debug.Lines(),
              (std::vector<std::string>{"view: unknown system colour index 64, shown black"}));
}

TEST(MenuLabelTest, HostTextsShowAsGiven) {
    struct Row {
        int line;
        std::string text, path, item, label, button;
    };
    const Row rows[] = {
        {1, "Perlowan", "Perlowan", "Perlowan", "Perlowan", "Perlowan"},
        {2, "Tipps/Hinweise", "Tipps\\/Hinweise", "Tipps/Hinweise", "Tipps/Hinweise",
         "Tipps/Hinweise"},
        {3, "Essen & Trinken", "Essen && Trinken", "Essen && Trinken", "Essen & Trinken",
         "Essen && Trinken"},
        {4, "a|b", "a\\|b", "a|b", "a|b", "a|b"},
        {5, "C:\\Daten", "C:\\\\Daten", "C:\\Daten", "C:\\Daten", "C:\\Daten"},
        {6, "@Ärger & 100%", "@Ärger && 100%", "@Ärger && 100%", "@@Ärger & 100%",
         "@@Ärger && 100%"},
        {7, "", "", "", "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(row.line));
        EXPECT_EQ(EscapeMenuPathElement(row.text), row.path);
        EXPECT_EQ(EscapeMenuItemLabel(row.text), row.item);
        EXPECT_EQ(EscapeLabel(row.text), row.label);
        EXPECT_EQ(EscapeButtonLabel(row.text), row.button);
    }
}

TEST(EventMappingTest, KeysReachTheToolkitAsVirtualKeys) {
    struct Row {
        int line;
        int flKey;
        std::int16_t vk;
    };
    const Row rows[] = {
        {1, 'a', 'A'},
        {2, 'z', 'Z'},
        {3, '7', '7'},
        {4, FL_Tab, forms::key::Tab},
        {5, FL_Enter, forms::key::Return},
        {6, FL_KP_Enter, forms::key::Return},
        {7, FL_Escape, forms::key::Escape},
        {8, FL_BackSpace, forms::key::Back},
        {9, FL_Delete, forms::key::Delete},
        {10, ' ', forms::key::Space},
        {11, FL_Up, forms::key::Up},
        {12, FL_Down, forms::key::Down},
        {13, FL_Left, forms::key::Left},
        {14, FL_Right, forms::key::Right},
        {15, FL_Page_Up, forms::key::PageUp},
        {16, FL_Page_Down, forms::key::PageDown},
        {17, FL_Home, forms::key::Home},
        {18, FL_End, forms::key::End},
        {19, FL_F + 2, forms::key::F2},
        {20, FL_F + 12, platform::VK_F1 + 11},
        {21, FL_KP + '3', 0x63},
        {22, FL_Shift_R, forms::key::ShiftKey},
        {23, FL_Control_L, forms::key::Control},
        {24, FL_Alt_L, forms::key::Menu},
        {25, '.', 0},  // typed as text only
        {26, FL_Print, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(row.line));
        EXPECT_EQ(VirtualKeyOf(row.flKey), row.vk);
    }
}

TEST(EventMappingTest, ShiftStatesButtonsAndWheel) {
    EXPECT_EQ(ShiftOf(0), forms::shift::None);
    EXPECT_EQ(ShiftOf(FL_SHIFT | FL_CAPS_LOCK), forms::shift::Shift);
    EXPECT_EQ(ShiftOf(FL_SHIFT | FL_CTRL | FL_ALT), 7);
    EXPECT_EQ(ButtonOf(FL_LEFT_MOUSE), forms::button::Left);
    EXPECT_EQ(ButtonOf(FL_MIDDLE_MOUSE), forms::button::Middle);
    EXPECT_EQ(ButtonOf(FL_RIGHT_MOUSE), forms::button::Right);
    EXPECT_EQ(ButtonOf(4), 0);
    EXPECT_EQ(ButtonsHeld(FL_BUTTON1 | FL_BUTTON3 | FL_SHIFT), 3);
    EXPECT_EQ(ButtonsHeld(FL_BUTTON2), forms::button::Middle);
    // FLTK counts steps down as positive; the desktop reports them as negative distances.
    EXPECT_EQ(WheelDistance(1), -120);
    EXPECT_EQ(WheelDistance(-2), 240);
    EXPECT_EQ(WheelDistance(0), 0);
    EXPECT_EQ(WheelDistance(-1000), 32767);
    EXPECT_EQ(WheelDistance(1000), -32768);
    EXPECT_TRUE(IsTypedText("ä", 2));
    EXPECT_TRUE(IsTypedText(" ", 1));
    EXPECT_FALSE(IsTypedText("\r", 1));
    EXPECT_FALSE(IsTypedText("\x7F", 1));
    EXPECT_FALSE(IsTypedText("", 0));
    EXPECT_FALSE(IsTypedText(nullptr, 1));
}

TEST(EventMappingTest, F4AndAltWithAnArrowOpenADropDownList) {
    struct Row {
        int line;
        std::int16_t key, shift;
        bool opens;
    };
    using namespace forms;
    const Row rows[] = {
        {1, key::F4, shift::None, true},    {2, key::F4, shift::Shift, true},
        {3, key::F4, shift::Alt, false},    {4, key::Down, shift::Alt, true},
        {5, key::Up, shift::Alt, true},     {6, key::Down, shift::None, false},
        {7, key::Down, shift::Ctrl, false}, {8, key::Left, shift::Alt, false},
        {9, key::F2, shift::None, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.line);
        EXPECT_EQ(OpensDropDownList(row.key, row.shift), row.opens);
    }
}

TEST(ScrollBarPartsTest, WhatIsClickedIsWhatIsDrawn) {
    // A bar 200 pixels long and 17 thick over 0..100: arrows 17, track 166, thumb 17.
    const ScrollBarParts bar(200, 17, 0, 100, 50);
    EXPECT_EQ(bar.arrow, 17);
    EXPECT_EQ(bar.thumbLength, 17);
    EXPECT_EQ(bar.thumbStart, 17 + 75);  // half of the travel of 149, rounded
    struct Row {
        int line;
        int position;
        ScrollPart part;
    };
    const Row rows[] = {
        {1, -1, ScrollPart::Outside},    {2, 0, ScrollPart::LineUp},
        {3, 16, ScrollPart::LineUp},     {4, 17, ScrollPart::PageUp},
        {5, 91, ScrollPart::PageUp},     {6, 92, ScrollPart::Thumb},
        {7, 108, ScrollPart::Thumb},     {8, 109, ScrollPart::PageDown},
        {9, 182, ScrollPart::PageDown},  {10, 183, ScrollPart::LineDown},
        {11, 199, ScrollPart::LineDown}, {12, 200, ScrollPart::Outside},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(row.line));
        EXPECT_EQ(bar.PartAt(row.position), row.part);
    }
    // Dragging the thumb: its start maps back onto the value, clamped at both ends.
    EXPECT_EQ(bar.ValueAt(bar.thumbStart), 50);
    EXPECT_EQ(bar.ValueAt(17), 0);
    EXPECT_EQ(bar.ValueAt(0), 0);
    EXPECT_EQ(bar.ValueAt(17 + 149), 100);
    EXPECT_EQ(bar.ValueAt(500), 100);
    // The grid's bar over 32,767 rows keeps a thumb that can be grabbed, at both ends.
    EXPECT_EQ(ScrollBarParts(300, 17, 0, 32767, 32767).thumbStart, 300 - 17 - 17);
    EXPECT_EQ(ScrollBarParts(300, 17, 0, 32767, 0).thumbStart, 17);
    // Too short for a thumb: arrows only.
    const ScrollBarParts tiny(30, 17, 0, 10, 5);
    EXPECT_EQ(tiny.arrow, 15);
    EXPECT_EQ(tiny.thumbLength, 0);
    EXPECT_EQ(tiny.PartAt(14), ScrollPart::LineUp);
    EXPECT_EQ(tiny.PartAt(15), ScrollPart::LineDown);
}

TEST(MessageBoxDialogTest, ButtonSetsDefaultsAndClosing) {
    using namespace platform;
    struct Row {
        int line;
        int buttons;
        std::vector<DialogButton> shown;
        int defaultIndex;
        int closeAnswer;
    };
    const Row rows[] = {
        {1, vbOKOnly, {{"OK", vbOK}}, 0, vbOK},
        {2, vbOKCancel, {{"OK", vbOK}, {"Abbrechen", vbCancel}}, 0, vbCancel},
        {3,
         vbAbortRetryIgnore,
         {{"Abbrechen", vbAbort}, {"Wiederholen", vbRetry}, {"Ignorieren", vbIgnore}},
         0,
         vbAbort},
        {4, vbYesNoCancel, {{"Ja", vbYes}, {"Nein", vbNo}, {"Abbrechen", vbCancel}}, 0, vbCancel},
        {5, vbYesNo, {{"Ja", vbYes}, {"Nein", vbNo}}, 0, vbNo},
        {6, vbRetryCancel, {{"Wiederholen", vbRetry}, {"Abbrechen", vbCancel}}, 0, vbCancel},
        {7, vbYesNo + 256, {{"Ja", vbYes}, {"Nein", vbNo}}, 1, vbNo},  // second button default
        {8,
         vbYesNoCancel + 512,
         {{"Ja", vbYes}, {"Nein", vbNo}, {"Abbrechen", vbCancel}},
         2,
         vbCancel},
        {9, vbOKOnly + 512, {{"OK", vbOK}}, 0, vbOK},  // no third button: the only one
        {10, 9, {{"OK", vbOK}}, 0, vbOK},              // a set that does not exist
    };
    for (const Row& row : rows) {
        SCOPED_TRACE("row " + std::to_string(row.line));
        EXPECT_EQ(DialogButtons(row.buttons), row.shown);
        EXPECT_EQ(DefaultButtonIndex(row.buttons), row.defaultIndex);
        EXPECT_EQ(CloseAnswer(row.buttons), row.closeAnswer);
    }
}

TEST(CursorTest, StandardCursorsShowAsFltkPointers) {
    EXPECT_EQ(CursorOf(platform::IDC_WAIT), FL_CURSOR_WAIT);
    EXPECT_EQ(CursorOf(platform::IDC_HAND), FL_CURSOR_HAND);
    EXPECT_EQ(CursorOf(platform::IDC_SIZEWE), FL_CURSOR_WE);
    EXPECT_EQ(CursorOf(platform::IDC_IBEAM), FL_CURSOR_INSERT);
    EXPECT_EQ(CursorOf(platform::IDC_ARROW), FL_CURSOR_DEFAULT);
    EXPECT_EQ(CursorOf(0), FL_CURSOR_DEFAULT);
}

}  // namespace
}  // namespace formsview

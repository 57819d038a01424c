#include "KeyState.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using platform::VK_CONTROL;
using platform::VK_SHIFT;

class KeyStateTest : public testing::Test {
  protected:
    rt::ScopedRole<platform::KeyboardState> fresh{rt::MakeDefaultRole<platform::KeyboardState>()};
};

TEST_F(KeyStateTest, ClassicValuesAcrossASequenceOfEvents) {
    auto& keys = platform::KeyState();
    // Each row: the event before the query (D down, U up, P down and up again, - none) and the
    // value the query gives.
    struct Row {
        char event;
        std::int16_t expected;
    };
    const Row rows[] = {
        /* 0 */ {'-', 0},
        /* 1 */ {'D', -32767},  // down, and pressed since the last query
        /* 2 */ {'-', -32768},  // still down, no new press
        /* 3 */ {'D', -32768},  // auto-repeat of a held key is no new press
        /* 4 */ {'U', 0},
        /* 5 */ {'D', -32767},
        /* 6 */ {'U', 0},
        /* 7 */ {'-', 0},
        /* 8 */ {'P', 1},  // pressed since the last query, but up now
        /* 9 */ {'-', 0},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        if (rows[i].event == 'D' || rows[i].event == 'P') keys.KeyDown(VK_SHIFT);
        if (rows[i].event == 'U' || rows[i].event == 'P') keys.KeyUp(VK_SHIFT);
        EXPECT_EQ(keys.GetAsyncKeyState(VK_SHIFT), rows[i].expected);
    }
}

TEST_F(KeyStateTest, KeysAreIndependentAndIsKeyDownDoesNotConsumeThePress) {
    auto& keys = platform::KeyState();
    keys.KeyDown(VK_CONTROL);
    EXPECT_TRUE(keys.IsKeyDown(VK_CONTROL));
    EXPECT_FALSE(keys.IsKeyDown(VK_SHIFT));
    EXPECT_EQ(keys.GetAsyncKeyState(VK_SHIFT), 0);
    EXPECT_EQ(keys.GetAsyncKeyState(VK_CONTROL), -32767);
    keys.Reset();
    EXPECT_FALSE(keys.IsKeyDown(VK_CONTROL));
    EXPECT_EQ(keys.GetAsyncKeyState(VK_CONTROL), 0);
}

TEST_F(KeyStateTest, KeysOutsideTheRangeAreIgnored) {
    auto& keys = platform::KeyState();
    for (const int vk : {-1, 256, 100000}) {
        SCOPED_TRACE(vk);
        keys.KeyDown(vk);
        EXPECT_FALSE(keys.IsKeyDown(vk));
        EXPECT_EQ(keys.GetAsyncKeyState(vk), 0);
        keys.KeyUp(vk);
    }
    keys.KeyDown(255);
    EXPECT_EQ(keys.GetAsyncKeyState(255), -32767);
}

}  // namespace

// A held button's repeat on the virtual clock: the step at the press, the pause, the rate, the
// release, a new press, and a step that ends the hold itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HeldRepeat.h"
#include "ToolkitTestSupport.h"

namespace forms {
namespace {

class HeldRepeatTest : public testing::ToolkitTest {
  protected:
    std::function<void()> Step(std::string name) {
        return [this, name] { log.Add(name + "@" + std::to_string(clock->TickCount() - start)); };
    }
    void Advance(std::uint32_t ms) { App().Loop().Advance(*clock, ms); }
    std::uint32_t start = clock->TickCount();
    HeldRepeat repeat;
};

TEST_F(HeldRepeatTest, StepsAtThePressAfterAPauseAndThenAtItsRateUntilTheRelease) {
    repeat.Press(Step("down"));
    Advance(399);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"down@0"}));
    Advance(101);
    EXPECT_TRUE(repeat.Held());
    repeat.Release();
    Advance(1000);
    EXPECT_FALSE(repeat.Held());
    // A new press starts over with its own step and pause.
    start = clock->TickCount();
    repeat.Press(Step("page"));
    Advance(450);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"down@400", "down@450", "down@500", "page@0",
                                                    "page@400", "page@450"}));
    // A step may end the hold (the thumb reached the mouse): nothing runs after it.
    int left = 2;
    repeat.Press([&] {
        log.Add("last steps " + std::to_string(left));
        if (--left == 0) repeat.Release();
    });
    Advance(1000);
    EXPECT_EQ(log.Take(), (std::vector<std::string>{"last steps 2", "last steps 1"}));
    EXPECT_FALSE(repeat.Held());
}

}  // namespace
}  // namespace forms

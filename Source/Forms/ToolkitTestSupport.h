#pragma once
// Shared set-up of the toolkit's tests: a clean desktop (window manager, key state, cursors), a
// virtual clock, an empty message loop, and an event log that records what happened in order.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Application.h"
#include "Clock.h"
#include "Cursors.h"
#include "KeyState.h"
#include "WindowManager.h"

namespace forms::testing {

class EventLog {
  public:
    std::function<void()> Record(std::string entry) {
        return [this, entry] { entries.push_back(entry); };
    }
    void Add(std::string entry) { entries.push_back(std::move(entry)); }
    std::vector<std::string> Take() { return std::exchange(entries, {}); }
    std::vector<std::string> entries;
};

class ToolkitTest : public ::testing::Test {
  protected:
    ~ToolkitTest() override {
        App().Loop().Clear();
        App().SetScreenMousePointer(0);
    }

    std::shared_ptr<rt::ManualClock> clock = std::make_shared<rt::ManualClock>();
    rt::ScopedRole<rt::Clock> clockRole{clock};
    rt::ScopedRole<platform::WindowManager> windowsRole{platform::MakeInProcessWindowManager()};
    rt::ScopedRole<platform::KeyboardState> keysRole{
        rt::MakeDefaultRole<platform::KeyboardState>()};
    rt::ScopedRole<platform::CursorService> cursorsRole{
        rt::MakeDefaultRole<platform::CursorService>()};
    EventLog log;
};

}  // namespace forms::testing

#include "MessageBox.h"

#include <gtest/gtest.h>

#include "TickCount.h"

namespace {

using platform::MessageBoxCall;

TEST(MessageBox, TheHeadlessServiceRecordsEveryBoxInOrder) {
    auto boxes = std::make_shared<platform::RecordingMessageBoxes>();
    rt::ScopedRole<platform::MessageBoxService> installed(boxes);
    EXPECT_EQ(platform::MessageBoxes().ShowMessageBox("Hallo", platform::vbOKOnly,
                                                      platform::vbInformation, "Perlowan"),
              platform::vbOK);
    EXPECT_EQ(platform::MessageBoxes().ShowMessageBox("Fehler: Ä", platform::vbOKOnly,
                                                      platform::vbExclamation, "Perlowan"),
              platform::vbOK);
    const std::vector<MessageBoxCall> expected{
        {"Hallo", platform::vbOKOnly, platform::vbInformation, "Perlowan"},
        {"Fehler: Ä", platform::vbOKOnly, platform::vbExclamation, "Perlowan"},
    };
    EXPECT_EQ(boxes->Calls(), expected);
    boxes->Clear();
    EXPECT_TRUE(boxes->Calls().empty());
}

TEST(MessageBox, AnswersTheDefaultButtonUnlessToldOtherwise) {
    platform::RecordingMessageBoxes boxes;
    struct Row {
        int buttons;
        int expected;
    };
    const Row rows[] = {
        /* 0 */ {platform::vbOKOnly, platform::vbOK},
        /* 1 */ {platform::vbOKCancel, platform::vbOK},
        /* 2 */ {platform::vbAbortRetryIgnore, platform::vbAbort},
        /* 3 */ {platform::vbYesNoCancel, platform::vbYes},
        /* 4 */ {platform::vbYesNo, platform::vbYes},
        /* 5 */ {platform::vbRetryCancel, platform::vbRetry},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(boxes.ShowMessageBox("?", rows[i].buttons, platform::vbQuestion, "t"),
                  rows[i].expected);
    }
    boxes.SetAnswer(platform::vbNo);
    EXPECT_EQ(boxes.ShowMessageBox("?", platform::vbYesNo, platform::vbQuestion, "t"),
              platform::vbNo);
    boxes.SetAnswer(0);
    EXPECT_EQ(boxes.ShowMessageBox("?", platform::vbYesNo, platform::vbQuestion, "t"),
              platform::vbYes);
    EXPECT_EQ(boxes.Calls().size(), std::size(rows) + 2);
}

TEST(MessageBox, TheDefaultServiceIsHeadless) {
    rt::ScopedRole<platform::MessageBoxService> fresh(
        rt::MakeDefaultRole<platform::MessageBoxService>());
    auto* recording = dynamic_cast<platform::RecordingMessageBoxes*>(&platform::MessageBoxes());
    ASSERT_NE(recording, nullptr);
    EXPECT_EQ(platform::MessageBoxes().ShowMessageBox("x", 0, 0, "Perlowan"), 1);
    EXPECT_EQ(recording->Calls().size(), 1u);
}

TEST(TickCount, ComesFromTheInstalledClock) {
    auto clock = std::make_shared<rt::ManualClock>(rt::LocalDateTime{}, 0xFFFFFFF0u);
    rt::ScopedRole<rt::Clock> installed(clock);
    EXPECT_EQ(platform::GetTickCount(), 0xFFFFFFF0u);
    clock->Advance(0x20);
    EXPECT_EQ(platform::GetTickCount(), 0x10u);  // wraps around like the classic counter
}

TEST(TickCount, TheSystemClockNeverRunsBackwards) {
    rt::ScopedRole<rt::Clock> system(rt::MakeDefaultRole<rt::Clock>());
    const std::uint32_t first = platform::GetTickCount();
    const std::uint32_t second = platform::GetTickCount();
    EXPECT_LE(static_cast<std::uint32_t>(second - first), 1000u);
    const rt::LocalDateTime now = rt::CurrentClock().Now();
    EXPECT_GE(now.year, 2020);
    EXPECT_GE(now.month, 1);
    EXPECT_LE(now.month, 12);
}

}  // namespace

#include "Cursors.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using platform::CursorHandle;

// Each test starts from a fresh default implementation.
class CursorsTest : public testing::Test {
  protected:
    rt::ScopedRole<platform::CursorService> fresh{rt::MakeDefaultRole<platform::CursorService>()};
};

TEST_F(CursorsTest, StandardCursorsHaveStableDistinctHandles) {
    const int ids[] = {platform::IDC_ARROW, platform::IDC_IBEAM, platform::IDC_WAIT,
                       platform::IDC_SIZEWE, platform::IDC_HAND};
    std::set<CursorHandle> handles;
    for (std::size_t i = 0; i < std::size(ids); ++i) {
        SCOPED_TRACE(i);
        const CursorHandle h = platform::Cursors().LoadCursor(ids[i]);
        EXPECT_NE(h, 0);
        EXPECT_EQ(platform::Cursors().LoadCursor(ids[i]), h);
        EXPECT_EQ(platform::Cursors().StandardCursorId(h), ids[i]);
        handles.insert(h);
    }
    EXPECT_EQ(handles.size(), std::size(ids));
}

TEST_F(CursorsTest, UnknownIdsGiveNoHandle) {
    for (const int id : {0, 1, 32511, 32650, -32649}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(platform::Cursors().LoadCursor(id), 0);
    }
    EXPECT_EQ(platform::Cursors().StandardCursorId(0), 0);
    EXPECT_EQ(platform::Cursors().StandardCursorId(12345), 0);
}

TEST_F(CursorsTest, SetCursorReturnsThePreviousOne) {
    auto& cursors = platform::Cursors();
    const CursorHandle arrow = cursors.LoadCursor(platform::IDC_ARROW);
    const CursorHandle hand = cursors.LoadCursor(platform::IDC_HAND);
    const CursorHandle wait = cursors.LoadCursor(platform::IDC_WAIT);
    EXPECT_EQ(cursors.GetCursor(), arrow);  // the pointer starts as the arrow
    EXPECT_EQ(cursors.SetCursor(hand), arrow);
    EXPECT_EQ(cursors.GetCursor(), hand);
    EXPECT_EQ(cursors.SetCursor(wait), hand);
    EXPECT_EQ(cursors.SetCursor(0), wait);
    EXPECT_EQ(cursors.GetCursor(), 0);
    EXPECT_EQ(cursors.SetCursor(arrow), 0);
}

}  // namespace

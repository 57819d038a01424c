#include "Collection.h"

#include <gtest/gtest.h>

#include "RuntimeError_test.h"

#include <functional>

#include "RuntimeError.h"

namespace {

using rt::testing::ErrorOf;

std::vector<std::string> ItemsOf(const rt::Collection& c) {
    std::vector<std::string> items;
    for (std::int32_t i = 1; i <= c.Count(); ++i) items.push_back(c.Item(i));
    return items;
}

TEST(Collection, DuplicateKeysRaise457IgnoringLetterCase) {
    rt::Collection c;
    c.Add("first", "Äpfel");
    struct Row {
        const char* key;
    };
    const Row rows[] = {{"Äpfel"}, {"äpfel"}, {"ÄPFEL"}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ErrorOf([&] { c.Add("again", rows[i].key); }), 457);
    }
    // The failed adds left the collection as it was.
    EXPECT_EQ(ItemsOf(c), std::vector<std::string>{"first"});
    EXPECT_EQ(c.Item("äPfEl"), "first");
    EXPECT_TRUE(c.Exists("ÄPFEL"));
    EXPECT_FALSE(c.Exists("Apfel"));
}

TEST(Collection, ItemsKeepTheirOrderAndKeysTheirItems) {
    rt::Collection c;
    c.Add("a");
    c.Add("b", "k");
    c.Add("c");
    c.Add("d", "dk");
    EXPECT_EQ(ItemsOf(c), (std::vector<std::string>{"a", "b", "c", "d"}));
    // Keys of later items stay right when earlier items go, by index or by key.
    c.Remove(1);
    EXPECT_EQ(c.Item("K"), "b");
    c.Remove("k");
    EXPECT_EQ(c.Item("DK"), "d");
    EXPECT_EQ(ItemsOf(c), (std::vector<std::string>{"c", "d"}));
    // The removed key can be used again.
    c.Add("e", "K");
    EXPECT_EQ(c.Item("k"), "e");
    c.Clear();
    EXPECT_EQ(c.Count(), 0);
    c.Add("f", "k");
    EXPECT_EQ(c.Item("k"), "f");
}

TEST(Collection, ErrorsForMissingItems) {
    rt::Collection c;
    c.Add("x", "key");
    struct Row {
        std::function<void()> call;
        int expected;
    };
    const Row rows[] = {
        /* 0 */ {[&] { c.Item(0); }, 9},
        /* 1 */ {[&] { c.Item(2); }, 9},
        /* 2 */ {[&] { c.Item("nope"); }, 5},
        /* 3 */ {[&] { c.Remove(2); }, 9},
        /* 4 */ {[&] { c.Remove("nope"); }, 5},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ErrorOf(rows[i].call), rows[i].expected);
    }
    EXPECT_EQ(c.Count(), 1);
}

}  // namespace

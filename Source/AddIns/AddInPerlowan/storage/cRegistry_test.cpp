#include "cRegistry.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include "FileTime_test.h"

#include <climits>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "CodePage.h"
#include "DateTime.h"
#include "Registry.h"
#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;
using platform::HKey;
using platform::Registry;
namespace reg = platform::reg;

std::uint64_t gTicks = 0;
platform::FileTime FakeNow() {
    return platform::FileTime::FromTicks(gTicks);
}

using platform::testing::TicksOf;

rt::Date LocalDate(int year, int month, int day, int hour, int minute, int second) {
    return rt::Date{rt::DateSerial(year, month, day).serial +
                    rt::TimeSerial(hour, minute, second).serial};
}

class cRegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gTicks = TicksOf(2026, 7, 15, 10, 20, 30) + 9'999'999;
        store_ = platform::MakeFileRegistry(folder_.string(), &FakeNow);
        role_ = std::make_unique<rt::ScopedRole<Registry>>(store_);
    }
    void TearDown() override { role_.reset(); }

    // A value as the registry holds it: type and bytes, or nothing.
    struct Stored {
        long rc = -1;
        std::uint32_t type = 0;
        std::string data;
    };
    Stored Raw(HKey root, const std::string& path, const std::string& name) {
        Stored s;
        HKey key = 0;
        s.rc = store_->OpenKey(root, path, reg::KeyRead, key);
        if (s.rc != reg::Success) return s;
        s.rc = store_->QueryValue(key, name, &s.type, &s.data);
        store_->CloseKey(key);
        return s;
    }
    void PutRaw(HKey root, const std::string& path, const std::string& name, std::uint32_t type,
                const std::string& data) {
        HKey key = 0;
        ASSERT_EQ(store_->CreateKey(root, path, reg::KeyAllAccess, key, nullptr), reg::Success);
        ASSERT_EQ(store_->SetValue(key, name, type, data), reg::Success);
        store_->CloseKey(key);
    }

    cRegistry registry_;
    testsupport::TempFolder temp_{"perlowan-cregistry"};
    fs::path folder_ = temp_.Path();
    std::shared_ptr<Registry> store_;
    std::unique_ptr<rt::ScopedRole<Registry>> role_;
    platform::testing::ScopedTimeZone zone_;
};

TEST_F(cRegistryTest, SettersCreateEveryLevelAndStoreTheirBytes) {
    struct Row {
        const char* what;
        void (*set)(cRegistry&, const std::string& name);
        std::uint32_t type;
        std::string bytes;
        std::string asText;
    };
    const Row rows[] = {
        {"text",
         [](cRegistry& r, const std::string& n) { r.SetString(1, "A\\B\\C", n, "Größe € 1"); },
         reg::Sz,
         "Gr\xf6\xdf"
         "e \x80 1",
         "Größe € 1"},
        {"binary, one character per byte",
         [](cRegistry& r, const std::string& n) {
             r.SetBinary(1, "A\\B\\C", n,
                         "\x01"
                         "ÿ€\xc2\x81");
         },
         reg::Binary, "\x01\xff\x80\x81",
         "\x01"
         "ÿ€\xc2\x81"},
        {"dword 258", [](cRegistry& r, const std::string& n) { r.SetDWord(1, "A\\B\\C", n, 258); },
         reg::Dword, std::string("\x02\x01\x00\x00", 4), "258"},
        {"dword -2", [](cRegistry& r, const std::string& n) { r.SetDWord(1, "A\\B\\C", n, -2); },
         reg::Dword, "\xfe\xff\xff\xff", "-2"},
        {"dword minimum",
         [](cRegistry& r, const std::string& n) { r.SetDWord(1, "A\\B\\C", n, INT_MIN); },
         reg::Dword, std::string("\x00\x00\x00\x80", 4), "-2147483648"},
        {"dword of undefined code-page bytes",
         [](cRegistry& r, const std::string& n) {
             r.SetDWord(1, "A\\B\\C", n, static_cast<std::int32_t>(0x9d8f8d81u));
         },
         reg::Dword, "\x81\x8d\x8f\x9d", "-1651536511"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(rows[i].what);
        const std::string name = "v" + std::to_string(i);
        rows[i].set(registry_, name);
        const Stored stored = Raw(reg::CurrentUser, "A\\B\\C", name);
        ASSERT_EQ(stored.rc, reg::Success);
        EXPECT_EQ(stored.type, rows[i].type);
        const std::string expectedBytes =
            rows[i].type == reg::Sz ? rt::Win1252ToUtf8(rows[i].bytes) : rows[i].bytes;
        EXPECT_EQ(stored.data, expectedBytes);
        EXPECT_EQ(registry_.GetValue(1, "a\\b\\c", name), rows[i].asText);
    }
    EXPECT_TRUE(registry_.KeyExists(1, "A"));
    EXPECT_TRUE(registry_.KeyExists(1, "A\\B"));
    EXPECT_TRUE(registry_.KeyExists(1, "a\\B\\c"));
    EXPECT_FALSE(registry_.KeyExists(1, "A\\C"));
}

TEST_F(cRegistryTest, SetValueWritesOnlyIntoExistingKeysAndEmptyTextDeletes) {
    registry_.SetString(2, "Soft\\Ware", "", "default");
    registry_.SetString(2, "Soft\\Ware", "keep", "sentinel");
    registry_.SetValue(2, "Soft\\Ware", "", 1, "");
    EXPECT_EQ(Raw(reg::LocalMachine, "Soft\\Ware", "").rc, reg::FileNotFound);
    EXPECT_EQ(registry_.GetValue(2, "Soft\\Ware", "keep"), "sentinel");

    registry_.SetValue(2, "Soft\\Missing", "v", 1, "x");
    EXPECT_FALSE(registry_.KeyExists(2, "Soft\\Missing"));

    // The data length is the text's length: no terminating NUL is stored.
    registry_.SetValue(2, "Soft\\Ware", "typed", 2, "%PATH%");
    const Stored expand = Raw(reg::LocalMachine, "Soft\\Ware", "typed");
    EXPECT_EQ(expand.type, 2u);
    EXPECT_EQ(expand.data, "%PATH%");

    registry_.DeleteValue(2, "Soft\\Ware", "KEEP");
    EXPECT_EQ(registry_.GetValue(2, "Soft\\Ware", "keep"), "");
}

TEST_F(cRegistryTest, GetValueReadsByType) {
    PutRaw(reg::Users, "K", "nul", reg::Sz, std::string("ab\0cd", 5));
    PutRaw(reg::Users, "K", "binary nul", reg::Binary, std::string("ab\0cd", 5));
    PutRaw(reg::Users, "K", "short dword", reg::Dword, "\x05");
    PutRaw(reg::Users, "K", "long dword", reg::Dword, "12345");
    PutRaw(reg::Users, "K", "expand", reg::ExpandSz, "x");
    PutRaw(reg::Users, "K", "multi", reg::MultiSz, std::string("a\0b\0", 4));
    PutRaw(reg::Users, "K", "omega", reg::Sz, "Ω");
    struct Row {
        const char* key;
        const char* name;
        std::string expected;
    };
    const Row rows[] = {
        {"K", "nul", "ab"},        {"K", "binary nul", std::string("ab\0cd", 5)},
        {"K", "short dword", "5"}, {"K", "long dword", ""},
        {"K", "expand", ""},       {"K", "multi", ""},
        {"K", "omega", "?"},       {"K", "missing", ""},
        {"Missing", "nul", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(registry_.GetValue(3, row.key, row.name), row.expected);
    }
}

TEST_F(cRegistryTest, MainKeyChoosesTheRoot) {
    struct Row {
        std::int32_t mainKey;
        HKey root;  // 0: no root the store keeps
    };
    const Row rows[] = {{0, reg::ClassesRoot},
                        {1, reg::CurrentUser},
                        {2, reg::LocalMachine},
                        {3, reg::Users},
                        {4, 0},
                        {5, reg::CurrentConfig},
                        {6, 0},
                        {7, 0},
                        {-1, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE("MainKey " + std::to_string(row.mainKey));
        const std::string name = "m" + std::to_string(row.mainKey);
        registry_.SetString(row.mainKey, "Roots", name, "here");
        EXPECT_EQ(registry_.GetValue(row.mainKey, "Roots", name), row.root ? "here" : "");
        EXPECT_EQ(registry_.KeyExists(row.mainKey, "Roots"), row.root != 0);
        for (const HKey root : {reg::ClassesRoot, reg::CurrentUser, reg::LocalMachine, reg::Users,
                                reg::CurrentConfig})
            EXPECT_EQ(Raw(root, "Roots", name).rc == reg::Success, root == row.root);
    }
}

TEST_F(cRegistryTest, DeleteKeyRemovesOnlyKeysWithoutSubkeys) {
    registry_.CreateKey(0, "Top\\Mid\\Leaf");
    registry_.DeleteKey(0, "Top\\Mid");
    EXPECT_TRUE(registry_.KeyExists(0, "Top\\Mid"));
    registry_.DeleteKey(0, "top\\mid\\leaf");
    EXPECT_FALSE(registry_.KeyExists(0, "Top\\Mid\\Leaf"));
    registry_.DeleteKey(0, "Top\\Mid");
    EXPECT_FALSE(registry_.KeyExists(0, "Top\\Mid"));
    EXPECT_TRUE(registry_.KeyExists(0, "Top"));
}

TEST_F(cRegistryTest, KeyEnumSubKeysListsNamesAndTheLastWriteTime) {
    const std::vector<std::string> sentinel = {"untouched"};
    const rt::Date sentinelDate{12345.5};
    struct Row {
        const char* what;
        const char* key;
        bool expected;
        std::vector<std::string> names;  // empty: the sentinels stay
        rt::Date changed;
    };
    gTicks = TicksOf(2026, 7, 15, 10, 20, 30) + 9'999'999;  // summer: two hours ahead
    registry_.CreateKey(1, "Parent\\zeta");
    registry_.CreateKey(1, "Parent\\Alpha");
    registry_.CreateKey(1, "Parent\\beta");
    registry_.CreateKey(1, "Parent\\Grüße");
    const Row rows[] = {
        {"missing key", "Nope", false, {}, sentinelDate},
        {"no subkeys", "Parent\\zeta", true, {}, sentinelDate},
        {"subkeys",
         "parent",
         true,
         {"Alpha", "beta", "Grüße", "zeta"},
         LocalDate(2026, 7, 15, 12, 20, 30)},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<std::string> names = sentinel;
        rt::Date changed = sentinelDate;
        EXPECT_EQ(registry_.KeyEnumSubKeys(1, row.key, names, changed), row.expected);
        EXPECT_EQ(names, row.names.empty() ? sentinel : row.names);
        EXPECT_EQ(changed, row.changed);
    }
}

TEST_F(cRegistryTest, TimestampIsLocalTimeToTheSecond) {
    struct Row {
        std::uint64_t ticks;
        rt::Date expected;
    };
    const Row rows[] = {
        {TicksOf(2026, 1, 15, 23, 59, 59) + 9'990'000, LocalDate(2026, 1, 16, 0, 59, 59)},
        {TicksOf(2026, 7, 1, 6, 0, 0), LocalDate(2026, 7, 1, 8, 0, 0)},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        gTicks = rows[i].ticks;
        const std::string key = "Stamp" + std::to_string(i);
        registry_.SetString(5, key, "v", "x");
        EXPECT_EQ(registry_.GetTimestampLastChange(5, key), rows[i].expected);
    }
    EXPECT_EQ(registry_.GetTimestampLastChange(5, "Missing"), rt::Date{});
    EXPECT_EQ(registry_.GetTimestampLastChange(4, ""), rt::Date{});
}

TEST_F(cRegistryTest, FindApplicationForFileTypeFollowsTheFileType) {
    registry_.SetString(0, ".txt", "", "txtfile");
    registry_.SetString(0, "txtfile\\shell\\open\\command", "", "editor \"%1\"");
    registry_.SetString(0, ".odd", "", "nothing-registered");
    struct Row {
        std::string extension;
        std::string changedTo;
        std::string expected;
    };
    const Row rows[] = {
        {"txt", ".txt", "editor \"%1\""},
        {".TXT", ".TXT", "editor \"%1\""},
        {"odd", ".odd", ""},
        {"none", ".none", ""},
        {"", ".", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.extension);
        std::string extension = row.extension;
        EXPECT_EQ(registry_.FindApplicationForFileType(extension), row.expected);
        EXPECT_EQ(extension, row.changedTo);
    }
}

TEST_F(cRegistryTest, UnreadableStoreGivesNeutralResultsAndKeepsTheFile) {
    const std::string garbage = std::string("\0\xff garbage [", 12);
    std::ofstream(folder_ / "HKEY_CURRENT_USER.txt", std::ios::binary) << garbage;
    registry_.SetString(1, "A", "v", "x");
    registry_.SetDWord(1, "A", "n", 1);
    registry_.DeleteKey(1, "A");
    std::vector<std::string> names = {"kept"};
    rt::Date changed{7};
    EXPECT_FALSE(registry_.KeyExists(1, "A"));
    EXPECT_EQ(registry_.GetValue(1, "A", "v"), "");
    EXPECT_FALSE(registry_.KeyEnumSubKeys(1, "", names, changed));
    EXPECT_EQ(names, std::vector<std::string>{"kept"});
    EXPECT_EQ(registry_.GetTimestampLastChange(1, ""), rt::Date{});
    std::ifstream in(folder_ / "HKEY_CURRENT_USER.txt", std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), garbage);
}

TEST_F(cRegistryTest, LateBoundCallsUseTheMemberTable) {
    auto object = std::make_shared<cRegistry>();
    const rt::ObjectRef ref = object;
    rt::CallMethod(ref, "SetDWord", 1, "Late\\Bound", "n", 258);
    EXPECT_EQ(rt::CallMethod(ref, "getvalue", 1, "Late\\Bound", "n"), rt::Variant("258"));
    rt::CallMethod(ref, "CreateKey", 1, "Late\\Bound\\Sub");
    EXPECT_EQ(rt::CallMethod(ref, "KeyExists", 1, "Late\\Bound\\Sub"), rt::Variant(true));

    std::vector<rt::Variant> args = {1, "Late\\Bound", rt::Variant("sentinel"), rt::Variant()};
    EXPECT_EQ(rt::CallByName(ref, "KeyEnumSubKeys", rt::CallType::Method, args), rt::Variant(true));
    EXPECT_EQ(args[2], rt::Variant(rt::Variant::Array{rt::Variant("Sub")}));
    EXPECT_EQ(args[3].Type(), rt::VarType::Date);

    std::vector<rt::Variant> empty = {1, "Late\\Bound\\Sub", rt::Variant("sentinel"),
                                      rt::Variant(3)};
    EXPECT_EQ(rt::CallByName(ref, "KeyEnumSubKeys", rt::CallType::Method, empty),
              rt::Variant(true));
    EXPECT_EQ(empty[2], rt::Variant("sentinel"));
    EXPECT_EQ(empty[3], rt::Variant(3));

    std::vector<rt::Variant> extension = {rt::Variant("txt")};
    EXPECT_EQ(rt::CallByName(ref, "FindApplicationForFileType", rt::CallType::Method, extension),
              rt::Variant(""));
    EXPECT_EQ(extension[0], rt::Variant(".txt"));

    struct Row {
        const char* member;
        std::vector<rt::Variant> args;
        int error;
    };
    const Row rows[] = {
        {"NoSuchMember", {}, rt::err::MemberNotSupported},
        {"GetValue", {1, "Late"}, rt::err::ArgumentNotOptional},
        {"KeyEnumSubKeys", {1, "Late"}, rt::err::ArgumentNotOptional},
        {"SetDWord", {1, "Late", "n", "not a number"}, rt::err::TypeMismatch},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.member);
        std::vector<rt::Variant> callArgs = row.args;
        try {
            rt::CallByName(ref, row.member, rt::CallType::Method, callArgs);
            ADD_FAILURE() << "no error raised";
        } catch (const rt::RuntimeError& e) {
            EXPECT_EQ(e.Number(), row.error);
        }
    }
}

}  // namespace

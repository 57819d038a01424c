#include "Registry.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform {
namespace {

namespace fs = std::filesystem;

std::uint64_t gTicks = 0;
FileTime FakeNow() {
    return FileTime::FromTicks(gTicks);
}

using testsupport::ReadFile;
using testsupport::WriteFile;

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        gTicks = 1'000'000;
        registry_ = MakeFileRegistry(folder_.string(), &FakeNow);
    }

    Registry& R() { return *registry_; }
    // A second registry on the same folder: what another process would see.
    std::shared_ptr<Registry> Fresh() { return MakeFileRegistry(folder_.string(), &FakeNow); }

    HKey Create(HKey root, std::string_view path) {
        HKey key = 0;
        EXPECT_EQ(R().CreateKey(root, path, reg::KeyAllAccess, key, nullptr), reg::Success);
        return key;
    }
    std::vector<std::string> SubKeys(Registry& r, HKey key) {
        std::vector<std::string> names;
        std::string name;
        for (std::uint32_t i = 0; r.EnumKey(key, i, name, nullptr) == reg::Success; ++i)
            names.push_back(name);
        return names;
    }

    testsupport::TempFolder temp_{"perlowan-registry"};
    fs::path folder_ = temp_.Path();
    std::shared_ptr<Registry> registry_;
};

TEST_F(RegistryTest, CreateMakesEveryLevelAndValuesPersist) {
    struct Row {
        std::string name;     // as set
        std::string queryAs;  // another spelling that reaches it
        std::uint32_t type;
        std::string data;
    };
    const Row rows[] = {
        /* 0 */ {"", "", reg::Sz, "Größe"},
        /* 1 */ {"Bytes", "bytes", reg::Binary, std::string("\x00\xff\x10", 3)},
        /* 2 */ {"Number", "NUMBER", reg::Dword, std::string("\x02\x01\x00\x00", 4)},
        /* 3 */
        {"a\\b=\"c\"", "A\\B=\"C\"", reg::ExpandSz,
         std::string("nul\0in", 6) + " bad\xff utf8 \xEF\xBF\xBD ok"},
    };
    const std::string oddKey = "50% [off] \t\x7f";
    std::uint32_t disposition = 0;
    HKey key = 0;
    ASSERT_EQ(R().CreateKey(reg::CurrentUser, "Software\\Perlowan\\Settings", reg::KeyAllAccess,
                            key, &disposition),
              reg::Success);
    EXPECT_EQ(disposition, reg::CreatedNewKey);
    for (const Row& row : rows)
        ASSERT_EQ(R().SetValue(key, row.name, row.type, row.data), reg::Success);
    Create(key, oddKey);
    EXPECT_EQ(R().CloseKey(key), reg::Success);

    auto other = Fresh();
    HKey opened = 0;
    ASSERT_EQ(
        other->OpenKey(reg::CurrentUser, "SOFTWARE\\perlowan\\settings\\", reg::KeyRead, opened),
        reg::Success);
    std::vector<std::string> expectedNames;
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        std::uint32_t type = 99;
        std::string data = "sentinel";
        ASSERT_EQ(other->QueryValue(opened, rows[i].queryAs, &type, &data), reg::Success);
        EXPECT_EQ(type, rows[i].type);
        EXPECT_EQ(data, rows[i].data);
        expectedNames.push_back(rows[i].name);
    }
    // Values enumerate in the order they were first set, with their own spelling.
    std::vector<std::string> names;
    std::string name;
    for (std::uint32_t i = 0; other->EnumValue(opened, i, name, nullptr, nullptr) == reg::Success;
         ++i)
        names.push_back(name);
    EXPECT_EQ(names, expectedNames);
    EXPECT_EQ(SubKeys(*other, opened), std::vector<std::string>{oddKey});
    HKey oddOpened = 0;
    EXPECT_EQ(other->OpenKey(opened, oddKey, reg::KeyRead, oddOpened), reg::Success);

    HKey again = 0;
    ASSERT_EQ(R().CreateKey(reg::CurrentUser, "software\\PERLOWAN", reg::KeyAllAccess, again,
                            &disposition),
              reg::Success);
    EXPECT_EQ(disposition, reg::OpenedExistingKey);
    EXPECT_EQ(SubKeys(R(), reg::CurrentUser), (std::vector<std::string>{"Software"}));
}

TEST_F(RegistryTest, StoreFileIsReadableText) {
    gTicks = 134'101'118'141'234'567ull;  // 2025-12-13T15:03:34.1234567Z
    HKey key = Create(reg::ClassesRoot, "Perlowan.cITelmora\\CLSID");
    ASSERT_EQ(R().SetValue(key, "", reg::Sz, "{1234} \"q\" \\ line\nnext\x01"), reg::Success);
    ASSERT_EQ(R().SetValue(key, "Bin", reg::Binary, std::string("\x02\x01\x00", 3)), reg::Success);
    ASSERT_EQ(R().SetValue(key, "Num", reg::Dword, std::string("\x02\x01\x00\x00", 4)),
              reg::Success);
    ASSERT_EQ(R().SetValue(key, "Odd", 7, std::string("A\0", 2)), reg::Success);
    const std::string expected =
        "# Perlowan registry: HKEY_CLASSES_ROOT\n"
        "[] 2025-12-13T15:03:34.1234567Z\n"
        "[Perlowan.cITelmora] 2025-12-13T15:03:34.1234567Z\n"
        "[Perlowan.cITelmora\\CLSID] 2025-12-13T15:03:34.1234567Z\n"
        "@=sz:\"{1234} \\\"q\\\" \\\\ line\\nnext\\x01\"\n"
        "\"Bin\"=hex:02,01,00\n"
        "\"Num\"=dword:00000102\n"
        "\"Odd\"=hex(7):41,00\n";
    EXPECT_EQ(ReadFile(folder_ / "HKEY_CLASSES_ROOT.txt"), expected);
    EXPECT_EQ(fs::status(folder_ / "HKEY_CLASSES_ROOT.txt").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(RegistryTest, SubKeysEnumerateInUpperCaseOrderKeepingTheirSpelling) {
    for (const char* name : {"beta", "Alpha", "ÄRGER", "gamma", "Beta2", "äpfel"})
        Create(reg::Users, std::string("Parent\\") + name);
    HKey parent = 0;
    ASSERT_EQ(R().OpenKey(reg::Users, "PARENT", reg::KeyRead, parent), reg::Success);
    // "ÄPFEL" and "ÄRGER" sort after the ASCII letters by their bytes; "äpfel" keeps its case.
    EXPECT_EQ(SubKeys(R(), parent),
              (std::vector<std::string>{"Alpha", "beta", "Beta2", "gamma", "äpfel", "ÄRGER"}));
    RegKeyInfo info;
    ASSERT_EQ(R().QueryInfoKey(parent, info), reg::Success);
    EXPECT_EQ(info.subKeys, 6u);
    EXPECT_EQ(info.maxSubKeyLen, 5u);  // characters, not bytes
}

TEST_F(RegistryTest, LastWriteTimesFollowChanges) {
    const auto timeOf = [&](std::string_view path) {
        HKey key = 0;
        EXPECT_EQ(R().OpenKey(reg::CurrentConfig, path, reg::KeyRead, key), reg::Success);
        RegKeyInfo info;
        EXPECT_EQ(R().QueryInfoKey(key, info), reg::Success);
        R().CloseKey(key);
        return info.lastWriteTime.Ticks();
    };
    gTicks = 100;
    HKey child = Create(reg::CurrentConfig, "A\\B");
    gTicks = 200;
    ASSERT_EQ(R().SetValue(child, "v", reg::Sz, "x"), reg::Success);
    gTicks = 300;
    Create(reg::CurrentConfig, "A");  // exists: changes nothing
    EXPECT_EQ(timeOf("A"), 100u);
    EXPECT_EQ(timeOf("A\\B"), 200u);
    gTicks = 400;
    ASSERT_EQ(R().DeleteValue(child, "V"), reg::Success);
    EXPECT_EQ(timeOf("A\\B"), 400u);
    gTicks = 500;
    Create(reg::CurrentConfig, "A\\C");
    EXPECT_EQ(timeOf("A"), 500u);
    gTicks = 600;
    ASSERT_EQ(R().DeleteKey(reg::CurrentConfig, "a\\c"), reg::Success);
    EXPECT_EQ(timeOf("A"), 600u);
    std::string name;
    FileTime enumerated;
    HKey a = 0;
    ASSERT_EQ(R().OpenKey(reg::CurrentConfig, "A", reg::KeyRead, a), reg::Success);
    ASSERT_EQ(R().EnumKey(a, 0, name, &enumerated), reg::Success);
    EXPECT_EQ(name, "B");
    EXPECT_EQ(enumerated.Ticks(), 400u);
}

TEST_F(RegistryTest, FailuresGiveTheirResultCodes) {
    HKey parent = Create(reg::CurrentUser, "P\\Child");
    HKey readOnly = 0;
    ASSERT_EQ(R().OpenKey(reg::CurrentUser, "P", reg::KeyQueryValue, readOnly), reg::Success);
    HKey closed = 0;
    ASSERT_EQ(R().OpenKey(reg::CurrentUser, "P", reg::KeyRead, closed), reg::Success);
    ASSERT_EQ(R().CloseKey(closed), reg::Success);
    HKey doomed = Create(reg::CurrentUser, "Doomed");
    ASSERT_EQ(R().DeleteKey(reg::CurrentUser, "Doomed"), reg::Success);

    HKey out = 0;
    std::uint32_t type = 0;
    std::string text;
    struct Row {
        const char* what;
        long actual;
        long expected;
    };
    const Row rows[] = {
        {"open missing", R().OpenKey(reg::CurrentUser, "Nope", reg::KeyRead, out),
         reg::FileNotFound},
        {"query missing", R().QueryValue(parent, "none", &type, &text), reg::FileNotFound},
        {"delete missing value", R().DeleteValue(parent, "none"), reg::FileNotFound},
        {"delete missing key", R().DeleteKey(reg::CurrentUser, "Nope"), reg::FileNotFound},
        {"enum past end", R().EnumKey(reg::CurrentUser, 5, text, nullptr), reg::NoMoreItems},
        {"enum values past end", R().EnumValue(parent, 0, text, nullptr, nullptr),
         reg::NoMoreItems},
        {"delete key with subkeys", R().DeleteKey(reg::CurrentUser, "P"), reg::AccessDenied},
        {"delete a root", R().DeleteKey(reg::CurrentUser, ""), reg::AccessDenied},
        {"set without set access", R().SetValue(readOnly, "v", reg::Sz, "x"), reg::AccessDenied},
        {"create without create access",
         R().CreateKey(readOnly, "New", reg::KeyAllAccess, out, nullptr), reg::AccessDenied},
        {"enum without enumerate access", R().EnumKey(readOnly, 0, text, nullptr),
         reg::AccessDenied},
        {"closed handle", R().QueryValue(closed, "", nullptr, nullptr), reg::InvalidHandle},
        {"close twice", R().CloseKey(closed), reg::InvalidHandle},
        {"performance root", R().OpenKey(reg::PerformanceData, "", reg::KeyRead, out),
         reg::InvalidHandle},
        {"dyn data root", R().CreateKey(reg::DynData, "x", reg::KeyAllAccess, out, nullptr),
         reg::InvalidHandle},
        {"empty level", R().CreateKey(reg::CurrentUser, "a\\\\b", reg::KeyAllAccess, out, nullptr),
         reg::BadPathname},
        {"leading separator", R().OpenKey(reg::CurrentUser, "\\P", reg::KeyRead, out),
         reg::BadPathname},
        {"name too long",
         R().CreateKey(reg::CurrentUser, std::string(256, 'k'), reg::KeyAllAccess, out, nullptr),
         reg::InvalidParameter},
        {"deleted key", R().SetValue(doomed, "v", reg::Sz, "x"), reg::KeyDeleted},
        {"below deleted key", R().CreateKey(doomed, "x", reg::KeyAllAccess, out, nullptr),
         reg::KeyDeleted},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(row.actual, row.expected);
    }
    // Nothing of the refused calls reached the store.
    EXPECT_EQ(SubKeys(R(), reg::CurrentUser), (std::vector<std::string>{"P"}));
    EXPECT_FALSE(RegistryErrorText(reg::BadDb).empty());
}

TEST_F(RegistryTest, DeleteTreeRemovesEverythingBelow) {
    HKey deep = Create(reg::ClassesRoot, "CLSID\\{X}\\InprocServer32");
    ASSERT_EQ(R().SetValue(deep, "", reg::Sz, "/lib/libPerlowan.so"), reg::Success);
    Create(reg::ClassesRoot, "CLSID\\{Y}");
    ASSERT_EQ(R().DeleteTree(reg::ClassesRoot, "clsid\\{x}"), reg::Success);
    HKey clsid = 0;
    ASSERT_EQ(R().OpenKey(reg::ClassesRoot, "CLSID", reg::KeyRead, clsid), reg::Success);
    EXPECT_EQ(SubKeys(R(), clsid), (std::vector<std::string>{"{Y}"}));
    ASSERT_EQ(R().DeleteTree(clsid, ""), reg::Success);
    EXPECT_TRUE(SubKeys(R(), clsid).empty());
    EXPECT_EQ(R().DeleteTree(reg::ClassesRoot, "Nope"), reg::FileNotFound);
}

TEST_F(RegistryTest, CorruptOrUnreadableStoreFailsClearlyAndIsKept) {
    const std::string corrupt =
        "# Perlowan registry\n[] 2025-01-01T00:00:00.0000000Z\n@=sz:\"open\n";
    WriteFile(folder_ / "HKEY_CURRENT_USER.txt", corrupt);
    fs::create_directory(folder_ / "HKEY_USERS.txt");
    struct Row {
        HKey root;
        const char* detailPart;
    };
    const Row rows[] = {{reg::CurrentUser, "line 3"}, {reg::Users, "cannot be read"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.detailPart);
        HKey out = 0;
        EXPECT_EQ(R().OpenKey(row.root, "", reg::KeyRead, out), reg::BadDb);
        EXPECT_NE(R().LastErrorDetail().find(row.detailPart), std::string::npos)
            << R().LastErrorDetail();
        EXPECT_EQ(R().CreateKey(row.root, "New", reg::KeyAllAccess, out, nullptr), reg::BadDb);
        EXPECT_EQ(R().SetValue(row.root, "v", reg::Sz, "x"), reg::BadDb);
        EXPECT_EQ(R().DeleteTree(row.root, ""), reg::BadDb);
    }
    EXPECT_EQ(ReadFile(folder_ / "HKEY_CURRENT_USER.txt"), corrupt);
    // The other roots keep working, and a success clears the detail.
    Create(reg::LocalMachine, "Fine");
    EXPECT_EQ(R().LastErrorDetail(), "");

    const std::string badTexts[] = {
        "[Key 2025-01-01T00:00:00.0000000Z\n",
        "[Key] yesterday\n",
        "@=sz:\"before any key\"\n",
        "[] 2025-01-01T00:00:00.0000000Z\n@=dword:102\n",
        "[] 2025-01-01T00:00:00.0000000Z\n@=hex:0g\n",
        "[] 2025-01-01T00:00:00.0000000Z\n\"v\"=sz:\"\\q\"\n",
        "[] 2025-01-01T00:00:00.0000000Z\n\"v\"=sz:\"a\"\n\"V\"=sz:\"b\"\n",
        "[] 2025-01-01T00:00:00.0000000Z\n[a] 2025-01-01T00:00:00.0000000Z\n[A] "
        "2025-01-01T00:00:00.0000000Z\n",
        "[a\\\\b] 2025-01-01T00:00:00.0000000Z\n",
        "[%4] 2025-01-01T00:00:00.0000000Z\n",
        "garbage\n",
        std::string("\0\x01\x02", 3),
    };
    for (std::size_t i = 0; i < std::size(badTexts); ++i) {
        SCOPED_TRACE("bad text " + std::to_string(i));
        WriteFile(folder_ / "HKEY_CLASSES_ROOT.txt", badTexts[i]);
        HKey out = 0;
        EXPECT_EQ(R().OpenKey(reg::ClassesRoot, "", reg::KeyRead, out), reg::BadDb);
    }
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNoUpdate) {
    constexpr int kPerProcess = 25;
    std::vector<pid_t> children;
    for (int p = 0; p < 2; ++p) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            auto mine = MakeFileRegistry(folder_.string());
            int failures = 0;
            for (int i = 0; i < kPerProcess; ++i) {
                HKey key = 0;
                const std::string path = "Shared\\P" + std::to_string(p) + "_" + std::to_string(i);
                failures += mine->CreateKey(reg::CurrentUser, path, reg::KeyAllAccess, key,
                                            nullptr) != reg::Success;
                failures += mine->SetValue(reg::CurrentUser, "v" + std::to_string(p * 1000 + i),
                                           reg::Sz, "x") != reg::Success;
                mine->CloseKey(key);
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    HKey shared = 0;
    ASSERT_EQ(R().OpenKey(reg::CurrentUser, "Shared", reg::KeyRead, shared), reg::Success);
    EXPECT_EQ(SubKeys(R(), shared).size(), 2u * kPerProcess);
    RegKeyInfo info;
    ASSERT_EQ(R().QueryInfoKey(reg::CurrentUser, info), reg::Success);
    EXPECT_EQ(info.values, 2u * kPerProcess);
}

TEST(RegistryFolder, ComesFromTheEnvironment) {
    struct Row {
        const char* registryDir;
        const char* xdg;
        const char* home;
        const char* expected;
    };
    const Row rows[] = {
        {"/tmp/reg", "/data", "/home/u", "/tmp/reg"},
        {"", "/data", "/home/u", "/data/perlowan/registry"},
        {nullptr, "relative", "/home/u", "/home/u/.local/share/perlowan/registry"},
        {nullptr, nullptr, "/home/v", "/home/v/.local/share/perlowan/registry"},
    };
    const testsupport::ScopedEnvironment environment[] = {{"PERLOWAN_REGISTRY_DIR", std::nullopt},
                                                          {"XDG_DATA_HOME", std::nullopt},
                                                          {"HOME", std::nullopt}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const char* values[] = {rows[i].registryDir, rows[i].xdg, rows[i].home};
        for (int n = 0; n < 3; ++n)
            environment[n].Set(values[n] ? std::optional<std::string_view>(values[n])
                                         : std::nullopt);
        EXPECT_EQ(DefaultRegistryFolder(), rows[i].expected);
    }
}

// The 8-bit functions over the installed role.
class RegistryAnsiTest : public RegistryTest {
  protected:
    void SetUp() override {
        RegistryTest::SetUp();
        scoped_.emplace(registry_);
    }
    void TearDown() override {
        scoped_.reset();
        RegistryTest::TearDown();
    }
    std::optional<rt::ScopedRole<Registry>> scoped_;
};

TEST_F(RegistryAnsiTest, TextIsConvertedAtTheBoundaryAndBytesAreNot) {
    HKey key = 0;
    std::uint32_t disposition = 0;
    ASSERT_EQ(RegCreateKeyExA(reg::CurrentUser, "Gr\xfc\xdf", 0, "", 0, reg::KeyAllAccess, nullptr,
                              &key, &disposition),
              reg::Success);
    EXPECT_EQ(disposition, reg::CreatedNewKey);
    const std::uint8_t text[] = {0x80, 'a', 0xe4};  // "€aä" in the 8-bit code page
    ASSERT_EQ(RegSetValueExA(key, "N\xe4me", 0, reg::Sz, text, 3), reg::Success);
    ASSERT_EQ(RegSetValueExA(key, "Bin", 0, reg::Binary, text, 3), reg::Success);

    // The role sees UTF-8 for text and the bytes for binary data.
    std::string data;
    ASSERT_EQ(R().QueryValue(key, "Näme", nullptr, &data), reg::Success);
    EXPECT_EQ(data, "€aä");
    ASSERT_EQ(R().QueryValue(key, "bin", nullptr, &data), reg::Success);
    EXPECT_EQ(data, "\x80\x61\xe4");
    EXPECT_EQ(SubKeys(R(), reg::CurrentUser), (std::vector<std::string>{"Grüß"}));

    // Size query, too small a buffer, then the data; the buffer's tail is left alone.
    std::uint32_t type = 0, size = 0;
    ASSERT_EQ(RegQueryValueExA(key, "N\xc4ME", nullptr, &type, nullptr, &size), reg::Success);
    EXPECT_EQ(type, reg::Sz);
    EXPECT_EQ(size, 3u);
    std::uint8_t buffer[6] = {9, 9, 9, 9, 9, 9};
    size = 2;
    EXPECT_EQ(RegQueryValueExA(key, "N\xe4me", nullptr, &type, buffer, &size), reg::MoreData);
    EXPECT_EQ(size, 3u);
    size = sizeof buffer;
    ASSERT_EQ(RegQueryValueExA(key, "N\xe4me", nullptr, &type, buffer, &size), reg::Success);
    EXPECT_EQ(size, 3u);
    EXPECT_EQ(std::string(buffer, buffer + 6), std::string("\x80\x61\xe4\x09\x09\x09", 6));

    // Names come back in the 8-bit code page with their terminator.
    char name[8];
    std::uint32_t chars = 4;
    EXPECT_EQ(RegEnumKeyExA(reg::CurrentUser, 0, name, &chars, nullptr, nullptr, nullptr, nullptr),
              reg::MoreData);
    EXPECT_EQ(chars, 4u);
    chars = sizeof name;
    ASSERT_EQ(RegEnumKeyExA(reg::CurrentUser, 0, name, &chars, nullptr, nullptr, nullptr, nullptr),
              reg::Success);
    EXPECT_EQ(std::string(name, chars + 1), std::string("Gr\xfc\xdf", 5));
    chars = sizeof name;
    size = sizeof buffer;
    ASSERT_EQ(RegEnumValueA(key, 0, name, &chars, nullptr, &type, buffer, &size), reg::Success);
    EXPECT_EQ(std::string(name, chars), "N\xe4me");
    EXPECT_EQ(RegEnumValueA(key, 2, name, &chars, nullptr, &type, buffer, &size), reg::NoMoreItems);

    std::uint32_t subKeys = 9, values = 9, maxName = 9;
    FileTime written;
    ASSERT_EQ(RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                               &maxName, nullptr, nullptr, &written),
              reg::Success);
    EXPECT_EQ(subKeys, 0u);
    EXPECT_EQ(values, 2u);
    EXPECT_EQ(maxName, 4u);
    EXPECT_EQ(written.Ticks(), gTicks);

    ASSERT_EQ(RegDeleteValueA(key, "N\xe4me"), reg::Success);
    EXPECT_EQ(RegCloseKey(key), reg::Success);
    ASSERT_EQ(RegDeleteKeyA(reg::CurrentUser, "gr\xdc\xdf"), reg::Success);
    HKey gone = 0;
    EXPECT_EQ(RegOpenKeyExA(reg::CurrentUser, "Gr\xfc\xdf", 0, reg::KeyRead, &gone),
              reg::FileNotFound);
}

}  // namespace
}  // namespace platform

// The registry store file: names that read back byte for byte, keys listed in any order, and the
// parsed store kept between calls while the file is unchanged.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "DebugRecorder.h"
#include "Files.h"
#include "Registry.h"
#include "RegistryFormat.h"
#include "TestSupport.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

constexpr const char* kTime = "2025-03-04T05:06:07.0000008Z";

using testsupport::ReadFile;
using testsupport::WriteFile;

// The keys of a tree as "path|value names" lines in enumeration order.
void Describe(const regfile::Key& key, const std::string& path, std::vector<std::string>& out) {
    std::string line = path + "|";
    for (const regfile::Value& v : key.values) line += v.name + "=" + v.data + ";";
    out.push_back(line);
    for (const regfile::Key& sub : key.subKeys) Describe(sub, path + "/" + sub.name, out);
}

std::vector<std::string> Described(const regfile::Key& root) {
    std::vector<std::string> out;
    Describe(root, "", out);
    return out;
}

// Counts the whole-file reads of the store while passing them on.
class CountingFiles final : public FileSystem {
  public:
    explicit CountingFiles(std::shared_ptr<FileSystem> inner) : inner_(std::move(inner)) {}
    std::int64_t Length(const std::string& path) override { return inner_->Length(path); }
    int Delete(const std::string& path) override { return inner_->Delete(path); }
    std::optional<std::int64_t> ModifiedTime(const std::string& path) override {
        return inner_->ModifiedTime(path);
    }
    std::string ReadAll(const std::string& path) override {
        ++reads;
        return inner_->ReadAll(path);
    }
    void WriteAtomic(const std::string& path, std::string_view bytes, bool ownerOnly) override {
        inner_->WriteAtomic(path, bytes, ownerOnly);
    }
    int reads = 0;

  private:
    std::shared_ptr<FileSystem> inner_;
};

class RegistryStoreTest : public ::testing::Test {
  protected:
    fs::path Store() const { return folder_ / "HKEY_CURRENT_USER.txt"; }
    std::shared_ptr<Registry> Open() const { return MakeFileRegistry(folder_.string()); }

    static std::vector<std::string> SubKeys(Registry& r, HKey root, std::string_view path) {
        std::vector<std::string> names;
        HKey key = 0;
        if (r.OpenKey(root, path, reg::KeyRead, key) != reg::Success) return {"<cannot open>"};
        std::string name;
        for (std::uint32_t i = 0; r.EnumKey(key, i, name, nullptr) == reg::Success; ++i)
            names.push_back(name);
        r.CloseKey(key);
        return names;
    }

    testsupport::TempFolder temp_{"perlowan-regstore"};
    const fs::path& folder_ = temp_.Path();
};

TEST(RegistryFormat, EveryKeyNameReadsBackByteForByte) {
    struct Row {
        std::string path;                // as the store lists it
        std::vector<std::string> names;  // the levels it means
    };
    const Row rows[] = {
        /* 0 */ {"a%5cb", {"a\\b"}},
        /* 1 */ {"Top\\a%5Cb\\c", {"Top", "a\\b", "c"}},
        /* 2 */ {"%5c", {"\\"}},
        /* 3 */ {"x%5c%5cy%25%5d%0a", {"x\\\\y%]\n"}},
        /* 4 */
        {"Gr\xc3\xb6\xc3\x9f"
         "e\\\xff%5c",
         {"Gr\xc3\xb6\xc3\x9f"
          "e",
          "\xff\\"}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const std::string text = "[" + rows[i].path + "] " + kTime + "\n@=sz:\"v\"\n";
        regfile::Key first;
        std::string problem;
        ASSERT_TRUE(regfile::Parse(text, first, problem)) << problem;
        std::vector<std::string> names;
        for (const regfile::Key* key = &first; !key->subKeys.empty(); key = &key->subKeys[0]) {
            ASSERT_EQ(key->subKeys.size(), 1u);
            names.push_back(key->subKeys[0].name);
        }
        EXPECT_EQ(names, rows[i].names);

        const std::string written = regfile::Serialize(first, "HKEY_CURRENT_USER");
        regfile::Key second;
        ASSERT_TRUE(regfile::Parse(written, second, problem)) << problem;
        EXPECT_EQ(Described(second), Described(first));
        EXPECT_EQ(regfile::Serialize(second, "HKEY_CURRENT_USER"), written);
    }
}

TEST(RegistryFormat, KeysListedInAnyOrderEnumerateSorted) {
    const std::string text = std::string("[b\\Z] ") + kTime + "\n[A\\y] " + kTime + "\n[a] " +
                             kTime + "\n\"n\"=dword:00000001\n[B\\x] " + kTime + "\n[] " + kTime +
                             "\n[a\\X] " + kTime + "\n";
    regfile::Key root;
    std::string problem;
    ASSERT_TRUE(regfile::Parse(text, root, problem)) << problem;
    EXPECT_EQ(Described(root),
              (std::vector<std::string>{"|", "/A|n=\x01" + std::string(3, '\0') + ";", "/A/X|",
                                        "/A/y|", "/b|", "/b/x|", "/b/Z|"}));

    const std::string twice[] = {
        std::string("[a\\b] ") + kTime + "\n[x] " + kTime + "\n[A\\B] " + kTime + "\n",
        std::string("[a] ") + kTime + "\n\"v\"=sz:\"1\"\n[b] " + kTime + "\n[a] " + kTime + "\n",
    };
    for (std::size_t i = 0; i < std::size(twice); ++i) {
        SCOPED_TRACE("twice " + std::to_string(i));
        EXPECT_FALSE(regfile::Parse(twice[i], root, problem));
        EXPECT_NE(problem.find("key listed twice"), std::string::npos) << problem;
    }
}

TEST_F(RegistryStoreTest, AnEscapedBackslashSurvivesAWriteOfTheStore) {
    WriteFile(Store(), std::string("# Perlowan registry: HKEY_CURRENT_USER\n[] ") + kTime +
                           "\n[Top] " + kTime + "\n[Top\\a%5cb] " + kTime +
                           "\n\"kept\"=sz:\"here\"\n");
    auto registry = Open();
    ASSERT_EQ(registry->SetValue(reg::CurrentUser, "touch", reg::Sz, "x"), reg::Success);
    auto other = Open();
    EXPECT_EQ(SubKeys(*other, reg::CurrentUser, "Top"), std::vector<std::string>{"a\\b"});
    EXPECT_NE(ReadFile(Store()).find("[Top\\a%5cb] "), std::string::npos) << ReadFile(Store());
}

TEST_F(RegistryStoreTest, AnUnchangedStoreIsReadOnceAndChangesAreSeen) {
    auto counting = std::make_shared<CountingFiles>(rt::MakeDefaultRole<FileSystem>());
    rt::ScopedRole<FileSystem> files(counting);
    auto registry = Open();
    auto other = Open();
    ASSERT_EQ(other->SetValue(reg::CurrentUser, "v", reg::Sz, "1"), reg::Success);
    const int before = counting->reads;

    std::string data;
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(registry->QueryValue(reg::CurrentUser, "v", nullptr, &data), reg::Success);
        EXPECT_EQ(data, "1");
    }
    EXPECT_EQ(counting->reads - before, 1);

    // Another writer, with data of the same size: the next read sees it.
    struct Row {
        std::string value;
    };
    const Row rows[] = {{"2"}, {"3"}, {"3"}, {"4"}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        ASSERT_EQ(other->SetValue(reg::CurrentUser, "v", reg::Sz, rows[i].value), reg::Success);
        ASSERT_EQ(registry->QueryValue(reg::CurrentUser, "v", nullptr, &data), reg::Success);
        EXPECT_EQ(data, rows[i].value);
        // A change of this registry builds on the other's, losing nothing.
        ASSERT_EQ(registry->SetValue(reg::CurrentUser, "mine" + std::to_string(i), reg::Sz, "m"),
                  reg::Success);
        ASSERT_EQ(other->QueryValue(reg::CurrentUser, "mine" + std::to_string(i), nullptr, &data),
                  reg::Success);
    }
    RegKeyInfo info;
    ASSERT_EQ(registry->QueryInfoKey(reg::CurrentUser, info), reg::Success);
    EXPECT_EQ(info.values, 1u + std::size(rows));

    // A store removed behind its back reads as empty.
    fs::remove(Store());
    EXPECT_EQ(registry->QueryValue(reg::CurrentUser, "v", nullptr, &data), reg::FileNotFound);
}

TEST_F(RegistryStoreTest, KeysDeeperThanTheLimitAreRefusedAndTheStoreStaysReadable) {
    auto registry = Open();
    std::string path = "L";
    for (std::size_t i = 1; i < regfile::kMaxKeyDepth; ++i) path += "\\L";
    HKey key = 0;
    ASSERT_EQ(registry->CreateKey(reg::CurrentUser, path, reg::KeyAllAccess, key, nullptr),
              reg::Success);
    HKey deeper = 0;
    EXPECT_EQ(registry->CreateKey(key, "M", reg::KeyAllAccess, deeper, nullptr),
              reg::InvalidParameter);
    EXPECT_EQ(
        registry->CreateKey(reg::CurrentUser, path + "\\M", reg::KeyAllAccess, deeper, nullptr),
        reg::InvalidParameter);
    registry->CloseKey(key);
    auto other = Open();
    HKey opened = 0;
    EXPECT_EQ(other->OpenKey(reg::CurrentUser, path, reg::KeyRead, opened), reg::Success);
}

TEST_F(RegistryStoreTest, AStoreThatCannotBeExaminedIsSaidSo) {
    WriteFile(Store(), std::string("[] ") + kTime + "\n");
    // Closed to everyone, so that even its owner cannot look inside.
    ASSERT_EQ(::chmod(folder_.c_str(), 0), 0);
    const std::string folder = folder_.string();
    testsupport::AsUnprivilegedUser([&] {
        testsupport::DebugRecorder debug("registry");
        HKey key = 0;
        EXPECT_EQ(MakeFileRegistry(folder)->OpenKey(reg::CurrentUser, "", reg::KeyRead, key), 1009);
        EXPECT_EQ(debug.Lines(), std::vector<std::string>{
                                     "registry: the registry file " + Store().string() +
                                     " cannot be examined (Permission denied): it is not kept "
                                     "in memory"});
    });
}

}  // namespace
}  // namespace platform

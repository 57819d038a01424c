#include "Files.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>
#include "RuntimeError_test.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "RuntimeError.h"
#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;

using rt::testing::ErrorOf;

class FilesTest : public testing::Test {
  protected:
    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
    void Make(const std::string& name, const std::string& bytes) {
        testsupport::WriteFile(dir_ / name, bytes);
    }
    std::vector<std::string> Names() const { return temp_.Names(); }
    static mode_t ModeOf(const std::string& path) {
        struct stat st;
        return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
    }

    testsupport::TempFolder temp_{"perlowan-files"};
    fs::path dir_ = temp_.Path();
    platform::FileSystem& files_ = platform::Files();
};

TEST_F(FilesTest, EachCallAnswersForEachKindOfPath) {
    // A name just short enough for the file but too long for its temporary sibling.
    const std::string longName(250, 'n');
    Make(longName, "old");
    Make("five", "12345");
    Make("empty", "");
    Make("doomed", "x");
    fs::create_directory(dir_ / "folder");
    enum Call { Length, Delete, ReadAll, WriteAtomic };
    struct Row {
        Call call;
        std::string path;
        std::int64_t expected;  // Length's value, or the error number
    };
    const Row rows[] = {
        /* 0 */ {Length, PathOf("five"), 5},
        /* 1 */ {Length, PathOf("empty"), 0},
        /* 2 */ {Length, PathOf("missing"), -1},
        /* 3 */ {Length, PathOf("folder"), -1},
        /* 4 */ {Length, "", -1},
        /* 5 */ {Length, PathOf("five/below"), -1},
        /* 6 */ {Delete, PathOf("doomed"), 0},
        /* 7 */ {Delete, PathOf("doomed"), 53},  // gone now
        /* 8 */ {Delete, PathOf("missing"), 53},
        /* 9 */ {Delete, PathOf("folder"), 75},
        /* 10 */ {Delete, "", 53},
        /* 11 */ {ReadAll, PathOf("missing"), 53},
        /* 12 */ {ReadAll, PathOf("folder"), 75},
        /* 13 */ {WriteAtomic, PathOf("missing folder/store"), 76},
        /* 14 */ {WriteAtomic, PathOf("folder"), 75},
        /* 15 */ {WriteAtomic, PathOf(longName), 75},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(i);
        const std::string& path = rows[i].path;
        switch (rows[i].call) {
            case Length:
                EXPECT_EQ(files_.Length(path), rows[i].expected);
                break;
            case Delete:
                EXPECT_EQ(files_.Delete(path), rows[i].expected);
                break;
            case ReadAll:
                EXPECT_EQ(ErrorOf([&] { files_.ReadAll(path); }), rows[i].expected);
                EXPECT_EQ(ErrorOf([&] { files_.ReadPrefix(path, 1); }), rows[i].expected);
                break;
            case WriteAtomic:
                EXPECT_EQ(ErrorOf([&] { files_.WriteAtomic(path, "new"); }), rows[i].expected);
                break;
        }
    }
    // The failed replace kept the old file and left nothing behind.
    EXPECT_EQ(files_.ReadAll(PathOf(longName)), "old");
    EXPECT_EQ(Names(), (std::vector<std::string>{"empty", "five", "folder", longName}));
    EXPECT_TRUE(fs::is_empty(dir_ / "folder"));
}

TEST_F(FilesTest, ModifiedTimeHasNanosecondResolution) {
    Make("stamped", "x");
    const struct timespec times[2] = {{1700000000, 123456789}, {1700000000, 987654321}};
    ASSERT_EQ(::utimensat(AT_FDCWD, PathOf("stamped").c_str(), times, 0), 0);
    EXPECT_EQ(files_.ModifiedTime(PathOf("stamped")), 1700000000'987654321LL);
    EXPECT_EQ(files_.ModifiedTime(PathOf("missing")), std::nullopt);
}

// A same-size rewrite with the modification time put back, and a replacement by rename, still
// give another stamp; an untouched file gives the same one.
TEST_F(FilesTest, StampTellsEveryChangeFromAnUnchangedFile) {
    Make("stamped", "abc");
    const std::string path = PathOf("stamped");
    const auto first = files_.Stamp(path);
    ASSERT_TRUE(first.has_value());
    EXPECT_EQ(first->modifiedNs, files_.ModifiedTime(path));
    EXPECT_EQ(first->size, 3);
    EXPECT_EQ(files_.Stamp(path), first);
    const struct timespec keep[2] = {
        {0, UTIME_OMIT}, {first->modifiedNs / 1'000'000'000, first->modifiedNs % 1'000'000'000}};
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // past the clock's tick
    Make("stamped", "xyz");
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), keep, 0), 0);
    const auto rewritten = files_.Stamp(path);
    ASSERT_TRUE(rewritten.has_value());
    EXPECT_EQ(rewritten->modifiedNs, first->modifiedNs);
    EXPECT_NE(rewritten, first) << "the change time tells";
    Make("other", "xyz");
    fs::rename(PathOf("other"), path);
    const auto renamed = files_.Stamp(path);
    ASSERT_TRUE(renamed.has_value());
    EXPECT_NE(renamed->inode, first->inode);
    EXPECT_EQ(files_.Stamp(PathOf("missing")), std::nullopt);
    EXPECT_EQ(files_.Stamp(dir_.string()), std::nullopt) << "a folder";
}

TEST_F(FilesTest, ReadAllAndReadPrefixGiveTheBytes) {
    const std::string bytes("a\0\xff\r\nb", 6);
    Make("raw", bytes);
    EXPECT_EQ(files_.ReadAll(PathOf("raw")), bytes);
    EXPECT_EQ(files_.ReadPrefix(PathOf("raw"), 3), bytes.substr(0, 3));
    EXPECT_EQ(files_.ReadPrefix(PathOf("raw"), 100), bytes);
    Make("empty", "");
    EXPECT_EQ(files_.ReadAll(PathOf("empty")), "");
}

TEST_F(FilesTest, WriteAtomicReplacesTheFileAndLeavesNoTemporaryFile) {
    const std::string big(300000, 'z');
    files_.WriteAtomic(PathOf("store"), "first");
    EXPECT_EQ(files_.ReadAll(PathOf("store")), "first");
    files_.WriteAtomic(PathOf("store"), big);
    EXPECT_EQ(files_.ReadAll(PathOf("store")), big);
    files_.WriteAtomic(PathOf("store"), "");
    EXPECT_EQ(files_.Length(PathOf("store")), 0);
    EXPECT_EQ(Names(), std::vector<std::string>{"store"});
}

TEST_F(FilesTest, PermissionsOfNewAndExistingFiles) {
    const mode_t saved = ::umask(0);
    files_.WriteAtomic(PathOf("private"), "secret", /*ownerOnly=*/true);
    files_.WriteAtomic(PathOf("public"), "x");
    ::umask(saved);
    EXPECT_EQ(ModeOf(PathOf("private")), 0600u);
    EXPECT_EQ(ModeOf(PathOf("public")), 0644u);
    // An existing file keeps its permissions, whatever ownerOnly says.
    ASSERT_EQ(::chmod(PathOf("public").c_str(), 0640), 0);
    files_.WriteAtomic(PathOf("public"), "y", /*ownerOnly=*/true);
    EXPECT_EQ(ModeOf(PathOf("public")), 0640u);
    files_.WriteAtomic(PathOf("private"), "z");
    EXPECT_EQ(ModeOf(PathOf("private")), 0600u);
}

}  // namespace

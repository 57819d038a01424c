// What a user expects of a save: links keep pointing at the saved file, read-only files stay
// unwritten, a folder without write access still lets a writable file be saved, the litter of
// killed writers goes away, and owner and mode stay.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "DebugRecorder.h"
#include "Files.h"
#include "RuntimeError_test.h"
#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;

using rt::testing::ErrorOf;
using testsupport::AsUnprivilegedUser;
using testsupport::ReadFile;

// The number of a process that has ended.
pid_t EndedProcess() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

class FilesSaveTest : public testing::Test {
  protected:
    // The unprivileged cases need to reach the folder.
    void SetUp() override { ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0); }
    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }
    void Make(const std::string& name, const std::string& bytes) {
        testsupport::WriteFile(dir_ / name, bytes);
    }
    std::vector<std::string> Names(const std::string& folder = "") const {
        return folder_.Names(folder);
    }
    static struct stat StatOf(const std::string& path) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st;
    }
    void GiveAway(const std::string& name, mode_t mode) {
        testsupport::GiveToUnprivilegedUser(dir_ / name, mode);
    }

    testsupport::TempFolder folder_{"perlowan-save"};
    const fs::path& dir_ = folder_.Path();
    platform::FileSystem& files_ = platform::Files();
};

TEST_F(FilesSaveTest, ASaveThroughALinkReplacesTheLinksTarget) {
    fs::create_directories(dir_ / "real" / "deep");
    fs::create_directory(dir_ / "links");
    struct Row {
        std::string link, pointsTo;      // a link in "links" and what it holds
        std::string target;              // the file that must receive the bytes
        std::vector<std::string> chain;  // further links (name, holds) made first
    };
    const Row rows[] = {
        /* 0 */ {"absolute", PathOf("real/a"), "real/a", {}},
        /* 1 */ {"relative", "../real/deep/b", "real/deep/b", {}},
        /* 2 */ {"chain", "middle", "real/c", {"middle", "../real/c"}},
        /* 3 */ {"dangling", "../real/not-yet", "real/not-yet", {}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const Row& row = rows[i];
        if (row.target != "real/not-yet") Make(row.target, "old");
        for (std::size_t c = 0; c + 1 < row.chain.size(); c += 2)
            fs::create_symlink(row.chain[c + 1], dir_ / "links" / row.chain[c]);
        fs::create_symlink(row.pointsTo, dir_ / "links" / row.link);

        files_.WriteAtomic(PathOf("links/" + row.link), "new " + std::to_string(i));

        EXPECT_TRUE(fs::is_symlink(dir_ / "links" / row.link));
        EXPECT_EQ(fs::read_symlink(dir_ / "links" / row.link).string(), row.pointsTo);
        EXPECT_EQ(ReadFile(PathOf(row.target)), "new " + std::to_string(i));
    }
    EXPECT_EQ(Names("links"),
              (std::vector<std::string>{"absolute", "chain", "dangling", "middle", "relative"}));
    EXPECT_EQ(Names("real"), (std::vector<std::string>{"a", "c", "deep", "not-yet"}));
    EXPECT_EQ(Names("real/deep"), std::vector<std::string>{"b"});
}

TEST_F(FilesSaveTest, AReadOnlyFileIsNotWrittenByAnyone) {
    testsupport::DebugRecorder debug("files");
    const mode_t modes[] = {0400, 0444, 0555};
    for (std::size_t i = 0; i < std::size(modes); ++i) {
        SCOPED_TRACE("mode row " + std::to_string(i));
        const std::string mine = "mine" + std::to_string(i);
        Make(mine, "old");
        ASSERT_EQ(::chmod(PathOf(mine).c_str(), modes[i]), 0);
        EXPECT_EQ(ErrorOf([&] { files_.WriteAtomic(PathOf(mine), "new"); }), 70);
        EXPECT_EQ(ReadFile(PathOf(mine)), "old");
        EXPECT_EQ(StatOf(PathOf(mine)).st_mode & 07777, modes[i]);

        const std::string theirs = PathOf("theirs" + std::to_string(i));
        Make("theirs" + std::to_string(i), "old");
        GiveAway("theirs" + std::to_string(i), modes[i]);
        AsUnprivilegedUser([&] {
            testsupport::DebugRecorder theirDebug("files");
            EXPECT_EQ(ErrorOf([&] { platform::Files().WriteAtomic(theirs, "new"); }), 70);
            EXPECT_EQ(theirDebug.Lines(),
                      std::vector<std::string>{"files: " + theirs + " is read-only: not written"});
        });
        EXPECT_EQ(ReadFile(theirs), "old");
    }
    EXPECT_EQ(debug.Lines(), (std::vector<std::string>{
                                 "files: " + PathOf("mine0") + " is read-only: not written",
                                 "files: " + PathOf("mine1") + " is read-only: not written",
                                 "files: " + PathOf("mine2") + " is read-only: not written"}));
}

TEST_F(FilesSaveTest, AWritableFileInAFolderWithoutWriteAccessIsWrittenInPlace) {
    fs::create_directory(dir_ / "closed");
    Make("closed/store", "old contents, longer than the new");
    Make("closed/locked", "old");
    Make("closed/grows", "old");
    GiveAway("closed/store", 0644);
    GiveAway("closed/locked", 0444);
    GiveAway("closed/grows", 0600);
    GiveAway("closed", 0555);
    const ino_t inode = StatOf(PathOf("closed/store")).st_ino;
    const std::string folder = PathOf("closed");
    const std::string bigger(100000, 'g');
    AsUnprivilegedUser([&] {
        testsupport::DebugRecorder debug("files");
        const std::pair<std::string, int> rows[] = {
            {"store", 0}, {"grows", 0}, {"locked", 70}, {"created", 70}};
        for (const auto& [name, error] : rows) {
            SCOPED_TRACE(name);
            const std::string& bytes = name == "grows" ? bigger : "new";
            EXPECT_EQ(ErrorOf([&] { platform::Files().WriteAtomic(folder + "/" + name, bytes); }),
                      error);
        }
        const std::string noTemporary =
            "files: no temporary file in " + folder + " (Permission denied): " + folder;
        EXPECT_EQ(debug.Lines(), (std::vector<std::string>{
                                     noTemporary + "/store written in place",
                                     noTemporary + "/grows written in place",
                                     "files: " + folder + "/locked is read-only: not written"}));
    });
    EXPECT_EQ(ReadFile(PathOf("closed/store")), "new");
    EXPECT_EQ(ReadFile(PathOf("closed/grows")), bigger);
    EXPECT_EQ(ReadFile(PathOf("closed/locked")), "old");
    EXPECT_EQ(StatOf(PathOf("closed/store")).st_ino, inode);
    EXPECT_EQ(Names("closed"), (std::vector<std::string>{"grows", "locked", "store"}));
}

TEST_F(FilesSaveTest, TemporaryFilesOfEndedWritersGoWithTheNextSave) {
    const std::string ended = std::to_string(EndedProcess());
    const std::string running = std::to_string(::getppid());
    Make("store", "old");
    struct Row {
        std::string name;
        bool ours;  // else another user's
        bool stays;
    };
    const Row rows[] = {
        /* 0 */ {"store.~" + ended + "-a1B2c3", true, false},
        /* 1 */ {"store.~" + ended + "-zzzzzz", true, false},
        /* 2 */ {"store.~" + running + "-a1B2c3", true, true},  // its writer still runs
        /* 3 */ {"store.~" + ended + "-x9x9x9", false, true},   // not ours
        /* 4 */ {"other.~" + ended + "-a1B2c3", true, true},    // another file's
        /* 5 */ {"store.~" + ended + "-a1B2", true, true},      // not the pattern
        /* 6 */ {"store.~x" + ended + "-a1B2c3", true, true},
        /* 7 */ {"store.tmpa1B2c3", true, true},
    };
    std::vector<std::string> expected = {"store"};
    for (const Row& row : rows) {
        Make(row.name, std::string(1000, 'p'));
        if (!row.ours) GiveAway(row.name, 0600);
        if (row.stays) expected.push_back(row.name);
    }
    std::sort(expected.begin(), expected.end());
    if (::geteuid() != 0) {
        // Without a second user, row 3 is ours as well: it goes.
        expected.erase(std::find(expected.begin(), expected.end(), rows[3].name));
    }

    files_.WriteAtomic(PathOf("store"), "new");
    EXPECT_EQ(ReadFile(PathOf("store")), "new");
    EXPECT_EQ(Names(), expected);
}

TEST_F(FilesSaveTest, AKilledWriterLeavesNoLitterAfterTheNextSave) {
    Make("store", "old");
    const std::string path = PathOf("store");
    const pid_t writer = ::fork();
    if (writer == 0) {
        // Writes forever; killed while a temporary file exists.
        const std::string big(4 << 20, 'k');
        for (;;) platform::Files().WriteAtomic(path, big);
    }
    ASSERT_GT(writer, 0);
    // Wait until a temporary file of the writer shows up, then kill it.
    const std::string prefix = "store.~" + std::to_string(writer) + "-";
    bool seen = false;
    for (int tries = 0; tries < 2000 && !seen; ++tries) {
        for (const std::string& name : Names()) seen = seen || name.starts_with(prefix);
        if (!seen) ::usleep(1000);
    }
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    ASSERT_TRUE(seen);

    files_.WriteAtomic(path, "after");
    EXPECT_EQ(ReadFile(path), "after");
    EXPECT_EQ(Names(), std::vector<std::string>{"store"});
}

TEST_F(FilesSaveTest, OwnerAndModeOfTheReplacedFileStay) {
    const uid_t user = testsupport::UnprivilegedUser();
    // A file of the unprivileged user saved by the test's user (root: replaced and handed back).
    Make("theirs", "old");
    GiveAway("theirs", 0640);
    files_.WriteAtomic(PathOf("theirs"), "new", /*ownerOnly=*/true);
    EXPECT_EQ(ReadFile(PathOf("theirs")), "new");
    EXPECT_EQ(StatOf(PathOf("theirs")).st_uid, user);
    EXPECT_EQ(StatOf(PathOf("theirs")).st_mode & 07777, 0640u);

    // A file of the test's user that the unprivileged user may write: written in place, so the
    // owner stays.
    Make("shared", "old");
    ASSERT_EQ(::chmod(PathOf("shared").c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir_.c_str(), 0777), 0);
    const std::string path = PathOf("shared");
    AsUnprivilegedUser([&] { platform::Files().WriteAtomic(path, "by another user"); });
    EXPECT_EQ(ReadFile(path), "by another user");
    EXPECT_EQ(StatOf(path).st_uid, ::geteuid());
    EXPECT_EQ(StatOf(path).st_mode & 07777, 0666u);
    EXPECT_EQ(Names(), (std::vector<std::string>{"shared", "theirs"}));
}

TEST_F(FilesSaveTest, WithoutPermissionNothingIsWrittenOrDeleted) {
    Make("kept", "old");
    // As root the body runs as another user, whom 0644 already denies; a plain user owns the
    // file, so only the read-only mode denies it.
    GiveAway("kept", ::geteuid() == 0 ? 0644 : 0444);
    fs::create_directory(dir_ / "closed");
    Make("closed/kept", "old");
    GiveAway("closed/kept", 0644);
    GiveAway("closed", 0555);
    ASSERT_EQ(::chown(PathOf("kept").c_str(), ::geteuid(), ::getegid()), 0);
    const std::string kept = PathOf("kept"), closedKept = PathOf("closed/kept");
    AsUnprivilegedUser([&] {
        auto& files = platform::Files();
        EXPECT_EQ(ErrorOf([&] { files.WriteAtomic(kept, "new"); }), 70);
        EXPECT_EQ(files.Delete(closedKept), 70);
        EXPECT_EQ(ErrorOf([&] { files.WriteAtomic(PathOf("closed/new"), "new"); }), 70);
    });
    EXPECT_EQ(ReadFile(kept), "old");
    EXPECT_EQ(ReadFile(closedKept), "old");
    EXPECT_EQ(Names("closed"), std::vector<std::string>{"kept"});
}

}  // namespace

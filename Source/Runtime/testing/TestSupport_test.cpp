#include "TestSupport.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

TEST(TestSupport, FilesAndFoldersRoundTripAndAMissingFileFails) {
    fs::path kept;
    {
        testsupport::TempFolder folder("support");
        kept = folder.Path();
        testsupport::WriteFile(folder / "f", std::string("a\0b\r\n", 5));
        EXPECT_EQ(testsupport::ReadFile(folder / "f"), std::string("a\0b\r\n", 5));
        EXPECT_EQ(testsupport::ReadFileIfAny(folder / "missing"), std::nullopt);
        EXPECT_THROW(testsupport::ReadFile(folder / "missing"), std::runtime_error);
        fs::create_directory(folder / "locked");
        testsupport::WriteFile(folder / "locked" / "g", "x");
        fs::permissions(folder / "locked", fs::perms::owner_read);
    }
    EXPECT_FALSE(fs::exists(kept));
}

fs::path* sharedFolder = nullptr;

TEST(TestSupport, AnUnprivilegedCaseRunsAsAnotherUserAndReportsItsFailures) {
    testsupport::TempFolder folder("support");
    testsupport::WriteFile(folder / "mine", "x");
    const bool root = ::geteuid() == 0;
    testsupport::AsUnprivilegedUser(folder.Path(), [&] {
        EXPECT_NE(::geteuid(), 0u);
        struct stat st {};
        ASSERT_EQ(::stat((folder / "mine").c_str(), &st), 0);
        EXPECT_EQ(st.st_uid, ::geteuid()) << "the folder is handed to the user";
        testsupport::WriteFile(folder / "written", "y");
    });
    struct stat st {};
    ASSERT_EQ(::stat((folder / "written").c_str(), &st), 0);
    if (root) {
        EXPECT_EQ(st.st_uid, 0u) << "and handed back";
    }

    fs::path path = folder.Path();
    sharedFolder = &path;
    EXPECT_NONFATAL_FAILURE(testsupport::AsUnprivilegedUser(
                                *sharedFolder, [] { ADD_FAILURE() << "seen in the parent"; }),
                            "seen in the parent");
    sharedFolder = nullptr;
}

}  // namespace

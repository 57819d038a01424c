// The profile functions refuse what cannot be read or written, say so on the debug channel, and
// leave the file as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "DebugRecorder.h"
#include "ProfileStrings.h"
#include "TestSupport.h"

namespace {

namespace fs = std::filesystem;

using testsupport::ReadFile;

TEST(ProfileStringsRefusal, AReadOnlyOrMissingFileIsRefusedVisibly) {
    testsupport::TempFolder dir("perlowan-profile");
    const std::string readOnly = (dir / "readonly.ini").string();
    testsupport::WriteFile(readOnly, "[s]\r\nk=old\r\n");
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    const std::string folder = (dir / "folder.ini").string();
    fs::create_directory(folder);

    testsupport::DebugRecorder debug("profile");
    auto& profile = platform::Profile();
    EXPECT_FALSE(profile.WritePrivateProfileStringA("s", "k", "new", readOnly));
    EXPECT_FALSE(profile.WritePrivateProfileStringA("s", "k", "new", folder));
    std::string value;
    EXPECT_EQ(profile.GetPrivateProfileStringA("s", "k", "dflt", value, 100, folder), 4);
    EXPECT_EQ(value, "dflt");
    EXPECT_EQ(profile.GetPrivateProfileStringA("s", "k", "dflt", value, 100, readOnly), 3);
    EXPECT_EQ(value, "old");

    EXPECT_EQ(ReadFile(readOnly), "[s]\r\nk=old\r\n");
    EXPECT_TRUE(fs::is_directory(folder));
    const std::string unreadable =
        "profile: " + folder + " cannot be read (Path/File access error)";
    EXPECT_EQ(debug.Lines(),
              (std::vector<std::string>{
                  "profile: " + readOnly + " cannot be written: Permission denied",
                  unreadable + ": nothing is written", unreadable + ": the default is returned"}));
}

TEST(ProfileStringsRefusal, AnUnreadableFileIsNotWritten) {
    testsupport::TempFolder dir("perlowan-profile");
    ASSERT_EQ(::chmod(dir.Path().c_str(), 0777), 0);
    const std::string path = (dir / "writeonly.ini").string();
    testsupport::WriteFile(path, "[a]\r\nk=1\r\n");
    testsupport::GiveToUnprivilegedUser(path, 0200);
    testsupport::AsUnprivilegedUser([&] {
        std::string value;
        auto& profile = platform::Profile();
        EXPECT_EQ(profile.GetPrivateProfileStringA("a", "k", "d", value, 10, path), 1);
        EXPECT_EQ(value, "d");
        EXPECT_FALSE(profile.WritePrivateProfileStringA("a", "k", "v", path));
    });
    ASSERT_EQ(::chmod(path.c_str(), 0600), 0);  // for a test that does not run as root
    EXPECT_EQ(ReadFile(path), "[a]\r\nk=1\r\n");
}

}  // namespace

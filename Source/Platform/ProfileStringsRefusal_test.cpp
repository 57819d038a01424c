// The profile functions refuse what cannot be read or written, say so on the debug channel, and
// leave the file as it was.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Debug.h"
#include "ProfileStrings.h"
#include "Unprivileged_test.h"

namespace {

namespace fs = std::filesystem;

struct RecordingSink : rt::debug::Sink {
    void Write(std::string_view area, std::string_view message) override {
        lines.push_back(std::string(area) + ": " + std::string(message));
    }
    std::vector<std::string> lines;
};

TEST(ProfileStringsRefusal, AReadOnlyOrMissingFileIsRefusedVisibly) {
    std::string pattern = (fs::temp_directory_path() / "perlowan-profile-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    const std::string readOnly = (dir / "readonly.ini").string();
    std::ofstream(readOnly, std::ios::binary) << "[s]\r\nk=old\r\n";
    ASSERT_EQ(::chmod(readOnly.c_str(), 0444), 0);
    const std::string folder = (dir / "folder.ini").string();
    fs::create_directory(folder);

    auto sink = std::make_shared<RecordingSink>();
    rt::ScopedRole<rt::debug::Sink> installed(sink);
    rt::debug::ScopedAreas areas("profile");
    auto& profile = platform::Profile();
    EXPECT_FALSE(profile.WritePrivateProfileStringA("s", "k", "new", readOnly));
    EXPECT_FALSE(profile.WritePrivateProfileStringA("s", "k", "new", folder));
    std::string value;
    EXPECT_EQ(profile.GetPrivateProfileStringA("s", "k", "dflt", value, 100, folder), 4);
    EXPECT_EQ(value, "dflt");
    EXPECT_EQ(profile.GetPrivateProfileStringA("s", "k", "dflt", value, 100, readOnly), 3);
    EXPECT_EQ(value, "old");

    std::ifstream in(readOnly, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "[s]\r\nk=old\r\n");
    EXPECT_EQ(sink->lines, (std::vector<std::string>{
                               "profile: " + readOnly + " cannot be written: Permission denied",
                               "profile: " + folder +
                                   " cannot be read (Path/File access error): nothing is "
                                   "written",
                               "profile: " + folder +
                                   " cannot be read (Path/File access error): the default "
                                   "is returned"}));
    fs::remove_all(dir);
}

TEST(ProfileStringsRefusal, AnUnreadableFileIsNotWritten) {
    std::string pattern = (fs::temp_directory_path() / "perlowan-profile-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    ASSERT_EQ(::chmod(dir.c_str(), 0777), 0);
    const std::string path = (dir / "writeonly.ini").string();
    std::ofstream(path, std::ios::binary) << "[a]\r\nk=1\r\n";
    const uid_t user = platform::testing::UnprivilegedUser();
    ASSERT_EQ(::chown(path.c_str(), user, user == ::geteuid() ? ::getegid() : user), 0);
    ASSERT_EQ(::chmod(path.c_str(), 0200), 0);
    EXPECT_EQ(platform::testing::AsUnprivilegedUser([&] {
                  std::string value;
                  auto& profile = platform::Profile();
                  const int got = profile.GetPrivateProfileStringA("a", "k", "d", value, 10, path);
                  const bool written = profile.WritePrivateProfileStringA("a", "k", "v", path);
                  return std::to_string(got) + value + (written ? " written" : " refused");
              }),
              "1d refused");
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "[a]\r\nk=1\r\n");
    fs::remove_all(dir);
}

}  // namespace

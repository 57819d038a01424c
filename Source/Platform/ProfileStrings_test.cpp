#include "ProfileStrings.h"

#include "CodePage.h"
#include "TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <optional>

namespace {

namespace fs = std::filesystem;

class ProfileStringsTest : public ::testing::Test {
  protected:
    void WriteBytes(const std::string& bytes) { testsupport::WriteFile(path_, bytes); }
    std::optional<std::string> ReadBytes() const { return testsupport::ReadFileIfAny(path_); }

    testsupport::TempFolder dir_{"perlowan-profile"};
    std::string path_ = (dir_ / "settings.ini").string();
};

struct GetRow {
    const char* rule;
    std::optional<std::string> file;  // nothing: no file
    const char* section;
    const char* key;
    const char* defaultValue;
    int size;
    std::string expected;
};

TEST_F(ProfileStringsTest, ReadsAsTheSystemFunctionDoes) {
    const GetRow rows[] = {
        {"CR LF lines", "[a]\r\nk=v\r\n", "a", "k", "d", 100, "v"},
        {"LF-only lines", "[a]\nk=v\n", "a", "k", "d", 100, "v"},
        {"CR-only lines", "[a]\rk=v\r", "a", "k", "d", 100, "v"},
        {"blank lines skipped", "\r\n\r\n[a]\r\n\r\n\r\nk=v", "a", "k", "d", 100, "v"},
        {"header name trimmed", "[  a  ]\r\nk=v\r\n", "a", "k", "d", 100, "v"},
        {"header ends at the last ]", "[a]b]\r\nk=v\r\n", "a]b", "k", "d", 100, "v"},
        {"asked names trimmed", "[a]\r\nk=v\r\n", "  a ", " k  ", "d", 100, "v"},
        {"section and key ignore case", "[Abc]\r\nKEY=v\r\n", "aBC", "key", "d", 100, "v"},
        {"key right-trimmed, value trimmed", "[a]\r\n  k \t=  v w \t\r\n", "a", "k", "d", 100,
         "v w"},
        {"split at the first =", "[a]\r\nk=v=w\r\n", "a", "k", "d", 100, "v=w"},
        {"double quotes stripped", "[a]\r\nk=\"v \"\r\n", "a", "k", "d", 100, "v "},
        {"single quotes stripped", "[a]\r\nk='v'\r\n", "a", "k", "d", 100, "v"},
        {"unlike quotes stay", "[a]\r\nk=\"v'\r\n", "a", "k", "d", 100, "\"v'"},
        {"one quote stays", "[a]\r\nk=\"\r\n", "a", "k", "d", 100, "\""},
        {"line without = is no key", "[a]\r\nk\r\nk=v\r\n", "a", "k", "d", 100, "v"},
        {"first section of a name only", "[a]\r\nx=1\r\n[b]\r\n[A]\r\nk=2\r\n", "a", "k", "d", 100,
         "d"},
        {"first key wins", "[a]\r\nk=1\r\nK=2\r\n", "a", "k", "d", 100, "1"},
        {"key of another section", "[a]\r\nx=1\r\n[b]\r\nk=2\r\n", "a", "k", "d", 100, "d"},
        {"lines before any header", "k=0\r\n[a]\r\nx=1\r\n", "a", "k", "d", 100, "d"},
        {"missing file gives the default", std::nullopt, "a", "k", "def", 100, "def"},
        {"missing section", "[b]\r\nk=v\r\n", "a", "k", "def", 100, "def"},
        {"default loses trailing blanks", "[a]\r\n", "a", "k", "def  \t", 100, "def"},
        {"default keeps leading blanks", "[a]\r\n", "a", "k", "  def", 100, "  def"},
        {"cut to size - 1", "[a]\r\nk=abcdef\r\n", "a", "k", "d", 4, "abc"},
        {"size 1 gives nothing", "[a]\r\nk=abcdef\r\n", "a", "k", "d", 1, ""},
        {"size counts characters", "[a]\r\nk=\xe4\xf6\xfc\r\n", "a", "k", "", 3,
         "\xc3\xa4\xc3\xb6"},
        {"empty value", "[a]\r\nk=\r\n", "a", "k", "d", 100, ""},
        {"bytes read as Windows-1252",
         "[a]\r\nk=M\xfc"
         "ller \x80\r\n",
         "a", "k", "d", 100, "M\xc3\xbcller \xe2\x82\xac"},
        {"NUL bytes are text", std::string("[a]\r\nk=x\0y\r\n", 12), "a", "k", "d", 100,
         std::string("x\0y", 3)},
        {"[ without ] is no header: the section goes on", "[a]\r\n[b\r\nk=v\r\n", "a", "k", "d",
         100, "v"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const GetRow& row = rows[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << row.rule);
        fs::remove(path_);
        if (row.file) WriteBytes(*row.file);
        std::string returned = "sentinel";
        const std::int32_t count = platform::Profile().GetPrivateProfileStringA(
            row.section, row.key, row.defaultValue, returned, row.size, path_);
        EXPECT_EQ(returned, row.expected);
        EXPECT_EQ(count, static_cast<std::int32_t>(rt::CharCount(row.expected)));
        EXPECT_EQ(ReadBytes(), row.file) << "a read leaves the file as it was";
    }
}

struct WriteRow {
    const char* rule;
    std::optional<std::string> file;
    const char* section;
    const char* key;
    const char* value;
    const char* expected;
};

TEST_F(ProfileStringsTest, WritesAsTheSystemFunctionDoes) {
    const WriteRow rows[] = {
        {"replace in place", "[a]\r\nk=1\r\nx=2\r\n", "a", "k", "9", "[a]\r\nk=9\r\nx=2\r\n"},
        {"replace keeps the file's key spelling and drops blanks", "[a]\r\n  K = 1 \r\n", "a", "k",
         "9", "[a]\r\nK=9\r\n"},
        {"replace the first key only", "[a]\r\nk=1\r\nk=2\r\n", "a", "k", "9",
         "[a]\r\nk=9\r\nk=2\r\n"},
        {"replace in the first section only", "[a]\r\nk=1\r\n[a]\r\nk=2\r\n", "a", "k", "9",
         "[a]\r\nk=9\r\n[a]\r\nk=2\r\n"},
        {"new key after the last key line", "[a]\r\nx=1\r\n; note\r\n\r\n[b]\r\ny=2\r\n", "a", "k",
         "v", "[a]\r\nx=1\r\nk=v\r\n; note\r\n\r\n[b]\r\ny=2\r\n"},
        {"new key right after a header without keys", "[a]\r\n\r\n[b]\r\n", "a", "k", "v",
         "[a]\r\nk=v\r\n\r\n[b]\r\n"},
        {"new key after a last line without break", "[a]\r\nx=1", "a", "k", "v",
         "[a]\r\nx=1\r\nk=v\r\n"},
        {"new key keeps LF-only lines", "[a]\nx=1\n[b]\n", "a", "k", "v", "[a]\nx=1\nk=v\r\n[b]\n"},
        {"new section at the end", "[a]\r\nx=1\r\n", "b", "k", "v", "[a]\r\nx=1\r\n[b]\r\nk=v\r\n"},
        {"new section after a last line without break", "; c", "b", "k", "v",
         "; c\r\n[b]\r\nk=v\r\n"},
        {"missing file is created", std::nullopt, " b ", " k ", "v", "[b]\r\nk=v\r\n"},
        {"empty value", "[a]\r\nk=1\r\n", "a", "k", "", "[a]\r\nk=\r\n"},
        {"comments and blank lines kept byte for byte",
         ";top\r\n\r\n[a]  \r\n;c\n\r\nk=1\r\n\r\n\r\n", "a", "k", "2",
         ";top\r\n\r\n[a]  \r\n;c\n\r\nk=2\r\n\r\n\r\n"},
        {"text written as Windows-1252", "", "s\xc3\xa4", "k", "\xe2\x82\xac",
         "[s\xe4]\r\nk=\x80\r\n"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const WriteRow& row = rows[i];
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << row.rule);
        fs::remove(path_);
        if (row.file) WriteBytes(*row.file);
        EXPECT_TRUE(
            platform::Profile().WritePrivateProfileStringA(row.section, row.key, row.value, path_));
        EXPECT_EQ(ReadBytes(), std::optional<std::string>(row.expected));
    }
}

TEST_F(ProfileStringsTest, ACreatedFileIsTheOwnersOnly) {
    ASSERT_TRUE(platform::Profile().WritePrivateProfileStringA("a", "k", "v", path_));
    struct stat st;
    ASSERT_EQ(::stat(path_.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST_F(ProfileStringsTest, AVeryLongLineIsRead) {
    std::string big = "[a]\r\nk=";
    big.append(16u << 20, 'x');
    big += "\r\nz=1\r\n";
    WriteBytes(big);
    std::string returned;
    EXPECT_EQ(platform::Profile().GetPrivateProfileStringA("a", "z", "", returned, 10, path_), 1);
    EXPECT_EQ(returned, "1");
}

}  // namespace

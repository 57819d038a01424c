// Engines that read the same unchanged file one after another share its parse; a change of any
// kind is seen, and one engine's edits never reach another before they are saved.
#include "IniSharedParse.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "Files.h"
#include "Role.h"
#include "TestSupport.h"
#include "cIniFile.h"

namespace {

namespace fs = std::filesystem;

// The real file system, counting whole-file reads.
class CountingFiles : public platform::FileSystem {
  public:
    explicit CountingFiles(platform::FileSystem& real) : real_(real) {}
    std::int64_t Length(const std::string& p) override { return real_.Length(p); }
    int Delete(const std::string& p) override { return real_.Delete(p); }
    std::optional<std::int64_t> ModifiedTime(const std::string& p) override {
        return real_.ModifiedTime(p);
    }
    std::optional<platform::FileStamp> Stamp(const std::string& p) override {
        return real_.Stamp(p);
    }
    std::string ReadAll(const std::string& p) override { return ++reads, real_.ReadAll(p); }
    std::string ReadPrefix(const std::string& p, std::size_t n) override {
        return real_.ReadPrefix(p, n);
    }
    void WriteAtomic(const std::string& p, std::string_view b, bool o) override {
        real_.WriteAtomic(p, b, o);
    }
    int reads = 0;

  private:
    platform::FileSystem& real_;
};

class SharedParseTest : public ::testing::Test {
  protected:
    // A parse is shared only once the file's stamp is older than the time resolution.
    static void Settle() { std::this_thread::sleep_for(std::chrono::milliseconds(150)); }

    std::string Read(const char* key, std::string_view section = "Tipp") {
        cIniFile ini;  // as every event of the window does: a new engine, cached mode
        ini.IniFile(path_);
        return ini.Load(section, key, "<none>");
    }

    // Keeps the modification time of the file as it is now across `change`.
    void SameModificationTime(const std::function<void()>& change) {
        struct stat st;
        ASSERT_EQ(::stat(path_.c_str(), &st), 0);
        change();
        const struct timespec times[2] = {st.st_atim, st.st_mtim};
        ASSERT_EQ(::utimensat(AT_FDCWD, path_.c_str(), times, 0), 0);
    }

    testsupport::TempFolder temp_{"ini-shared"};
    std::string path_ = (temp_ / "Perlowan.dat").string();
    std::shared_ptr<CountingFiles> files_ = std::make_shared<CountingFiles>(platform::Files());
    rt::ScopedRole<platform::FileSystem> scoped_{files_};
};

TEST_F(SharedParseTest, AnUnchangedFileIsReadOnceAndEveryChangeIsSeen) {
    testsupport::WriteFile(path_, "[Tipp]\r\n1=0aaa|\r\n2=0bbb|");
    Settle();
    ASSERT_EQ(Read("1"), "0aaa|");
    ASSERT_EQ(files_->reads, 1);
    EXPECT_EQ(Read("2"), "0bbb|");
    EXPECT_EQ(Read("1"), "0aaa|");
    EXPECT_EQ(files_->reads, 1) << "shared while unchanged";

    struct Row {
        const char* change;
        std::function<void()> apply;
        const char* one;  // what key 1 reads afterwards
    };
    const std::string replacement = (temp_ / "new.dat").string();
    const Row rows[] = {
        /* 0 */ {"same size, same modification time, written in place",
                 [&] {
                     SameModificationTime(
                         [&] { testsupport::WriteFile(path_, "[Tipp]\r\n1=1aaa|\r\n2=0bbb|"); });
                 },
                 "1aaa|"},
        /* 1 */
        {"same size, replaced by rename, same modification time",
         [&] {
             SameModificationTime([&] {
                 testsupport::WriteFile(replacement, "[Tipp]\r\n1=2aaa|\r\n2=0bbb|");
                 fs::rename(replacement, path_);
             });
         },
         "2aaa|"},
        /* 2 */
        {"written through another engine",
         [&] {
             cIniFile writer;
             writer.IniFile(path_);
             writer.Save("Tipp", "1", std::string("1aaa|"));
         },
         "1aaa|"},
        /* 3 */ {"deleted", [&] { fs::remove(path_); }, "<none>"},
        /* 4 */ {"created again", [&] { testsupport::WriteFile(path_, "[Tipp]\r\n1=x"); }, "x"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE(testing::Message() << "row " << i << ": " << rows[i].change);
        Settle();
        ASSERT_EQ(Read("2"), i < 4 ? "0bbb|" : "<none>");
        rows[i].apply();
        EXPECT_EQ(Read("1"), rows[i].one);
    }
}

TEST_F(SharedParseTest, EditsOfOneEngineReachNoOtherBeforeTheyAreSaved) {
    testsupport::WriteFile(path_, "[Tipp]\r\n1=0a|");
    Settle();
    ASSERT_EQ(Read("1"), "0a|");

    cIniFile ram;  // keeps its writes in memory
    ram.IniFile(path_);
    ram.UseCacheDirectly(true);
    ram.SaveToRAM(true);
    ASSERT_EQ(ram.Load("Tipp", "1"), "0a|");
    ram.Save("Tipp", "1", std::string("1a|"));
    EXPECT_EQ(ram.Load("Tipp", "1"), "1a|");

    cIniFile offline;
    offline.IniFile(path_);
    offline.Offline(true);
    offline.Save("Tipp", "2", std::string("0b|"));
    EXPECT_EQ(offline.Load("Tipp", "2"), "0b|");

    EXPECT_EQ(Read("1"), "0a|");
    EXPECT_EQ(Read("2"), "<none>");
    const int reads = files_->reads;
    EXPECT_EQ(Read("1"), "0a|");
    EXPECT_EQ(files_->reads, reads) << "the shared parse was in use all along";

    offline.SaveOfflineToFile();
    EXPECT_EQ(Read("2"), "0b|") << "seen at once after the save";
    EXPECT_EQ(ram.Load("Tipp", "1"), "1a|") << "the engine's own edit stays its own";
}

TEST_F(SharedParseTest, AFreshFileIsNotSharedAndMemoryStaysBounded) {
    testsupport::WriteFile(path_, "[a]\r\nk=1");
    // However slow the machine, this stamp stays younger than the time of any read.
    fs::last_write_time(path_, fs::file_time_type::clock::now() + std::chrono::hours(1));
    EXPECT_EQ(Read("k", "a"), "1");
    EXPECT_EQ(Read("k", "a"), "1");
    EXPECT_EQ(files_->reads, 2) << "a stamp younger than the time resolution is not trusted";

    std::vector<std::string> paths;
    for (std::size_t i = 0; i < ini::shared_parse::kCapacity + 3; ++i) {
        paths.push_back((temp_ / ("f" + std::to_string(i))).string());
        testsupport::WriteFile(paths.back(), "[a]\r\nk=" + std::to_string(i));
    }
    Settle();
    for (std::size_t i = 0; i < paths.size(); ++i) {
        SCOPED_TRACE(i);
        cIniFile ini;
        ini.IniFile(paths[i]);
        EXPECT_EQ(ini.Load("a", "k"), std::to_string(i));
        EXPECT_LE(ini::shared_parse::Count(), ini::shared_parse::kCapacity);
    }
    EXPECT_EQ(ini::shared_parse::Count(), ini::shared_parse::kCapacity);
}

// Random sequences of engines opened one after another, writing through one another and from
// outside, give the same reads and the same file with the sharing on and off.
TEST_F(SharedParseTest, ResultsAreTheSameWithoutSharing) {
    const auto run = [&](unsigned seed, bool settle) {
        std::mt19937 rng(seed);
        const auto below = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
        std::vector<std::string> seen;
        testsupport::WriteFile(path_, "[Tipp]\r\n1=0a|\r\n2=0b|\r\n\r\n[Tipps]\r\nAll=1;2;");
        if (settle) Settle();
        for (int step = 0; step < 20; ++step) {
            const std::string key = std::to_string(1 + below(4));
            const std::string value = std::to_string(below(3)) + "v" + std::to_string(step) + "|";
            cIniFile ini;
            ini.IniFile(path_);
            switch (below(5)) {
                case 0:
                    ini.Save("Tipp", key, value);
                    break;
                case 1:
                    ini.Offline(true);
                    ini.Save("Tipp", key, value);
                    ini.SaveOfflineToFile();
                    break;
                case 2:  // another program, keeping the size and the modification time
                    SameModificationTime([&] {
                        std::string bytes = *testsupport::ReadFileIfAny(path_);
                        bytes[bytes.size() - 2] = static_cast<char>('0' + below(10));
                        testsupport::WriteFile(path_, bytes);
                    });
                    break;
                default:
                    break;
            }
            if (below(5) == 0 && settle) Settle();
            for (int read = 0; read < 2; ++read) {
                cIniFile reader;
                reader.IniFile(path_);
                seen.push_back(reader.Load("Tipp", key, "-") + "/" +
                               reader.Load("Tipps", "All", "-"));
            }
        }
        seen.push_back(*testsupport::ReadFileIfAny(path_));
        return seen;
    };
    for (unsigned seed = 1; seed <= 2; ++seed) {
        SCOPED_TRACE(testing::Message() << "seed " << seed);
        const int before = files_->reads;
        const auto shared = run(seed, true);
        const int sharedReads = files_->reads - before;
        std::vector<std::string> unshared;
        {
            ini::shared_parse::ScopedDisable off;
            unshared = run(seed, false);
        }
        EXPECT_EQ(shared, unshared);
        EXPECT_LT(sharedReads, files_->reads - before - sharedReads) << "some reads were shared";
    }
}

}  // namespace

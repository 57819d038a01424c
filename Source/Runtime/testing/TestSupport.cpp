#include "TestSupport.h"

#include <grp.h>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace testsupport {

namespace fs = std::filesystem;

std::optional<std::string> ReadFileIfAny(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream out;
    out << in.rdbuf();
    return std::move(out).str();
}

std::string ReadFile(const fs::path& path) {
    std::optional<std::string> bytes = ReadFileIfAny(path);
    if (!bytes || fs::is_directory(path))
        throw std::runtime_error("test data " + path.string() + " cannot be read");
    return std::move(*bytes);
}

void WriteFile(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

TempFolder::TempFolder(std::string_view prefix) {
    std::string pattern = (fs::path(::testing::TempDir()) / std::string(prefix)).string();
    pattern += "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    // Folders a test made read-only must be writable again before their entries can go.
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (auto it = fs::recursive_directory_iterator(path_, ignored);
         it != fs::recursive_directory_iterator(); it.increment(ignored))
        if (it->is_directory(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::vector<std::string> TempFolder::Names(const fs::path& below) const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_ / below))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

ScopedEnvironment::ScopedEnvironment(std::string name, std::optional<std::string_view> value)
    : name_(std::move(name)) {
    if (const char* previous = std::getenv(name_.c_str())) previous_ = previous;
    Set(value);
}

ScopedEnvironment::~ScopedEnvironment() {
    Set(previous_);
}

void ScopedEnvironment::Set(std::optional<std::string_view> value) const {
    if (value)
        ::setenv(name_.c_str(), std::string(*value).c_str(), 1);
    else
        ::unsetenv(name_.c_str());
}

namespace {

void ChangeOwnerOfTree(const fs::path& folder, uid_t user, gid_t group) {
    if (::lchown(folder.c_str(), user, group) != 0)
        throw std::system_error(errno, std::generic_category(), "lchown " + folder.string());
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (::lchown(entry.path().c_str(), user, group) != 0)
            throw std::system_error(errno, std::generic_category(),
                                    "lchown " + entry.path().string());
}

void WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

// One record per failed assertion of the child: file, line and message, NUL-separated.
void Forward(int fd, const ::testing::TestPartResultArray& results) {
    for (int i = 0; i < results.size(); ++i) {
        const ::testing::TestPartResult& result = results.GetTestPartResult(i);
        if (!result.failed()) continue;
        std::string record = result.file_name() ? result.file_name() : "";
        record += '\0';
        record += std::to_string(result.line_number());
        record += '\0';
        record += result.message();
        record += '\0';
        WriteAll(fd, record);
    }
}

[[noreturn]] void RunChild(int fd, const std::function<void()>& body) {
    if (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedId) != 0 ||
        ::setuid(kUnprivilegedId) != 0) {
        using namespace std::string_literals;
        WriteAll(fd, "\0"s + "0" + "\0"s + "cannot drop to the unprivileged user" + "\0"s);
        ::_exit(2);
    }
    ::testing::TestPartResultArray results;
    {
        ::testing::ScopedFakeTestPartResultReporter collect(
            ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &results);
        try {
            body();
        } catch (const std::exception& e) {
            ADD_FAILURE() << "exception as the unprivileged user: " << e.what();
        } catch (...) {
            ADD_FAILURE() << "unknown exception as the unprivileged user";
        }
    }
    Forward(fd, results);
    ::_exit(0);
}

}  // namespace

unsigned UnprivilegedUser() {
    return ::geteuid() == 0 ? kUnprivilegedId : ::geteuid();
}

void GiveToUnprivilegedUser(const fs::path& path, unsigned mode) {
    const uid_t user = UnprivilegedUser();
    const gid_t group = user == ::geteuid() ? ::getegid() : user;
    if (::chown(path.c_str(), user, group) != 0 || ::chmod(path.c_str(), mode) != 0)
        throw std::system_error(errno, std::generic_category(), "give away " + path.string());
}

void AsUnprivilegedUser(const fs::path& folder, const std::function<void()>& body) {
    if (::geteuid() != 0) {
        body();
        return;
    }
    ChangeOwnerOfTree(folder, kUnprivilegedId, kUnprivilegedId);
    AsUnprivilegedUser(body);
    ChangeOwnerOfTree(folder, 0, 0);
}

void AsUnprivilegedUser(const std::function<void()>& body) {
    if (::geteuid() != 0) {
        body();
        return;
    }
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    std::fflush(nullptr);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(fds[0]);
        RunChild(fds[1], body);
    }
    ::close(fds[1]);
    std::string records;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        records.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }

    std::size_t at = 0;
    auto next = [&] {
        const std::size_t end = records.find('\0', at);
        std::string field = records.substr(at, end - at);
        at = end == std::string::npos ? records.size() : end + 1;
        return field;
    };
    while (at < records.size()) {
        const std::string file = next();
        const int line = std::atoi(next().c_str());
        const std::string message = next();
        ADD_FAILURE_AT(file.empty() ? "(unprivileged child)" : file.c_str(), line) << message;
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the unprivileged child ended with status " << status;
}

}  // namespace testsupport

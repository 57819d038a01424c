#pragma once
// Helpers shared by the test programs: files, temporary folders, and running a case as an
// unprivileged user when the suite runs as root.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testsupport {

// The bytes of a file, or nothing when it cannot be opened.
std::optional<std::string> ReadFileIfAny(const std::filesystem::path& path);

// The bytes of a file; a file that cannot be read throws, which fails the test.
std::string ReadFile(const std::filesystem::path& path);

// Creates or replaces a file with exactly these bytes; throws when it cannot.
void WriteFile(const std::filesystem::path& path, std::string_view bytes);

// A fresh folder below the test temporary folder, removed with everything in it at the end of
// the scope, whatever permissions a test left on it.
class TempFolder {
  public:
    explicit TempFolder(std::string_view prefix = "perlowan");
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::filesystem::path operator/(const std::filesystem::path& name) const {
        return path_ / name;
    }
    // The names of the entries of the folder, or of a folder below it, sorted.
    std::vector<std::string> Names(const std::filesystem::path& below = {}) const;

  private:
    std::filesystem::path path_;
};

// Sets an environment variable for the scope, or removes it when `value` is nothing, and puts
// the previous state back at the end.
class ScopedEnvironment {
  public:
    ScopedEnvironment(std::string name, std::optional<std::string_view> value);
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

    void Set(std::optional<std::string_view> value) const;

  private:
    std::string name_;
    std::optional<std::string> previous_;
};

// The user and group that AsUnprivilegedUser switches to when the suite runs as root.
inline constexpr unsigned kUnprivilegedId = 65534;

// The user a body of AsUnprivilegedUser runs as: kUnprivilegedId as root, else the current user.
unsigned UnprivilegedUser();

// Hands one file or folder to that user (and its group) with `mode`; throws when it cannot.
void GiveToUnprivilegedUser(const std::filesystem::path& path, unsigned mode);

// Runs `body` as a user whom file permissions bind. Not as root, that is the current user and
// the body runs in this process. As root, the body runs in a child process that has dropped to
// the unprivileged user, and every failed assertion of the child is reported here. Ownership
// stays as the test arranged it.
void AsUnprivilegedUser(const std::function<void()>& body);

// The same, with `folder` and everything in it handed to the unprivileged user for the body and
// handed back afterwards.
void AsUnprivilegedUser(const std::filesystem::path& folder, const std::function<void()>& body);

}  // namespace testsupport

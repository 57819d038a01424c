#include "Shell.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <memory>
#include <thread>
#include <vector>

extern char** environ;

namespace platform {

namespace {

bool IsOpenVerb(std::string_view verb) {
    if (verb.empty()) return true;
    if (verb.size() != 4) return false;
    const char* open = "open";
    for (std::size_t i = 0; i < 4; ++i)
        if ((verb[i] | 0x20) != open[i]) return false;
    return true;
}

std::int32_t ResultOfExit(int status) {
    if (!WIFEXITED(status)) return SE_ERR_NOASSOC;
    switch (WEXITSTATUS(status)) {
        case 0:
            return kShellSuccess;
        case 2:
            return SE_ERR_FNF;  // the opener's "file does not exist"
        default:
            return SE_ERR_NOASSOC;
    }
}

class SpawnAttributes {
  public:
    SpawnAttributes() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnAttributes() {
        posix_spawnattr_destroy(&attributes);
        posix_spawn_file_actions_destroy(&actions);
    }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
};

}  // namespace

std::string DesktopShell::OpenerFromEnvironment() {
    const char* configured = std::getenv("PERLOWAN_OPENER");
    return configured && *configured ? std::string(configured) : std::string("xdg-open");
}

DesktopShell::DesktopShell(std::string opener, std::chrono::milliseconds wait)
    : opener_(std::move(opener)), wait_(wait) {}

std::int32_t DesktopShell::ShellExecute(std::intptr_t /*hwnd*/, std::string_view verb,
                                        std::string_view file, std::string_view parameters,
                                        std::string_view directory, int /*showCmd*/) {
    if (!IsOpenVerb(verb)) return SE_ERR_NOASSOC;
    if (file.empty() || opener_.empty()) return SE_ERR_FNF;
    if (file.find('\0') != std::string_view::npos ||
        parameters.find('\0') != std::string_view::npos)
        return SE_ERR_FNF;
    const std::string folder(directory);
    if (!folder.empty()) {
        struct stat st;
        if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return SE_ERR_PNF;
    }

    // A document starting with "-" would read as an option of the opener.
    std::string document(file);
    if (document.front() == '-') document.insert(0, "./");
    std::string program = opener_;
    std::string extra(parameters);
    std::vector<char*> argv{program.data(), document.data()};
    if (!extra.empty()) argv.push_back(extra.data());
    argv.push_back(nullptr);

    SpawnAttributes spawn;
    posix_spawn_file_actions_addopen(&spawn.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    if (!folder.empty()) posix_spawn_file_actions_addchdir_np(&spawn.actions, folder.c_str());
    // The opener starts with the default signal handling, whatever the host changed.
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGCHLD);
    posix_spawnattr_setsigdefault(&spawn.attributes, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&spawn.attributes, &none);
    posix_spawnattr_setflags(&spawn.attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = 0;
    const int started = posix_spawnp(&pid, program.c_str(), &spawn.actions, &spawn.attributes,
                                     argv.data(), environ);
    if (started == ENOMEM || started == EAGAIN) return SE_ERR_OOM;
    if (started == EACCES) return SE_ERR_ACCESSDENIED;
    if (started != 0) return SE_ERR_NOASSOC;  // no opener to start

    const auto deadline = std::chrono::steady_clock::now() + wait_;
    for (auto pause = std::chrono::milliseconds(1);;
         pause = std::min(pause * 2, std::chrono::milliseconds(50))) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) return ResultOfExit(status);
        if (done < 0 && errno != EINTR) return kShellSuccess;  // reaped elsewhere: it did start
        if (std::chrono::steady_clock::now() >= deadline) break;
        std::this_thread::sleep_for(pause);
    }
    // Still running (some openers stay with the program they started): it has started; collect
    // its exit in the background so it leaves no zombie.
    std::thread([pid] {
        int status;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return kShellSuccess;
}

}  // namespace platform

template <>
std::shared_ptr<platform::ShellService> rt::MakeDefaultRole<platform::ShellService>() {
    return std::make_shared<platform::DesktopShell>();
}

PERLOWAN_DEFINE_ROLE(platform::ShellService);

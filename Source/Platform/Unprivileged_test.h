#pragma once
// Test helper: runs a case as a user without privileges. When the tests run as root, the case runs
// in a child process that has dropped to the unprivileged user and group 65534; otherwise in a
// child process as the current user. The case reports back as a text, which the test compares.
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "RuntimeError.h"

namespace platform::testing {

inline constexpr uid_t kUnprivilegedId = 65534;

// The user a case of AsUnprivilegedUser runs as.
inline uid_t UnprivilegedUser() {
    return ::geteuid() == 0 ? kUnprivilegedId : ::geteuid();
}

// What `body` returned, "raised <number>" when it raised a run-time error, or a text starting with
// "child:" when the case could not run.
inline std::string AsUnprivilegedUser(const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) return "child: no pipe";
    const pid_t pid = ::fork();
    if (pid < 0) return "child: no fork";
    if (pid == 0) {
        ::close(channel[0]);
        std::string result;
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kUnprivilegedId) != 0 ||
                                 ::setuid(kUnprivilegedId) != 0 || ::geteuid() == 0)) {
            result = "child: cannot drop privileges";
        } else {
            try {
                result = body();
            } catch (const rt::RuntimeError& e) {
                result = "raised " + std::to_string(e.Number());
            }
        }
        for (std::size_t done = 0; done < result.size();) {
            const ssize_t n = ::write(channel[1], result.data() + done, result.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string result;
    char buffer[4096];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, static_cast<std::size_t>(n));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "child: ended with status " + std::to_string(status);
    return result;
}

}  // namespace platform::testing

#pragma once
// The shell role: performs a verb ("Open") on a document or address with the desktop's default
// program. Results follow the classic convention: above 32 is success.
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

#include "Role.h"

namespace platform {

// Failure results.
inline constexpr std::int32_t SE_ERR_FNF = 2;  // file not found
inline constexpr std::int32_t SE_ERR_PNF = 3;  // path (working folder) not found
inline constexpr std::int32_t SE_ERR_ACCESSDENIED = 5;
inline constexpr std::int32_t SE_ERR_OOM = 8;
inline constexpr std::int32_t SE_ERR_DDETIMEOUT = 28;
inline constexpr std::int32_t SE_ERR_DDEFAIL = 29;
inline constexpr std::int32_t SE_ERR_NOASSOC = 31;  // no program for it
inline constexpr std::int32_t kShellSuccess = 42;   // any value above 32 means success
// Window states.
inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOWNORMAL = 1;

class ShellService {
  public:
    virtual ~ShellService() = default;
    // `verb` "Open" (or empty) opens `file`; `parameters` and `directory` may be empty.
    // Returns > 32 on success, else one of the failure results above. Never throws.
    virtual std::int32_t ShellExecute(std::intptr_t hwnd, std::string_view verb,
                                      std::string_view file, std::string_view parameters,
                                      std::string_view directory, int showCmd) = 0;
};

}  // namespace platform

PERLOWAN_DECLARE_ROLE(platform::ShellService);

namespace platform {

inline ShellService& Shell() {
    return rt::Role<ShellService>::Get();
}

// The desktop opener, started directly (no shell in between): the document is one literal
// argument, the parameters (when not empty) one more. The program is `xdg-open` unless the
// environment variable PERLOWAN_OPENER names another. Waits up to `wait` for the opener to end
// and maps its exit status: 0 success, 2 file not found, other failures "no program for it";
// an opener still running after the wait counts as started (the wait is short: the user
// interface waits with it).
class DesktopShell final : public ShellService {
  public:
    explicit DesktopShell(std::string opener = OpenerFromEnvironment(),
                          std::chrono::milliseconds wait = std::chrono::seconds(3));
    std::int32_t ShellExecute(std::intptr_t hwnd, std::string_view verb, std::string_view file,
                              std::string_view parameters, std::string_view directory,
                              int showCmd) override;
    void SetOpener(std::string opener) { opener_ = std::move(opener); }
    const std::string& Opener() const { return opener_; }
    static std::string OpenerFromEnvironment();

  private:
    std::string opener_;
    std::chrono::milliseconds wait_;
};

}  // namespace platform

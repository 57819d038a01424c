#pragma once
// Message boxes as a service of the UI layer. The default one is headless: it records every box
// and answers with its default (first) button; the UI layer installs an interactive one.
#include <mutex>
#include <string>
#include <vector>

#include "Role.h"

namespace platform {

// Buttons.
inline constexpr int vbOKOnly = 0;
inline constexpr int vbOKCancel = 1;
inline constexpr int vbAbortRetryIgnore = 2;
inline constexpr int vbYesNoCancel = 3;
inline constexpr int vbYesNo = 4;
inline constexpr int vbRetryCancel = 5;
// Icons.
inline constexpr int vbNoIcon = 0;
inline constexpr int vbCritical = 16;
inline constexpr int vbQuestion = 32;
inline constexpr int vbExclamation = 48;
inline constexpr int vbInformation = 64;
// Answers.
inline constexpr int vbOK = 1;
inline constexpr int vbCancel = 2;
inline constexpr int vbAbort = 3;
inline constexpr int vbRetry = 4;
inline constexpr int vbIgnore = 5;
inline constexpr int vbYes = 6;
inline constexpr int vbNo = 7;

struct MessageBoxCall {
    std::string prompt;
    int buttons = vbOKOnly;
    int icon = vbNoIcon;
    std::string title;
    friend bool operator==(const MessageBoxCall&, const MessageBoxCall&) = default;
};

class MessageBoxService {
  public:
    virtual ~MessageBoxService() = default;
    // Shows the box and returns the button chosen (vbOK ...).
    virtual int ShowMessageBox(const std::string& prompt, int buttons, int icon,
                               const std::string& title) = 0;
};

// The headless service: records each box; answers the default button of the set (OK, Abort,
// Yes or Retry), or the answer set with SetAnswer.
class RecordingMessageBoxes : public MessageBoxService {
  public:
    int ShowMessageBox(const std::string& prompt, int buttons, int icon,
                       const std::string& title) override;
    std::vector<MessageBoxCall> Calls() const;
    void Clear();
    // 0: the default button again.
    void SetAnswer(int answer);

  private:
    mutable std::mutex mutex_;
    std::vector<MessageBoxCall> calls_;
    int answer_ = 0;
};

}  // namespace platform

PERLOWAN_DECLARE_ROLE(platform::MessageBoxService);

namespace platform {

inline MessageBoxService& MessageBoxes() {
    return rt::Role<MessageBoxService>::Get();
}

}  // namespace platform

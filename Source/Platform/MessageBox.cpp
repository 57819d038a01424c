#include "MessageBox.h"

#include <memory>

namespace platform {

namespace {

int DefaultButtonOf(int buttons) {
    switch (buttons & 0x0F) {
        case vbAbortRetryIgnore:
            return vbAbort;
        case vbYesNoCancel:
        case vbYesNo:
            return vbYes;
        case vbRetryCancel:
            return vbRetry;
        default:
            return vbOK;
    }
}

}  // namespace

int RecordingMessageBoxes::ShowMessageBox(const std::string& prompt, int buttons, int icon,
                                          const std::string& title) {
    std::lock_guard lock(mutex_);
    calls_.push_back({prompt, buttons, icon, title});
    return answer_ != 0 ? answer_ : DefaultButtonOf(buttons);
}

std::vector<MessageBoxCall> RecordingMessageBoxes::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

void RecordingMessageBoxes::Clear() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

void RecordingMessageBoxes::SetAnswer(int answer) {
    std::lock_guard lock(mutex_);
    answer_ = answer;
}

}  // namespace platform

template <>
std::shared_ptr<platform::MessageBoxService> rt::MakeDefaultRole<platform::MessageBoxService>() {
    return std::make_shared<platform::RecordingMessageBoxes>();
}

PERLOWAN_DEFINE_ROLE(platform::MessageBoxService);

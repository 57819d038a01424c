#pragma once
// The substitute host's application object, the object the add-in gets in AppInit and calls
// late-bound by member name. Every call is written to the call log with its arguments and result.
#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "Dispatch.h"
#include "LanguageTexts.h"

namespace telmora {

// Where PerlowanUpload takes its answer from.
struct TipsSource {
    enum class Kind {
        Sample,   // the sample tips of the period, success; a period it cannot read fails
        File,     // the contents of `argument` (a JSON file), success; a missing file fails
        Failure,  // failure with the error text `argument` and no tips
        Timeout,  // failure with the error text `argument` ("... Timeout"), the period's samples
    };
    Kind kind = Kind::Sample;
    std::string argument;
};
// "sample", "file:PATH", "fail:TEXT", "timeout" or "timeout:TEXT"; false for anything else.
bool ParseTipsSource(std::string_view text, TipsSource& out);

struct HostSettings {
    Language language = Language::German;
    std::string settingsFolder;  // created on demand; "" = the user's configuration folder
    std::string traceFile;       // "" = "Trace.log" in the settings folder
    bool traceToStderr = true;
    bool refuseMenu = false;
    std::string refuseMenuText = "Das Menü ist bereits belegt.";
    bool withoutAddMenu = false;  // a host object that has no AddMenu member
    TipsSource tips;
};

class HostApplication final : public rt::Dispatchable<HostApplication> {
  public:
    explicit HostApplication(HostSettings settings);

    static const rt::DispatchTable<HostApplication>& Members();
    rt::DispId GetIdOfName(std::string_view name) override;

    // --- the members the add-in calls
    bool AddMenu(const std::string& menuName, const std::string& caption, std::int16_t kind,
                 std::string& errorText);
    void EventRegister(std::int32_t eventId);
    void EventDeRegister(std::int32_t eventId);
    void ShowAddIn(std::int32_t hWnd, const std::string& caption);
    void Trace(const std::string& text);
    // Raises 5 for a number the host has no text for.
    std::string LanguageString(std::int16_t number) const;
    // The settings folder ending with "/", created when missing. Raises 5 for any other kind
    // than 3, 75 when the folder cannot be created.
    std::string SettingFolderGet(std::int16_t kind);
    // `from` and `until` are "ddMMyyyy".
    bool PerlowanUpload(const std::string& from, const std::string& until, std::string& tipsText,
                        std::string& errorText);
    void ShowStatus(const std::string& text, bool flag);

    // --- the host's own side
    HostSettings& Settings() { return settings_; }
    const std::vector<std::string>& CallLog() const { return log_; }
    void Note(std::string line) { log_.push_back(std::move(line)); }
    bool IsRegistered(std::int32_t eventId) const { return events_.count(eventId) != 0; }
    std::int32_t AddInWindow() const { return addInWindow_; }
    const std::string& MenuEntry() const { return menuEntry_; }
    // The caption the add-in gave its menu entry ("" before AddMenu).
    const std::string& MenuCaption() const { return menuCaption_; }
    std::string SettingsFolder() const;
    // What ShowAddIn does besides remembering the handle: the host's placing of the window.
    void SetPresenter(std::function<void(std::int32_t)> presenter) {
        presenter_ = std::move(presenter);
    }

  private:
    HostSettings settings_;
    std::vector<std::string> log_;
    std::set<std::int32_t> events_;
    std::int32_t addInWindow_ = 0;
    std::string menuEntry_;
    std::string menuCaption_;
    std::function<void(std::int32_t)> presenter_;
};

// A value as the call log shows it: "text" quoted, numbers, True/False, Null, Empty, Object.
std::string LogValue(const rt::Variant& value);

}  // namespace telmora

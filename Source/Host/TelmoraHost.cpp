#include "TelmoraHost.h"

#include "DispatchAdapters.h"

namespace telmora {

namespace {

constexpr std::int32_t kLanguageChange = 2;
constexpr float kPaneWidth = 12045;  // twips
constexpr float kPaneHeight = 6915;

class LoggedMessageBoxes final : public platform::MessageBoxService {
  public:
    LoggedMessageBoxes(HostApplication& app,
                       const std::shared_ptr<platform::MessageBoxService>& answering)
        : app_(app), answering_(answering) {}
    int ShowMessageBox(const std::string& prompt, int buttons, int icon,
                       const std::string& title) override {
        const int answer = answering_ ? answering_->ShowMessageBox(prompt, buttons, icon, title)
                                      : recorder_.ShowMessageBox(prompt, buttons, icon, title);
        app_.Note("MsgBox(" + LogValue(rt::Variant(prompt)) + ", buttons " +
                  std::to_string(buttons) + ", icon " + std::to_string(icon) + ", " +
                  LogValue(rt::Variant(title)) + ") = " + std::to_string(answer));
        return answer;
    }

  private:
    HostApplication& app_;
    const std::shared_ptr<platform::MessageBoxService>& answering_;
    platform::RecordingMessageBoxes recorder_;
};

}  // namespace

TelmoraHost::TelmoraHost(HostSettings settings)
    : app_(std::make_shared<HostApplication>(std::move(settings))),
      boxes_(std::make_shared<LoggedMessageBoxes>(*app_, answering_)) {
    // The host places the add-in's window in its own pane, at the size the window was made for.
    app_->SetPresenter([this](std::int32_t hWnd) {
        if (auto* form = forms::App().FormOfWindow(hWnd)) form->Move(0, 0, kPaneWidth, kPaneHeight);
    });
}

TelmoraHost::~TelmoraHost() {
    Unload();
}

void TelmoraHost::AnswerMessageBoxesWith(std::shared_ptr<platform::MessageBoxService> answering) {
    answering_ = std::move(answering);
}

void TelmoraHost::Load(const std::string& progId) {
    Unload();
    const Registration registration = LookUpProgId(progId);
    library_ = std::make_unique<ComponentLibrary>(registration.libraryPath);
    addIn_ = library_->CreateObject(registration.clsid);
    app_->Note("Loaded " + progId + " from " + registration.libraryPath);
}

void TelmoraHost::Unload() {
    if (addIn_ && running_) {
        app_->Note("Host closes");
        Hide();
        Stop();
    }
    if (auto* client = dynamic_cast<com::DispatchClient*>(addIn_.get())) client->Release();
    addIn_ = nullptr;
    if (library_)
        app_->Note(std::string("DllCanUnloadNow = ") +
                   (library_->CanUnloadNow() == com::S_OK ? "S_OK" : "S_FALSE"));
    library_.reset();
}

bool TelmoraHost::CallAddIn(const std::string& member, std::vector<rt::Variant> args) {
    std::string line = "> " + member + "(";
    for (std::size_t i = 0; i < args.size(); ++i) line += (i ? ", " : "") + LogValue(args[i]);
    app_->Note(line + ")");
    try {
        rt::CallByName(addIn_, member, rt::CallType::Method, args);
        return true;
    } catch (const rt::RuntimeError& e) {
        app_->Note("Add-in " + member + " failed: error " + std::to_string(e.Number()) + " " +
                   e.Description());
        return false;
    }
}

bool TelmoraHost::Start() {
    running_ = true;
    return CallAddIn("AppInit", {rt::Variant(rt::ObjectRef(app_)), rt::Variant(false),
                                 rt::Variant(std::string())});
}

bool TelmoraHost::ClickMenu() {
    const std::string entry = app_->MenuEntry().empty() ? "mnuPerlowan" : app_->MenuEntry();
    return CallAddIn("AddInMenuClicked", {rt::Variant(entry)});
}

bool TelmoraHost::Hide() {
    return CallAddIn("AddInHide", {});
}

bool TelmoraHost::Stop() {
    if (!CallAddIn("AppDeInit", {})) return false;
    running_ = false;
    return true;
}

bool TelmoraHost::SendEvent(std::int32_t eventId) {
    if (!app_->IsRegistered(eventId)) {
        app_->Note("Event " + std::to_string(eventId) + " not delivered: not registered");
        return false;
    }
    return CallAddIn("AppEvent", {rt::Variant(static_cast<std::int16_t>(eventId))});
}

bool TelmoraHost::SetLanguage(Language language) {
    app_->Settings().language = language;
    app_->Note("Language " + std::string(LanguageName(language)));
    return SendEvent(kLanguageChange);
}

}  // namespace telmora

#pragma once
// The substitute host's session with one add-in: load it by programmatic identifier, start it,
// deliver events, click its menu entry, hide it and end it. Failures of the add-in's members are
// reported in the call log and the session goes on.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "AddInLoader.h"
#include "Application.h"
#include "Form.h"
#include "HostApplication.h"
#include "MessageBox.h"

namespace telmora {

class TelmoraHost {
  public:
    explicit TelmoraHost(HostSettings settings);
    ~TelmoraHost();

    // Finds, loads and creates the add-in. Raises the loader's errors (AddInLoader.h).
    void Load(const std::string& progId);
    bool Loaded() const { return addIn_ != nullptr; }

    // Each returns false when the add-in's member failed (the failure is in the call log).
    bool Start();      // AppInit
    bool ClickMenu();  // AddInMenuClicked with the entry's name
    bool Hide();       // AddInHide
    bool Stop();       // AppDeInit
    // Delivers the event when the add-in registered for it; false when not delivered or failed.
    bool SendEvent(std::int32_t eventId);
    // Switches the host's language and tells the add-in (LanguageChange).
    bool SetLanguage(Language language);
    // Closes a running add-in as the host does on exit (AddInHide, AppDeInit), releases the
    // add-in object, logs whether the library may be unloaded now, and unloads it if so.
    void Unload();

    // Who answers the add-in's message boxes (they are logged either way); nullptr: the default
    // button, without asking anyone.
    void AnswerMessageBoxesWith(std::shared_ptr<platform::MessageBoxService> answering);

    HostApplication& App() { return *app_; }
    const std::shared_ptr<HostApplication>& AppObject() const { return app_; }
    rt::ObjectRef AddIn() const { return addIn_; }
    ComponentLibrary* Library() const { return library_.get(); }
    // The add-in's window as the toolkit holds it, once the add-in showed it; nullptr otherwise.
    forms::Form* AddInForm() { return forms::App().FormOfWindow(app_->AddInWindow()); }

  private:
    // Calls a member of the add-in and logs a failure; false when it failed.
    bool CallAddIn(const std::string& member, std::vector<rt::Variant> args);

    std::shared_ptr<HostApplication> app_;
    // The add-in's message boxes are answered with their default button and logged.
    std::shared_ptr<platform::MessageBoxService> answering_;
    rt::ScopedRole<platform::MessageBoxService> boxes_;
    std::unique_ptr<ComponentLibrary> library_;
    rt::ObjectRef addIn_;
    bool running_ = false;  // AppInit was called and AppDeInit has not succeeded
};

}  // namespace telmora

#include "ScriptRunner.h"

#include <algorithm>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>

#include "Application.h"
#include "CodePage.h"
#include "ComboBox.h"
#include "Container.h"
#include "DateTime.h"
#include "Form.h"
#include "InputSimulator.h"
#include "TextBox.h"

namespace telmora {

namespace {

[[noreturn]] void Fail(const std::string& message) {
    rt::Raise(5, "telmora script", message);
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

// The text after the first `n` words of the line.
std::string RestAfter(const std::string& line, std::size_t n) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < n; ++i) {
        pos = line.find_first_not_of(" \t", pos);
        pos = line.find_first_of(" \t", pos);
        if (pos == std::string::npos) return {};
    }
    pos = line.find_first_not_of(" \t", pos);
    return pos == std::string::npos ? std::string() : line.substr(pos);
}

long Number(const std::string& word, const char* what) {
    try {
        std::size_t used = 0;
        const long value = std::stol(word, &used);
        if (used == word.size()) return value;
    } catch (const std::exception&) {
    }
    Fail(std::string("not a number for ") + what + ": " + word);
}

std::int16_t KeyCode(const std::string& name) {
    const std::pair<const char*, std::int16_t> keys[] = {
        {"Tab", forms::key::Tab},           {"Return", forms::key::Return},
        {"Enter", forms::key::Return},      {"Escape", forms::key::Escape},
        {"Space", forms::key::Space},       {"Up", forms::key::Up},
        {"Down", forms::key::Down},         {"Left", forms::key::Left},
        {"Right", forms::key::Right},       {"Home", forms::key::Home},
        {"End", forms::key::End},           {"PageUp", forms::key::PageUp},
        {"PageDown", forms::key::PageDown}, {"Delete", forms::key::Delete},
        {"Back", forms::key::Back},         {"F2", forms::key::F2},
    };
    for (const auto& [keyName, code] : keys)
        if (rt::AsciiNamesEqual(name, keyName)) return code;
    const long code = Number(name, "a key");
    if (code < 1 || code > 255) Fail("no such key: " + name);
    return static_cast<std::int16_t>(code);
}

// Properties a dump shows, where the control has them.
constexpr const char* kDumpProperties[] = {"Left",    "Top",       "Width",        "Height",
                                           "Visible", "Enabled",   "TabIndex",     "Caption",
                                           "Text",    "ListIndex", "ListCount",    "Value",
                                           "Locked",  "MultiLine", "MousePointer", "BackColor"};

}  // namespace

ScriptRunner::ScriptRunner(TelmoraHost& host, std::ostream& out)
    : host_(host), out_(out), clock_(std::make_shared<rt::ManualClock>()) {
    // Scripts run on virtual time starting from the real date.
    const rt::LocalDateTime now = rt::CurrentClock().Now();
    clock_->SetNow(now);
    clockRole_ = std::make_unique<rt::ScopedRole<rt::Clock>>(clock_);
}

ScriptRunner::~ScriptRunner() = default;

bool ScriptRunner::Run(std::istream& script, std::string& error) {
    std::string line;
    for (int number = 1; std::getline(script, line); ++number) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        try {
            Execute(line);
        } catch (const rt::RuntimeError& e) {
            error = "line " + std::to_string(number) + ": " + e.Description();
            return false;
        }
    }
    return true;
}

void ScriptRunner::PrintLog() {
    const auto& log = host_.App().CallLog();
    for (; logShown_ < log.size(); ++logShown_) out_ << log[logShown_] << '\n';
}

void ScriptRunner::Execute(const std::string& line) {
    const auto words = Words(line);
    if (words.empty() || words[0].starts_with('#')) return;
    const std::string& command = words[0];
    auto need = [&](std::size_t count, const char* usage) {
        if (words.size() < count + 1) Fail(std::string("usage: ") + usage);
    };
    auto window = [&]() -> forms::Form& {
        forms::Form* form = host_.AddInForm();
        if (!form) Fail("the add-in's window is not shown (use \"menu\" first)");
        return *form;
    };
    auto control = [&](const std::string& name) -> forms::Control& {
        forms::Form& form = window();
        if (rt::AsciiNamesEqual(name, form.Name())) return form;
        std::string base = name;
        int index = -1;
        if (const auto open = name.find('('); open != std::string::npos && name.back() == ')') {
            base = name.substr(0, open);
            index =
                static_cast<int>(Number(name.substr(open + 1, name.size() - open - 2), "an index"));
        }
        forms::Control* found = form.FindControl(base, index);
        if (!found) Fail("no control " + name + " in the add-in's window");
        return *found;
    };
    if (command == "start") {
        host_.Start();
    } else if (command == "stop") {
        host_.Stop();
    } else if (command == "menu") {
        host_.ClickMenu();
    } else if (command == "hide") {
        host_.Hide();
    } else if (command == "event") {
        need(1, "event ID");
        host_.SendEvent(static_cast<std::int32_t>(Number(words[1], "an event id")));
    } else if (command == "language") {
        need(1, "language de|en");
        const auto language = ParseLanguage(words[1]);
        if (!language) Fail("unknown language " + words[1] + " (de or en)");
        host_.SetLanguage(*language);
    } else if (command == "tips") {
        need(1, "tips sample|file:PATH|fail:TEXT|timeout[:TEXT]");
        if (!ParseTipsSource(RestAfter(line, 1), host_.App().Settings().tips))
            Fail("unknown tips source " + RestAfter(line, 1));
    } else if (command == "refuse-menu") {
        host_.App().Settings().refuseMenu = true;
        if (words.size() > 1) host_.App().Settings().refuseMenuText = RestAfter(line, 1);
    } else if (command == "accept-menu") {
        host_.App().Settings().refuseMenu = false;
    } else if (command == "focus") {
        need(1, "focus CONTROL");
        control(words[1]).SetFocus();
    } else if (command == "click") {
        need(1, "click CONTROL");
        forms::input::Click(control(words[1]));
    } else if (command == "text") {
        need(1, "text CONTROL TEXT");
        forms::Control& target = control(words[1]);
        auto* box = dynamic_cast<forms::TextBox*>(&target);
        if (!box) Fail(words[1] + " is not a text box");
        box->SetFocus();
        box->SetSelStart(0);
        box->SetSelLength(static_cast<int>(rt::CharCount(box->Text())));
        const std::string text = RestAfter(line, 2);
        if (text.empty())
            forms::input::PressKey(forms::key::Delete);
        else
            forms::input::TypeText(text);
    } else if (command == "choose") {
        need(2, "choose CONTROL INDEX");
        auto* list = dynamic_cast<forms::ComboBox*>(&control(words[1]));
        if (!list) Fail(words[1] + " is not a list");
        const long index = Number(words[2], "a list index");
        if (index < 0 || index >= list->ListCount())
            Fail(words[1] + " has no entry " + words[2] + " (" + std::to_string(list->ListCount()) +
                 " entries)");
        if (list->CanReceiveFocus()) list->SetFocus();
        list->UserSelect(static_cast<int>(index));
    } else if (command == "type") {
        forms::input::TypeText(RestAfter(line, 1));
    } else if (command == "key") {
        need(1, "key KEY [shift] [ctrl] [alt]");
        std::int16_t shift = 0;
        for (std::size_t i = 2; i < words.size(); ++i) {
            if (rt::AsciiNamesEqual(words[i], "shift"))
                shift |= forms::shift::Shift;
            else if (rt::AsciiNamesEqual(words[i], "ctrl"))
                shift |= forms::shift::Ctrl;
            else if (rt::AsciiNamesEqual(words[i], "alt"))
                shift |= forms::shift::Alt;
            else
                Fail("unknown shift state " + words[i]);
        }
        forms::input::PressKey(KeyCode(words[1]), shift);
    } else if (command == "select") {
        need(3, "select GRID COLUMN ROW");
        forms::Control& grid = control(words[1]);
        std::vector<rt::Variant> args{
            rt::Variant(static_cast<std::int32_t>(Number(words[2], "a column"))),
            rt::Variant(static_cast<std::int32_t>(Number(words[3], "a row")))};
        try {
            rt::CallByName(grid.Object(), "SelectCell", rt::CallType::Method, args);
        } catch (const rt::RuntimeError& e) {
            Fail(words[1] + " cannot select a cell: " + e.Description());
        }
    } else if (command == "resize") {
        need(2, "resize WIDTH HEIGHT");
        const long width = Number(words[1], "a width"), height = Number(words[2], "a height");
        window().Move(0, 0, static_cast<float>(width), static_cast<float>(height));
    } else if (command == "clock") {
        need(1, "clock MS");
        const long ms = Number(words[1], "milliseconds");
        if (ms < 0) Fail("the clock only moves forward");
        forms::App().Loop().Advance(*clock_, static_cast<std::uint32_t>(ms));
    } else if (command == "today") {
        need(1, "today YYYY-MM-DD");
        int y = 0, m = 0, d = 0;
        char dash1 = 0, dash2 = 0;
        std::istringstream in(words[1]);
        if (!(in >> y >> dash1 >> m >> dash2 >> d) || dash1 != '-' || dash2 != '-' || m < 1 ||
            m > 12 || d < 1 || d > 31)
            Fail("not a date (YYYY-MM-DD): " + words[1]);
        rt::LocalDateTime now = clock_->Now();
        now.year = y;
        now.month = m;
        now.day = d;
        clock_->SetNow(now);
    } else if (command == "dump") {
        need(1, "dump CONTROL");
        forms::Control& target = control(words[1]);
        out_ << words[1] << " (" << target.TypeName() << ")\n";
        for (const char* property : kDumpProperties) {
            try {
                const rt::Variant value = rt::GetProperty(target.Object(), property);
                out_ << "  " << property << " = " << LogValue(value) << '\n';
            } catch (const rt::RuntimeError&) {
                // The kind has no such property.
            }
        }
        if (auto* list = dynamic_cast<forms::ComboBox*>(&target))
            for (int i = 0; i < list->ListCount(); ++i)
                out_ << "  List(" << i << ") = " << LogValue(rt::Variant(list->List(i))) << '\n';
    } else if (command == "store") {
        const std::string path = host_.App().SettingsFolder() + "Perlowan.dat";
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            out_ << "(no store file " << path << ")\n";
        } else {
            out_ << "--- " << path << '\n' << in.rdbuf();
            out_ << "\n---\n";
        }
    } else if (command == "log") {
        PrintLog();
    } else if (command == "echo") {
        out_ << RestAfter(line, 1) << '\n';
    } else {
        Fail("unknown command \"" + command + "\"");
    }
    // The user-interface thread goes on: work posted by the command runs now.
    forms::App().Loop().RunDue();
}

}  // namespace telmora

#include "ScriptRunner.h"

#include "Options.h"

#include <algorithm>
#include <cstdint>
#include <exception>
#include <fstream>
#include <istream>
#include <ostream>
#include <sstream>
#include <string_view>
#include <utility>

#include "Application.h"
#include "CodePage.h"
#include "ComboBox.h"
#include "Container.h"
#include "DateTime.h"
#include "Debug.h"
#include "Form.h"
#include "InputSimulator.h"
#include "TextBox.h"

namespace telmora {

namespace {

[[noreturn]] void Fail(const std::string& message) {
    rt::Raise(rt::err::InvalidProcedureCall, "telmora script", message);
}

std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

long Number(const std::string& word, const char* what) {
    try {
        std::size_t used = 0;
        const long value = std::stol(word, &used);
        if (used == word.size()) return value;
    } catch (const std::exception&) {
        // Not a number: reported below.
    }
    Fail(std::string("not a number for ") + what + ": " + word);
}

constexpr std::pair<const char*, std::int16_t> kKeys[] = {
    {"Tab", forms::key::Tab},           {"Return", forms::key::Return},
    {"Enter", forms::key::Return},      {"Escape", forms::key::Escape},
    {"Space", forms::key::Space},       {"Up", forms::key::Up},
    {"Down", forms::key::Down},         {"Left", forms::key::Left},
    {"Right", forms::key::Right},       {"Home", forms::key::Home},
    {"End", forms::key::End},           {"PageUp", forms::key::PageUp},
    {"PageDown", forms::key::PageDown}, {"Delete", forms::key::Delete},
    {"Back", forms::key::Back},         {"F2", forms::key::F2},
};

std::int16_t KeyCode(const std::string& name) {
    for (const auto& [keyName, code] : kKeys)
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

// The store's bytes as text: the 8-bit code page, or UTF-16LE behind the Unicode marker "@@@".
std::string StoreText(const std::string& bytes) {
    if (bytes.starts_with(std::string("@\0@\0@\0", 6))) return rt::Utf16LeToUtf8(bytes.substr(6));
    return rt::Win1252ToUtf8(bytes);
}

}  // namespace

std::string ScriptRunner::Line::RestAfter(std::size_t n) const {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < n; ++i) {
        pos = text.find_first_not_of(" \t", pos);
        pos = text.find_first_of(" \t", pos);
        if (pos == std::string::npos) return {};
    }
    pos = text.find_first_not_of(" \t", pos);
    return pos == std::string::npos ? std::string() : text.substr(pos);
}

const std::vector<ScriptRunner::Command>& ScriptRunner::Commands() {
    using S = ScriptRunner;
    static const std::vector<Command> commands{
        {"start", "", 0, "AppInit: the host starts the add-in", &S::DoStart},
        {"stop", "", 0, "AppDeInit: the host ends the add-in", &S::DoStop},
        {"menu", "", 0, "AddInMenuClicked: the user clicks the add-in's menu entry", &S::DoMenu},
        {"hide", "", 0, "AddInHide", &S::DoHide},
        {"event", "ID", 1, "deliver host event ID (when the add-in registered it)", &S::DoEvent},
        {"language", "de|en", 1, "switch the host's language (LanguageChange)", &S::DoLanguage},
        {"tips", "SOURCE", 1, "what uploads return: sample, file:PATH, fail:TEXT, timeout[:TEXT]",
         &S::DoTips},
        {"refuse-menu", "[TEXT]", 0, "refuse the next AddMenu, with TEXT as the reason",
         &S::DoRefuseMenu},
        {"accept-menu", "", 0, "accept the next AddMenu", &S::DoAcceptMenu},
        {"focus", "CONTROL", 1, "give the control the focus", &S::DoFocus},
        {"click", "CONTROL", 1, "click the control", &S::DoClick},
        {"text", "CONTROL TEXT", 1, "focus the text box and type TEXT over its contents",
         &S::DoText},
        {"choose", "CONTROL INDEX", 2, "choose the list entry INDEX (from 0)", &S::DoChoose},
        {"type", "TEXT", 0, "type into the focused control", &S::DoType},
        {"key", "KEY [shift] [ctrl] [alt]", 1, "press KEY on the focused control", &S::DoKey},
        {"select", "GRID COLUMN ROW", 3, "select a grid cell", &S::DoSelect},
        {"resize", "WIDTH HEIGHT", 2, "the host resizes the add-in's window (twips)", &S::DoResize},
        {"clock", "MS", 1, "advance the clock by MS milliseconds (timers run)", &S::DoClock},
        {"today", "YYYY-MM-DD", 1, "set today's date", &S::DoToday},
        {"dump", "CONTROL", 1, "print the control's properties", &S::DoDump},
        {"show", "CONTROL PROPERTY...", 2, "print the named properties of the control", &S::DoShow},
        {"cells", "GRID", 1, "print the grid's rows, one line a row", &S::DoCells},
        {"store", "", 0, "print the store file as text", &S::DoStore},
        {"log", "", 0, "print the host's call log since the last log (and message boxes)",
         &S::DoLog},
        {"echo", "TEXT", 0, "print TEXT", &S::DoEcho},
    };
    return commands;
}

std::string ScriptRunner::CommandsHelp() {
    constexpr std::size_t kColumn = 34;
    std::string help;
    for (const Command& command : Commands()) {
        std::string usage = std::string("  ") + command.name;
        if (*command.arguments) usage += std::string(" ") + command.arguments;
        usage.resize(std::max(usage.size() + 1, kColumn), ' ');
        help += usage + command.description + '\n';
    }
    std::string keys = "KEY is a key code or one of:";
    for (const auto& [name, code] : kKeys) {
        if (keys.size() + std::string_view(name).size() > 90) {
            help += keys + '\n';
            keys = name;
        } else {
            keys += std::string(" ") + name;
        }
    }
    help +=
        keys +
        ".\n"
        "CONTROL is a name as the window knows it: cboZeitraum, optStatus(1), frmAddIn for the\n"
        "window. Empty lines and lines starting with # are skipped.\n";
    return help;
}

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

void ScriptRunner::Execute(const std::string& text) {
    const Line line{text, Words(text)};
    if (line.words.empty() || line.words[0].starts_with('#')) return;
    const auto& commands = Commands();
    const auto command = std::find_if(commands.begin(), commands.end(),
                                      [&](const Command& c) { return line.words[0] == c.name; });
    if (command == commands.end()) Fail("unknown command \"" + line.words[0] + "\"");
    if (line.words.size() < command->required + 1)
        Fail(std::string("usage: ") + command->name + " " + command->arguments);
    (this->*command->handler)(line);
    // The user-interface thread goes on: work posted by the command runs now.
    forms::App().Loop().RunDue();
}

forms::Form& ScriptRunner::Window() {
    forms::Form* form = host_.AddInForm();
    if (!form) Fail("the add-in's window is not shown (use \"menu\" first)");
    return *form;
}

forms::Control& ScriptRunner::ControlNamed(const std::string& name) {
    forms::Form& form = Window();
    if (rt::AsciiNamesEqual(name, form.Name())) return form;
    std::string base = name;
    int index = -1;
    if (const auto open = name.find('('); open != std::string::npos && name.back() == ')') {
        base = name.substr(0, open);
        index = static_cast<int>(Number(name.substr(open + 1, name.size() - open - 2), "an index"));
    }
    forms::Control* found = form.FindControl(base, index);
    if (!found) Fail("no control " + name + " in the add-in's window");
    return *found;
}

void ScriptRunner::DoStart(const Line&) {
    host_.Start();
}

void ScriptRunner::DoStop(const Line&) {
    host_.Stop();
}

void ScriptRunner::DoMenu(const Line&) {
    host_.ClickMenu();
}

void ScriptRunner::DoHide(const Line&) {
    host_.Hide();
}

void ScriptRunner::DoEvent(const Line& line) {
    host_.SendEvent(static_cast<std::int32_t>(Number(line.words[1], "an event id")));
}

void ScriptRunner::DoLanguage(const Line& line) {
    const auto language = ParseLanguage(line.words[1]);
    if (!language) Fail("unknown language " + line.words[1] + " (de or en)");
    host_.SetLanguage(*language);
}

void ScriptRunner::DoTips(const Line& line) {
    if (!ParseTipsSource(line.RestAfter(1), host_.App().Settings().tips))
        Fail("unknown tips source " + line.RestAfter(1));
}

void ScriptRunner::DoRefuseMenu(const Line& line) {
    host_.App().Settings().refuseMenu = true;
    if (line.words.size() > 1) host_.App().Settings().refuseMenuText = line.RestAfter(1);
}

void ScriptRunner::DoAcceptMenu(const Line&) {
    host_.App().Settings().refuseMenu = false;
}

void ScriptRunner::DoFocus(const Line& line) {
    ControlNamed(line.words[1]).SetFocus();
}

void ScriptRunner::DoClick(const Line& line) {
    forms::input::Click(ControlNamed(line.words[1]));
}

void ScriptRunner::DoText(const Line& line) {
    auto* box = dynamic_cast<forms::TextBox*>(&ControlNamed(line.words[1]));
    if (!box) Fail(line.words[1] + " is not a text box");
    box->SetFocus();
    box->SetSelStart(0);
    box->SetSelLength(static_cast<int>(rt::CharCount(box->Text())));
    const std::string text = line.RestAfter(2);
    if (text.empty())
        forms::input::PressKey(forms::key::Delete);
    else
        forms::input::TypeText(text);
}

void ScriptRunner::DoChoose(const Line& line) {
    auto* list = dynamic_cast<forms::ComboBox*>(&ControlNamed(line.words[1]));
    if (!list) Fail(line.words[1] + " is not a list");
    const long index = Number(line.words[2], "a list index");
    if (index < 0 || index >= list->ListCount())
        Fail(line.words[1] + " has no entry " + line.words[2] + " (" +
             std::to_string(list->ListCount()) + " entries)");
    if (list->CanReceiveFocus()) list->SetFocus();
    list->UserSelect(static_cast<int>(index));
}

void ScriptRunner::DoType(const Line& line) {
    forms::input::TypeText(line.RestAfter(1));
}

void ScriptRunner::DoKey(const Line& line) {
    std::int16_t shift = 0;
    for (std::size_t i = 2; i < line.words.size(); ++i) {
        const std::string& word = line.words[i];
        if (rt::AsciiNamesEqual(word, "shift"))
            shift |= forms::shift::Shift;
        else if (rt::AsciiNamesEqual(word, "ctrl"))
            shift |= forms::shift::Ctrl;
        else if (rt::AsciiNamesEqual(word, "alt"))
            shift |= forms::shift::Alt;
        else
            Fail("unknown shift state " + word);
    }
    forms::input::PressKey(KeyCode(line.words[1]), shift);
}

void ScriptRunner::DoSelect(const Line& line) {
    forms::Control& grid = ControlNamed(line.words[1]);
    const long col = Number(line.words[2], "a column");
    const long row = Number(line.words[3], "a row");
    long cols = 0, rows = 0;
    try {
        cols = rt::GetProperty(grid.Object(), "Cols").ToLong();
        rows = rt::GetProperty(grid.Object(), "Rows").ToLong();
    } catch (const rt::RuntimeError& e) {
        Fail(line.words[1] + " is not a grid: " + e.Description());
    }
    if (col < 0 || col >= cols || row < 0 || row >= rows)
        Fail(line.words[1] + " has no cell " + line.words[2] + " " + line.words[3] + " (" +
             std::to_string(cols) + " columns, " + std::to_string(rows) + " rows)");
    std::vector<rt::Variant> args{rt::Variant(static_cast<std::int32_t>(col)),
                                  rt::Variant(static_cast<std::int32_t>(row)), rt::Variant(true)};
    try {
        rt::CallByName(grid.Object(), "SelectCell", rt::CallType::Method, args);
    } catch (const rt::RuntimeError& e) {
        Fail(line.words[1] + " cannot select a cell: " + e.Description());
    }
    // The grid moves the focus on a later turn of the loop (a timer); the user-interface thread
    // goes on until the cell has it, and with it CellGotFocus has fired.
    const auto selected = [&] {
        if (rt::GetProperty(grid.Object(), "CurrentCol").ToLong() != col ||
            rt::GetProperty(grid.Object(), "CurrentRow").ToLong() != row)
            return false;
        for (const forms::Control* c = forms::App().FocusedControl(); c; c = c->Parent())
            if (c == &grid) return true;
        return false;
    };
    constexpr std::uint32_t kPatienceMs = 1000;
    std::uint32_t waited = 0;
    while (!selected()) {
        const auto due = forms::App().Loop().NextTimerDueIn();
        if (!due || waited >= kPatienceMs)
            Fail(line.words[1] + " did not give cell " + line.words[2] + " " + line.words[3] +
                 " the focus");
        const std::uint32_t step = std::max<std::uint32_t>(*due, 1);
        forms::App().Loop().Advance(*clock_, step);
        waited += step;
    }
}

void ScriptRunner::DoResize(const Line& line) {
    const long width = Number(line.words[1], "a width");
    const long height = Number(line.words[2], "a height");
    Window().Move(0, 0, static_cast<float>(width), static_cast<float>(height));
}

void ScriptRunner::DoClock(const Line& line) {
    const long ms = Number(line.words[1], "milliseconds");
    if (ms < 0) Fail("the clock only moves forward");
    forms::App().Loop().Advance(*clock_, static_cast<std::uint32_t>(ms));
}

void ScriptRunner::DoToday(const Line& line) {
    int year = 0, month = 0, day = 0;
    if (!ParseIsoDate(line.words[1], year, month, day))
        Fail("not a date (YYYY-MM-DD): " + line.words[1]);
    rt::LocalDateTime now = clock_->Now();
    now.year = year;
    now.month = month;
    now.day = day;
    clock_->SetNow(now);
}

void ScriptRunner::DoDump(const Line& line) {
    forms::Control& target = ControlNamed(line.words[1]);
    out_ << line.words[1] << " (" << target.TypeName() << ")\n";
    for (const char* property : kDumpProperties) {
        try {
            const rt::Variant value = rt::GetProperty(target.Object(), property);
            out_ << "  " << property << " = " << LogValue(value) << '\n';
        } catch (const rt::RuntimeError& e) {
            // The kind has no such property: the dump shows what there is.
            PERLOWAN_DEBUG("host", "dump of " + line.words[1] + " without " + property +
                                       ": error " + std::to_string(e.Number()));
        }
    }
    if (auto* list = dynamic_cast<forms::ComboBox*>(&target))
        for (int i = 0; i < list->ListCount(); ++i)
            out_ << "  List(" << i << ") = " << LogValue(rt::Variant(list->List(i))) << '\n';
}

void ScriptRunner::DoShow(const Line& line) {
    forms::Control& target = ControlNamed(line.words[1]);
    for (std::size_t i = 2; i < line.words.size(); ++i) {
        rt::Variant value;
        try {
            value = rt::GetProperty(target.Object(), line.words[i]);
        } catch (const rt::RuntimeError& e) {
            Fail(line.words[1] + "." + line.words[i] + ": " + e.Description());
        }
        out_ << line.words[1] << "." << line.words[i] << " = " << LogValue(value) << '\n';
    }
}

void ScriptRunner::DoCells(const Line& line) {
    forms::Control& target = ControlNamed(line.words[1]);
    long rows = 0, cols = 0;
    try {
        rows = rt::GetProperty(target.Object(), "Rows").ToLong();
        cols = rt::GetProperty(target.Object(), "Cols").ToLong();
    } catch (const rt::RuntimeError& e) {
        Fail(line.words[1] + " is not a grid: " + e.Description());
    }
    out_ << line.words[1] << ": " << rows << (rows == 1 ? " row\n" : " rows\n");
    for (long r = 0; r < rows; ++r) {
        out_ << "  Row(" << r << ") =";
        for (long c = 0; c < cols; ++c) {
            std::vector<rt::Variant> cell{rt::Variant(static_cast<std::int32_t>(c)),
                                          rt::Variant(static_cast<std::int32_t>(r))};
            out_ << (c ? " | " : " ")
                 << LogValue(rt::CallByName(target.Object(), "CellValue", rt::CallType::PropertyGet,
                                            cell));
        }
        out_ << '\n';
    }
}

void ScriptRunner::DoStore(const Line&) {
    const std::string path = host_.App().SettingsFolder() + "Perlowan.dat";
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        out_ << "(no store file " << path << ")\n";
    } else {
        std::stringstream bytes;
        bytes << in.rdbuf();
        out_ << "--- " << path << '\n' << StoreText(bytes.str()) << "\n---\n";
    }
}

void ScriptRunner::DoLog(const Line&) {
    PrintLog();
}

void ScriptRunner::DoEcho(const Line& line) {
    out_ << line.RestAfter(1) << '\n';
}

}  // namespace telmora

#pragma once
// Test doubles for the tips exchange and the window: a running add-in with a host application
// object, and a tips list, both writing every call into one journal so that a test compares the
// whole sequence of what happened.
#include <cmath>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Dispatch.h"
#include "MessageBox.h"
#include "mGlobVar.h"

namespace tipps_test {

using Journal = std::vector<std::string>;

// A value as the journal shows it: texts quoted, booleans True/False, numbers as numbers.
inline std::string Shown(const rt::Variant& value) {
    if (value.IsString()) return "\"" + value.ToString() + "\"";
    if (value.Type() == rt::VarType::Boolean) return value.ToBool() ? "True" : "False";
    return value.ToString();
}

inline std::string Call(std::string_view member, std::span<const rt::Variant> args) {
    std::string line = std::string(member) + "(";
    for (std::size_t i = 0; i < args.size(); ++i) line += (i ? ", " : "") + Shown(args[i]);
    return line + ")";
}

// The tips list as the window reaches it, late-bound: it keeps rows of cells split at the TAB,
// answers Rows, CellValue, Left and Top, and refuses a Move to a negative size as a control does.
class RecordingGrid final : public rt::IDispatch {
  public:
    explicit RecordingGrid(Journal& journal) : journal_(journal) {}

    std::vector<std::vector<std::string>> rows;
    float left = 120, top = 2280, width = 8295, height = 1575;

    rt::DispId GetIdOfName(std::string_view name) override {
        for (std::size_t i = 0; i < std::size(kMembers); ++i)
            if (rt::AsciiNamesEqual(name, kMembers[i])) return static_cast<rt::DispId>(i + 1);
        rt::Raise(rt::err::MemberNotSupported);
    }

    rt::Variant Invoke(rt::DispId id, rt::CallType type, std::span<rt::Variant> args) override {
        const std::string_view member = kMembers[id - 1];
        const bool let = type == rt::CallType::PropertyLet;
        if (member == "Clear") {
            Note(Call(member, args));
            rows.clear();
        } else if (member == "AddItem") {
            Note(Call(member, args));
            std::vector<std::string> cells;
            std::stringstream line(rt::Arg(args, 0).ToString());
            for (std::string cell; std::getline(line, cell, '\t');) cells.push_back(cell);
            rows.push_back(cells);
        } else if (member == "Rows") {
            Note("Rows -> " + std::to_string(rows.size()));
            return rt::Variant(static_cast<std::int32_t>(rows.size()));
        } else if (member == "CellValue") {
            Note(Call(member, args));
            const auto col = static_cast<std::size_t>(rt::Arg(args, 0).ToLong());
            const auto row = static_cast<std::size_t>(rt::Arg(args, 1).ToLong());
            if (row < rows.size() && col < rows[row].size()) return rt::Variant(rows[row][col]);
            return rt::Variant(std::string());
        } else if ((member == "ColWidth" || member == "Redraw") && let) {
            std::vector<rt::Variant> index(args.begin(), args.end() - 1);
            Note((index.empty() ? std::string(member) : Call(member, index)) + " = " +
                 Shown(args.back()));
        } else if (member == "Left" || member == "Top") {
            Note(std::string(member));
            return rt::Variant(member == "Left" ? left : top);
        } else if (member == "Move") {
            Note(Call(member, args));
            const float w = rt::Arg(args, 2).ToSingle(), h = rt::Arg(args, 3).ToSingle();
            if (w < 0 || h < 0) rt::Raise(380, "grdTipps");
            left = rt::Arg(args, 0).ToSingle(), top = rt::Arg(args, 1).ToSingle();
            width = w, height = h;
        } else {
            Note(Call(member, args));
        }
        return {};
    }

  private:
    static constexpr std::string_view kMembers[] = {
        "Clear",  "SetColHeader", "ColWidth", "SetZoomColumn", "AddItem", "Rows",
        "Redraw", "CellValue",    "Left",     "Top",           "Move"};
    void Note(std::string line) { journal_.push_back("grid " + line); }
    Journal& journal_;
};

// Message boxes written into the journal, answered with OK.
class JournalMessageBoxes final : public platform::MessageBoxService {
  public:
    explicit JournalMessageBoxes(Journal& journal) : journal_(journal) {}
    int ShowMessageBox(const std::string& prompt, int buttons, int icon,
                       const std::string& title) override {
        journal_.push_back("box \"" + prompt + "\" buttons " + std::to_string(buttons) + " icon " +
                           std::to_string(icon) + " \"" + title + "\"");
        return platform::vbOK;
    }

  private:
    Journal& journal_;
};

// The running add-in with its host application object. The host answers PerlowanUpload with
// `uploadResult`, `tips` and `uploadError`, SettingFolderGet with `settingsFolder`, and
// LanguageString with "<language> <n>", noting the keys asked for.
class HostedAddIn final : public AddInInstance {
  public:
    explicit HostedAddIn(Journal& journal) : journal_(journal) {
        host->Define("SettingFolderGet", [this](std::span<rt::Variant> a) {
            Note(Call("SettingFolderGet", a));
            if (failSettingFolder) rt::Raise(75, "Telmora", "Path/File access error");
            return rt::Variant(settingsFolder);
        });
        host->Define("PerlowanUpload", [this](std::span<rt::Variant> a) {
            Note(Call("PerlowanUpload", a));
            if (onUpload) onUpload();
            a[3] = tips;
            a[4] = uploadError;
            return uploadResult;
        });
        host->Define("ShowStatus", [this](std::span<rt::Variant> a) {
            Note(Call("ShowStatus", a));
            return rt::Variant();
        });
        host->Define("LanguageString", [this](std::span<rt::Variant> a) {
            languageKeys.push_back(a[0].ToInteger());
            return rt::Variant(language + " " + a[0].ToString());
        });
    }
    rt::ObjectRef MainApplication() const override { return host; }
    void Trace(std::string& text, const rt::ObjectRef&) override { Note("Trace " + text); }

    std::shared_ptr<rt::DynamicObject> host = std::make_shared<rt::DynamicObject>();
    std::string settingsFolder;
    bool failSettingFolder = false;
    rt::Variant uploadResult{true};
    std::string tips;
    std::string uploadError;
    std::function<void()> onUpload;
    std::string language = "text";
    std::vector<std::int16_t> languageKeys;

  private:
    void Note(std::string line) { journal_.push_back("host " + line); }
    Journal& journal_;
};

}  // namespace tipps_test

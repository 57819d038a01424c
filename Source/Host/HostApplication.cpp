#include "HostApplication.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>

#include "CodePage.h"
#include "DateTime.h"
#include "SampleTips.h"
#include "Text.h"

namespace telmora {

namespace fs = std::filesystem;

bool ParseTipsSource(std::string_view text, TipsSource& out) {
    auto after = [&](std::string_view prefix) { return std::string(text.substr(prefix.size())); };
    if (text == "sample") {
        out = {TipsSource::Kind::Sample, {}};
    } else if (text.starts_with("file:") && text.size() > 5) {
        out = {TipsSource::Kind::File, after("file:")};
    } else if (text.starts_with("fail:")) {
        out = {TipsSource::Kind::Failure, after("fail:")};
    } else if (text == "timeout") {
        out = {TipsSource::Kind::Timeout, "Connection Timeout"};
    } else if (text.starts_with("timeout:")) {
        out = {TipsSource::Kind::Timeout, after("timeout:")};
    } else {
        return false;
    }
    return true;
}

std::string LogValue(const rt::Variant& value) {
    switch (value.Type()) {
        case rt::VarType::Empty:
            return "Empty";
        case rt::VarType::Null:
            return "Null";
        case rt::VarType::Error:
            return "Missing";
        case rt::VarType::Boolean:
            return value.ToBool() ? "True" : "False";
        case rt::VarType::String: {
            std::string text = value.ToString();
            // Long texts (tips) are shortened so that the log stays readable.
            const std::size_t shown = rt::CharCount(text) > 200 ? 120 : text.size();
            if (shown < text.size())
                text = rt::Left(text, static_cast<std::int32_t>(shown)) + "... (" +
                       std::to_string(rt::CharCount(text)) + " characters)";
            std::string quoted = "\"";
            for (char c : text) {
                if (c == '\r')
                    quoted += "\\r";
                else if (c == '\n')
                    quoted += "\\n";
                else
                    quoted += c;
            }
            return quoted + "\"";
        }
        case rt::VarType::Object:
            return value.ToObject() ? "Object" : "Nothing";
        case rt::VarType::Array:
            return "Array(" + std::to_string(value.ToArray().size()) + ")";
        default:
            return value.ToString();
    }
}

HostApplication::HostApplication(HostSettings settings) : settings_(std::move(settings)) {}

rt::DispId HostApplication::GetIdOfName(std::string_view name) {
    if (settings_.withoutAddMenu && rt::AsciiNamesEqual(name, "AddMenu"))
        rt::Raise(rt::err::MemberNotSupported);
    return Members().IdOf(name);
}

bool HostApplication::AddMenu(const std::string& menuName, const std::string& caption, std::int16_t,
                              std::string& errorText) {
    if (settings_.refuseMenu) {
        errorText = settings_.refuseMenuText;
        return false;
    }
    menuEntry_ = menuName;
    menuCaption_ = caption;
    return true;
}

void HostApplication::EventRegister(std::int32_t eventId) {
    events_.insert(eventId);
}

void HostApplication::EventDeRegister(std::int32_t eventId) {
    events_.erase(eventId);
}

void HostApplication::ShowAddIn(std::int32_t hWnd, const std::string&) {
    addInWindow_ = hWnd;
    if (presenter_) presenter_(hWnd);
}

void HostApplication::Trace(const std::string& text) {
    if (settings_.traceToStderr) std::cerr << "telmora trace: " << text << '\n';
    const std::string file =
        settings_.traceFile.empty() ? SettingsFolder() + "Trace.log" : settings_.traceFile;
    std::error_code ec;
    fs::create_directories(fs::path(file).parent_path(), ec);
    std::ofstream out(file, std::ios::app);
    if (out) out << text << '\n';
}

std::string HostApplication::LanguageString(std::int16_t number) const {
    auto text = telmora::LanguageString(settings_.language, number);
    if (!text)
        rt::Raise(rt::err::InvalidProcedureCall, "Telmora",
                  "No text number " + std::to_string(number));
    return *text;
}

std::string HostApplication::SettingsFolder() const {
    std::string folder = settings_.settingsFolder;
    if (folder.empty()) {
        if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
            folder = std::string(config) + "/telmora";
        else if (const char* home = std::getenv("HOME"); home && *home)
            folder = std::string(home) + "/.config/telmora";
        else
            folder = "telmora";
    }
    if (!folder.ends_with('/')) folder += '/';
    return folder;
}

std::string HostApplication::SettingFolderGet(std::int16_t kind) {
    if (kind != 3)
        rt::Raise(rt::err::InvalidProcedureCall, "Telmora",
                  "Unknown settings folder " + std::to_string(kind));
    const std::string folder = SettingsFolder();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder))
        rt::Raise(rt::err::PathFileAccessError, "Telmora",
                  "Cannot create the settings folder " + folder);
    return folder;
}

namespace {

// A date as the add-in sends it, "ddMMyyyy"; nothing for any other text.
std::optional<rt::Date> UploadDate(const std::string& text) {
    if (text.size() != 8 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int day = std::stoi(text.substr(0, 2)), month = std::stoi(text.substr(2, 2)),
              year = std::stoi(text.substr(4));
    try {
        const rt::Date date = rt::DateSerial(year, month, day);
        if (rt::Day(date) != day || rt::Month(date) != month || year < 100) return std::nullopt;
        return date;
    } catch (const rt::RuntimeError&) {
        return std::nullopt;
    }
}

}  // namespace

bool HostApplication::PerlowanUpload(const std::string& from, const std::string& until,
                                     std::string& tipsText, std::string& errorText) {
    const TipsSource& source = settings_.tips;
    // The sample tips belong to the period; the server refuses a period it cannot read.
    auto samplesOfPeriod = [&]() -> std::optional<std::string> {
        const auto first = UploadDate(from), last = UploadDate(until);
        if (!first || !last) {
            errorText = "Ungültiger Zeitraum: " + from + " - " + until;
            return std::nullopt;
        }
        if (last->serial < first->serial) {
            errorText = "Der Beginn " + from + " liegt nach dem Ende " + until + ".";
            return std::nullopt;
        }
        return SampleTipsJson(*first, *last);
    };
    switch (source.kind) {
        case TipsSource::Kind::Sample: {
            const auto tips = samplesOfPeriod();
            if (!tips) return false;
            tipsText = *tips;
            return true;
        }
        case TipsSource::Kind::File: {
            std::ifstream in(source.argument, std::ios::binary);
            if (!in) {
                errorText = "Die Tipps-Datei " + source.argument + " kann nicht gelesen werden.";
                return false;
            }
            tipsText.assign(std::istreambuf_iterator<char>(in), {});
            return true;
        }
        case TipsSource::Kind::Failure:
            errorText = source.argument;
            return false;
        case TipsSource::Kind::Timeout: {
            const auto tips = samplesOfPeriod();
            if (!tips) return false;
            tipsText = *tips;
            errorText = source.argument;
            return false;
        }
    }
    return false;
}

void HostApplication::ShowStatus(const std::string&, bool) {}

namespace {

using Args = std::span<rt::Variant>;
using rt::Arg;
using rt::Variant;

// Logs "Member(arguments) = result" and, for by-reference arguments the call changed, their new
// values; a failing call is logged with its error and the error travels on.
template <class F>
Variant Logged(HostApplication& self, std::string_view member, Args args, F&& call) {
    std::vector<std::string> before;
    for (const Variant& a : args) before.push_back(LogValue(a));
    std::string line = std::string(member) + "(";
    for (std::size_t i = 0; i < before.size(); ++i) line += (i ? ", " : "") + before[i];
    line += ")";
    try {
        Variant result = call();
        if (!result.IsEmpty()) line += " = " + LogValue(result);
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string after = LogValue(args[i]);
            if (after != before[i]) line += "; arg " + std::to_string(i + 1) + " -> " + after;
        }
        self.Note(line);
        return result;
    } catch (const rt::RuntimeError& e) {
        self.Note(line + " failed: error " + std::to_string(e.Number()) + " " + e.Description());
        throw;
    }
}

}  // namespace

const rt::DispatchTable<HostApplication>& HostApplication::Members() {
    static const rt::DispatchTable<HostApplication> table{
        {"AddMenu", 1,
         [](HostApplication& self, rt::CallType, Args args) {
             return Logged(self, "AddMenu", args, [&] {
                 std::string error = Arg(args, 3).ToString();
                 const bool added = self.AddMenu(Arg(args, 0).ToString(), Arg(args, 1).ToString(),
                                                 Arg(args, 2).ToInteger(), error);
                 args[3] = error;
                 return Variant(added);
             });
         }},
        {"EventRegister", 2,
         [](HostApplication& self, rt::CallType, Args args) {
             return Logged(self, "EventRegister", args, [&] {
                 self.EventRegister(Arg(args, 0).ToLong());
                 return Variant();
             });
         }},
        {"EventDeRegister", 3,
         [](HostApplication& self, rt::CallType, Args args) {
             return Logged(self, "EventDeRegister", args, [&] {
                 self.EventDeRegister(Arg(args, 0).ToLong());
                 return Variant();
             });
         }},
        {"ShowAddIn", 4,
         [](HostApplication& self, rt::CallType, Args args) {
             return Logged(self, "ShowAddIn", args, [&] {
                 self.ShowAddIn(Arg(args, 0).ToLong(), Arg(args, 1).ToString());
                 return Variant();
             });
         }},
        {"Trace", 5,
         [](HostApplication& self, rt::CallType, Args args) {
             return Logged(self, "Trace", args, [&] {
                 self.Trace(Arg(args, 0).ToString());
                 return Variant();
             });
         }},
        {"LanguageString", 6,
         [](HostApplication& self, rt::CallType, Args args) {
             return Logged(self, "LanguageString", args,
                           [&] { return Variant(self.LanguageString(Arg(args, 0).ToInteger())); });
         }},
        {"SettingFolderGet", 7,
         [](HostApplication& self, rt::CallType, Args args) {
             return Logged(self, "SettingFolderGet", args, [&] {
                 return Variant(self.SettingFolderGet(Arg(args, 0).ToInteger()));
             });
         }},
        {"PerlowanUpload", 8,
         [](HostApplication& self, rt::CallType, Args args) {
             return Logged(self, "PerlowanUpload", args, [&] {
                 std::string tips = Arg(args, 3).ToString();
                 std::string error = Arg(args, 4).ToString();
                 const bool ok = self.PerlowanUpload(Arg(args, 0).ToString(),
                                                     Arg(args, 1).ToString(), tips, error);
                 args[3] = tips;
                 args[4] = error;
                 return Variant(ok);
             });
         }},
        {"ShowStatus", 9,
         [](HostApplication& self, rt::CallType, Args args) {
             return Logged(self, "ShowStatus", args, [&] {
                 self.ShowStatus(
                     rt::OptionalArg(args, 0).IsMissing() ? std::string() : args[0].ToString(),
                     rt::OptionalArg(args, 1).IsMissing() ? true : args[1].ToBool());
                 return Variant();
             });
         }},
    };
    return table;
}

}  // namespace telmora

#include "cITelmora.h"

#include <cmath>
#include <vector>

#include "Debug.h"
#include "MessageBox.h"
#include "frmAddIn.h"

namespace {

constexpr const char* kTitle = "Perlowan";
std::atomic<long> gLiveInstances{0};

// AddMenu reports success with the automation boolean true; a null result counts as success
// too. Any other value, an empty one included, is a refusal.
bool AddMenuSucceeded(const rt::Variant& result) {
    if (result.IsNull()) return true;
    if (const bool* b = result.Get<bool>()) return *b;
    if (result.IsString()) {
        double number = 0;
        if (rt::ParseNumericText(result.ToString(), number)) return std::nearbyint(number) == -1;
        return result.ToBool();
    }
    if (result.IsNumeric()) return result.ToLong() == -1;
    return false;
}

std::string NotImplemented() {
    return "Not implemented.";
}

}  // namespace

cITelmora::cITelmora() {
    ++gLiveInstances;
}

cITelmora::~cITelmora() {
    --gLiveInstances;
}

long cITelmora::LiveInstances() {
    return gLiveInstances;
}

void cITelmora::AppInit(const rt::ObjectRef& pobjMainApplication, bool&, std::string&) {
    mobjMainApplication = pobjMainApplication;
    rt::CallMethod(mobjMainApplication, "EventRegister",
                   static_cast<std::int32_t>(genmEvent::LanguageChange));
    gobjAddIn = shared_from_this();

    std::vector<rt::Variant> args{rt::Variant("mnuPerlowan"), rt::Variant(kTitle),
                                  rt::Variant(std::int16_t{5}), rt::Variant(std::string())};
    const rt::Variant added =
        rt::CallByName(mobjMainApplication, "AddMenu", rt::CallType::Method, args);
    if (!AddMenuSucceeded(added))
        platform::MessageBoxes().ShowMessageBox(args[3].ToString(), platform::vbOKOnly,
                                                platform::vbInformation, kTitle);
}

void cITelmora::AppEvent(std::int16_t piIDEvent) {
    if (piIDEvent != genmEvent::LanguageChange || !mobjMainApplication) return;
    frmAddIn->InitLanguage();
}

void cITelmora::AddInMenuClicked(std::string&) {
    FrmAddIn& window = frmAddIn.Get();  // creates and loads it when needed
    rt::CallMethod(mobjMainApplication, "ShowAddIn", static_cast<std::int32_t>(window.hWnd()),
                   std::string(kTitle));
    frmAddIn->Show();
}

void cITelmora::AddInHide() {
    UnloadAddInWindow();
}

void cITelmora::AppDeInit() {
    rt::CallMethod(mobjMainApplication, "EventDeRegister",
                   static_cast<std::int32_t>(genmEvent::LanguageChange));
    mobjMainApplication = nullptr;
    gobjAddIn = nullptr;
}

void cITelmora::Trace(std::string& ptText, const rt::ObjectRef& pobjMainApplication) {
    const rt::ObjectRef target = pobjMainApplication ? pobjMainApplication : mobjMainApplication;
    std::vector<rt::Variant> args{rt::Variant(ptText)};
    try {
        rt::CallByName(target, "Trace", rt::CallType::Method, args);
    } catch (const rt::RuntimeError& e) {
        // A host that cannot trace must not disturb the add-in.
        PERLOWAN_DEBUG("trace", "trace line not forwarded: error " + std::to_string(e.Number()) +
                                    " " + e.Description() + ": " + ptText);
        return;
    }
    if (args[0].IsString()) ptText = args[0].ToString();
}

std::string cITelmora::InfoDeveloper() const {
    return "Brenmark GmbH & Co. KG";
}

std::string cITelmora::InfoDescription() const {
    return "Kommunikation mit dem Perlowan-Server.";
}

bool cITelmora::TrendGetRating(rt::Variant& ptError) {
    ptError = NotImplemented();
    return false;
}

bool cITelmora::StatisticGetGraph(rt::Variant& ptError) {
    ptError = NotImplemented();
    return false;
}

namespace {

using Args = std::span<rt::Variant>;
using rt::Arg;
using rt::Variant;

// A by-reference string argument: the callee's copy, written back after the call.
class RefString {
  public:
    RefString(Args args, std::size_t index) : slot_(Arg(args, index)), text_(slot_.ToString()) {}
    ~RefString() { slot_ = text_; }
    std::string& operator*() { return text_; }

  private:
    Variant& slot_;
    std::string text_;
};

rt::ObjectRef OptionalObject(Args args, std::size_t index) {
    if (index >= args.size() || args[index].IsMissing()) return nullptr;
    return args[index].ToObject();
}

}  // namespace

const rt::DispatchTable<cITelmora>& cITelmora::Members() {
    namespace id = dispid_cITelmora;
    static const rt::DispatchTable<cITelmora> table{
        {"Trace", id::Trace,
         [](cITelmora& self, rt::CallType, Args args) {
             RefString text(args, 0);
             self.Trace(*text, OptionalObject(args, 1));
             return Variant();
         }},
        {"AppEvent", id::AppEvent,
         [](cITelmora& self, rt::CallType, Args args) {
             // The event's arguments (a variable-length list) are not looked at.
             self.AppEvent(Arg(args, 0).ToInteger());
             return Variant();
         }},
        {"AddInMenuClicked", id::AddInMenuClicked,
         [](cITelmora& self, rt::CallType, Args args) {
             RefString name(args, 0);
             self.AddInMenuClicked(*name);
             return Variant();
         }},
        {"AddInHide", id::AddInHide,
         [](cITelmora& self, rt::CallType, Args) {
             self.AddInHide();
             return Variant();
         }},
        {"AppInit", id::AppInit,
         [](cITelmora& self, rt::CallType, Args args) {
             const rt::ObjectRef host = Arg(args, 0).ToObject();
             bool cancel = Arg(args, 1).ToBool();
             RefString reason(args, 2);
             self.AppInit(host, cancel, *reason);
             // pbCancel is left as the host passed it.
             return Variant();
         }},
        {"AppDeInit", id::AppDeInit,
         [](cITelmora& self, rt::CallType, Args) {
             self.AppDeInit();
             return Variant();
         }},
        {"InfoDeveloper", id::InfoDeveloper,
         [](cITelmora& self, rt::CallType, Args) { return Variant(self.InfoDeveloper()); }},
        {"InfoDescription", id::InfoDescription,
         [](cITelmora& self, rt::CallType, Args) { return Variant(self.InfoDescription()); }},
        {"IsTrendProvider", id::IsTrendProvider,
         [](cITelmora& self, rt::CallType, Args) { return Variant(self.IsTrendProvider()); }},
        {"TrendNumberOfCategories", id::TrendNumberOfCategories,
         [](cITelmora& self, rt::CallType, Args) {
             return Variant(self.TrendNumberOfCategories());
         }},
        {"TrendGetRating", id::TrendGetRating,
         [](cITelmora& self, rt::CallType, Args args) {
             return Variant(self.TrendGetRating(Arg(args, 12)));
         }},
        {"TrendShowSettings", id::TrendShowSettings,
         [](cITelmora& self, rt::CallType, Args) {
             self.TrendShowSettings();
             return Variant();
         }},
        {"IsStatisticProvider", id::IsStatisticProvider,
         [](cITelmora& self, rt::CallType, Args) { return Variant(self.IsStatisticProvider()); }},
        {"StatisticNumberOfGraphs", id::StatisticNumberOfGraphs,
         [](cITelmora& self, rt::CallType, Args) {
             return Variant(self.StatisticNumberOfGraphs());
         }},
        {"StatisticGraphName", id::StatisticGraphName,
         [](cITelmora& self, rt::CallType, Args args) {
             return Variant(self.StatisticGraphName(Arg(args, 0).ToInteger()));
         }},
        {"StatisticGetGraph", id::StatisticGetGraph,
         [](cITelmora& self, rt::CallType, Args args) {
             return Variant(self.StatisticGetGraph(Arg(args, 9)));
         }},
        {"StatisticShowSettings", id::StatisticShowSettings,
         [](cITelmora& self, rt::CallType, Args) {
             self.StatisticShowSettings();
             return Variant();
         }},
    };
    return table;
}

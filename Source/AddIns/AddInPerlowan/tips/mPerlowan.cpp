#include "mPerlowan.h"

#include <optional>
#include <vector>

#include "CodePage.h"
#include "DateTime.h"
#include "Debug.h"
#include "Files.h"
#include "IniText.h"
#include "MessageBox.h"
#include "Text.h"
#include "cIniFile.h"
#include "cJSON.h"
#include "cPerlowanTipp.h"
#include "frmAddIn.h"
#include "mGlobSub.h"
#include "mGlobVar.h"
#include "mPerlowanStore.h"

namespace {

constexpr const char* kTitle = "Perlowan";
constexpr int kShowAllTipps = 1;  // cboTippFilter: "Alle Tipps anzeigen"

AddInInstance& RunningAddIn() {
    if (!gobjAddIn) rt::Raise(rt::err::ObjectNotSet, "mPerlowan");
    return *gobjAddIn;
}

rt::Variant Integer(int value) {
    return rt::Variant(static_cast<std::int16_t>(value));
}

std::string ErrorNumber(const rt::RuntimeError& e) {
    return std::to_string(e.Number());
}

// The tip of element `prefix` ("00000") of the reader.
cPerlowanTipp TippOf(const cJSON& json, const std::string& prefix) {
    cPerlowanTipp tipp;
    tipp.tID = json.value(prefix + "id");
    tipp.tType = json.value(prefix + "type");
    tipp.tSubType = json.value(prefix + "subType");
    tipp.tCode = json.value(prefix + "code");
    tipp.tTitle = json.value(prefix + "title");
    tipp.tText = Replace(json.value(prefix + "text"), "\\n", "\r\n");
    tipp.tTime = json.value(prefix + "time");
    tipp.tStatus = json.value(prefix + "status");
    tipp.tReference = json.value(prefix + "reference");
    return tipp;
}

// Writes the store once. The engine's writes report nothing, and a store that could not be
// written (read-only, a folder, a full disk) is left as it was, which the host must not be told is
// the new state. A new modification time shows the write; without one (a write within the same
// tick of the file system's clock, or none), the file must hold the merged text. Raises 75.
void SaveStore(cIniFile& store) {
    const std::string& path = store.IniFile();
    const std::optional<std::int64_t> before = platform::Files().ModifiedTime(path);
    store.SaveOfflineToFile();
    const std::optional<std::int64_t> after = platform::Files().ModifiedTime(path);
    if (after && after != before) return;
    if (after) {
        const std::string expected =
            rt::Utf8ToWin1252(ini::StripTrailingLineBreaks(store.IniContent()));
        try {
            if (platform::Files().ReadAll(path) == expected) return;
        } catch (const rt::RuntimeError& e) {
            PERLOWAN_DEBUG("files", "store " + path + " not read back: " + e.Description());
        }
    }
    rt::Raise(rt::err::PathFileAccessError, "mPerlowan.ProcessTipps",
              "Path/File access error: " + path + " could not be written");
}

void MergeTipps(const std::string& ptTipps) {
    FrmAddIn& window = *frmAddIn;
    cIniFile store;
    store.IniFile(StoreFilePath());
    store.Offline(true);
    std::string known = store.Load(kSectionTipps, kKeyAll, "");

    cJSON json;
    json.ParseJSONString(ptTipps, "");
    const int count = json.NumArrayElements();
    if (count <= 0) rt::Raise(rt::err::SubscriptOutOfRange, "mPerlowan.ProcessTipps");
    gtTippIds.resize(static_cast<std::size_t>(count));

    const rt::ObjectRef grid = window.TippsGrid();
    for (int i = 0; i < count; ++i) {
        const cPerlowanTipp tipp = TippOf(json, rt::FormatNumber(i, "00000"));
        known = WithKnownTipp(std::move(known), tipp.tID);
        const std::string key = StoreKey(tipp.tID);
        const std::string prefix = StatusPrefix(store.Load(kSectionTipp, key, ""));
        store.Save(kSectionTipp, key, rt::Variant(prefix + tipp.ToStorage()));
        if (prefix[0] == kTippNotRead || window.cboTippFilter.ListIndex() == kShowAllTipps) {
            rt::CallMethod(grid, "AddItem", tipp.tTime + "\t" + Replace(tipp.tText, "\r\n", "  "));
            const std::int32_t row = rt::GetProperty(grid, "Rows").ToLong() - 1;
            if (row < 0 || row >= count)
                rt::Raise(rt::err::SubscriptOutOfRange, "mPerlowan.ProcessTipps");
            gtTippIds[static_cast<std::size_t>(row)] = tipp.tID;
        }
    }
    store.Save(kSectionTipps, kKeyAll, rt::Variant(known));
    SaveStore(store);
    rt::CallMethod(RunningAddIn().MainApplication(), "ShowStatus", std::string(), true);
}

}  // namespace

std::string StoreFilePath() {
    const rt::Variant folder =
        rt::CallMethod(RunningAddIn().MainApplication(), "SettingFolderGet", std::int16_t{3});
    return folder.ToString() + std::string(kStoreFileName);
}

void ProcessTipps(std::string& ptTipps) {
    try {
        MergeTipps(ptTipps);
    } catch (const rt::RuntimeError& e) {
        const std::string reason = e.Description() + " (" + ErrorNumber(e) + ")";
        platform::MessageBoxes().ShowMessageBox(
            "Beim Verarbeiten der Perlowan-Tipps trat der folgende Fehler auf: " + reason,
            platform::vbOKOnly, platform::vbExclamation, kTitle);
        AddInInstance& addIn = RunningAddIn();
        std::string received = "Received Tipps: " + ptTipps;
        addIn.Trace(received);
        std::string parsing = "Error on parsing tipps: " + reason;
        addIn.Trace(parsing);
    }
}

void UploadPeriod(FrmAddIn& pobjForm) {
    try {
        std::vector<rt::Variant> args{
            rt::Variant(rt::FormatDate(rt::DateFromText(pobjForm.txtFrom.Text()), "ddMMyyyy")),
            rt::Variant(rt::FormatDate(rt::DateFromText(pobjForm.txtTo.Text()), "ddMMyyyy")),
            rt::Variant(std::string()), rt::Variant(std::string()), rt::Variant(std::string())};
        const bool uploaded = rt::CallByName(RunningAddIn().MainApplication(), "PerlowanUpload",
                                             rt::CallType::Method, args)
                                  .ToBool();
        std::string tipps = args[3].ToString();
        const std::string error = args[4].ToString();

        const rt::ObjectRef grid = pobjForm.TippsGrid();
        rt::CallMethod(grid, "Clear");
        rt::CallMethod(grid, "SetColHeader", Integer(0), std::string("Datum"));
        rt::CallMethod(grid, "SetColHeader", Integer(1), std::string("Tipp"));
        std::vector<rt::Variant> width{Integer(0), Integer(100)};
        rt::CallByName(grid, "ColWidth", rt::CallType::PropertyLet, width);
        rt::CallMethod(grid, "SetZoomColumn", Integer(1), Integer(400));

        if (uploaded || rt::InStr(error, "Timeout", rt::Compare::Text) != 0) ProcessTipps(tipps);
        rt::LetProperty(grid, "Redraw", rt::Variant(true));
    } catch (const rt::RuntimeError& e) {
        platform::MessageBoxes().ShowMessageBox(
            "Bei der Kommunikation bzw. der Verarbeitung der Ergebnisse vom Perlowan-Server ist "
            "ein Fehler aufgetreten: " +
                ErrorNumber(e) + " - " + e.Description(),
            platform::vbOKOnly, platform::vbExclamation, kTitle);
    }
}

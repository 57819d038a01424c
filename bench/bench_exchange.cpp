// The add-in's main job on stores of 1,000 / 10,000 / 100,000 tips, through the window as the user
// drives it: one whole exchange of 60 tips (start button to list filled and store written), one
// row selection (grdTipps_CellGotFocus) and one status click (optStatus_Click), after the tip was
// read and in a burst of clicks, each beside the I/O floor (read the store once, write it once),
// and the exchange beside the store merge alone (the engine's offline Load/Save pairs and
// SaveOfflineToFile, as bench_inifile measures it).
//
// Run: cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPERLOWAN_BENCH=ON
//      cmake --build build-bench --target bench_exchange && build-bench/bin/bench_exchange [dir]
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "BenchClock.h"
#include "CodePage.h"
#include "Dispatch.h"
#include "Files.h"
#include "InputSimulator.h"
#include "MessageBox.h"
#include "cIniFile.h"
#include "frmAddIn.h"
#include "mGlobVar.h"
#include "mPerlowanStore.h"

namespace {

constexpr int kExchangeTips = 60;
// Longer than an engine waits before it shares the parse of a file it reads (100 ms).
constexpr auto kReadingPause = std::chrono::milliseconds(150);

std::string TipId(int n) {
    return std::to_string(100000 + n * 7);
}

// The fields of a tip of about 450 bytes, as the server sends them (the text with "\n" breaks).
struct TipFields {
    std::string id, type, subType, code, title, text, time, status, reference;
};

TipFields Fields(int n, int variant) {
    return {TipId(n),
            "Hinweis",
            "Blutzucker",
            "C" + std::to_string(n % 97),
            "Ihr Blutzucker war in den letzten Tagen häufig über dem Zielbereich",
            "Am Abend lagen " + std::to_string(40 + n % 50) +
                " % der Werte über 180 mg/dl.\\nPrüfen Sie die Insulindosis zum Abendessen und "
                "besprechen Sie die Werte beim nächsten Arztbesuch. Bewegung nach dem Essen senkt "
                "den Wert spürbar.",
            "2026-0" + std::to_string(1 + n % 9) + "-1" + std::to_string(n % 10) + " 08:1" +
                std::to_string(variant % 10),
            std::to_string(variant),
            "https://perlowan.example/tipps/" + std::to_string(n)};
}

// The stored value of a tip: status digit and the ten "|"-terminated fields (UTF-8).
std::string StoredValue(const TipFields& f, char status) {
    std::string text = f.text;
    for (std::size_t at; (at = text.find("\\n")) != std::string::npos;) text.replace(at, 2, "<br>");
    return std::string(1, status) + f.id + "|" + f.type + "|" + f.subType + "|" + f.code + "|" +
           f.title + "|" + text + "|" + f.time + "||" + f.status + "|" + f.reference + "|";
}

// The store as the exchange writes it (Windows-1252): "Tipp", then "Tipps".
std::string MakeStore(int tips) {
    std::string text = "[Tipp]\r\n";
    std::string all;
    for (int i = 0; i < tips; ++i) {
        text += TipId(i) + "=" + StoredValue(Fields(i, 0), i % 3 == 0 ? '1' : '0') + "\r\n";
        all += TipId(i) + ";";
    }
    text += "\r\n[Tipps]\r\nAll=" + all;
    return rt::Utf8ToWin1252(text);
}

// The 60 tips of the exchange: half known, spread through the store, with changed data; half new.
std::vector<TipFields> ExchangeTips(int tips) {
    std::vector<TipFields> list;
    for (int i = 0; i < kExchangeTips; ++i) {
        const int n = i % 2 == 0 ? (i / 2) * (tips / 30) + 3 : tips + i;
        list.push_back(Fields(n, 1 + i));
    }
    return list;
}

std::string Json(const std::vector<TipFields>& tips) {
    std::string json = "[";
    for (const TipFields& f : tips) {
        if (json.size() > 1) json += ",";
        json += "{\"id\":\"" + f.id + "\",\"type\":\"" + f.type + "\",\"subType\":\"" + f.subType +
                "\",\"code\":\"" + f.code + "\",\"title\":\"" + f.title + "\",\"text\":\"" +
                f.text + "\",\"time\":\"" + f.time + "\",\"status\":\"" + f.status +
                "\",\"reference\":\"" + f.reference + "\"}";
    }
    return json + "]";
}

// The tips of the exchange that the store holds as unread (or does not hold yet): those listed.
int Unread(const std::vector<TipFields>& tips, int stored) {
    return static_cast<int>(std::count_if(tips.begin(), tips.end(), [&](const TipFields& f) {
        const int n = (std::stoi(f.id) - 100000) / 7;
        return n >= stored || n % 3 != 0;
    }));
}

// The store merge alone: the engine's part of ProcessTipps.
void Merge(const std::string& path, const std::vector<TipFields>& tips) {
    cIniFile ini;
    ini.IniFile(path);
    ini.Offline(true);
    std::string known = ini.Load("Tipps", "All", "");
    for (const TipFields& tip : tips) {
        known = WithKnownTipp(std::move(known), tip.id);
        const std::string key = StoreKey(tip.id);
        const std::string prefix = StatusPrefix(ini.Load("Tipp", key, ""));
        ini.Save("Tipp", key, rt::Variant(StoredValue(tip, prefix[0])));
    }
    ini.Save("Tipps", "All", rt::Variant(known));
    ini.SaveOfflineToFile();
}

void Floor(const std::string& path) {
    const std::string bytes = platform::Files().ReadAll(path);
    platform::Files().WriteAtomic(path, bytes, true);
}

// The host the window talks to: its settings folder, the upload answering with `tips`.
class BenchAddIn final : public AddInInstance {
  public:
    BenchAddIn() {
        host->Define("SettingFolderGet",
                     [this](std::span<rt::Variant>) { return rt::Variant(folder); });
        host->Define("PerlowanUpload", [this](std::span<rt::Variant> a) {
            a[3] = tips;
            return rt::Variant(true);
        });
        host->Define("ShowStatus", [this](std::span<rt::Variant>) {
            ++statusShown;
            return rt::Variant();
        });
        host->Define("LanguageString", [](std::span<rt::Variant> a) {
            return rt::Variant("text " + a[0].ToString());
        });
    }
    rt::ObjectRef MainApplication() const override { return host; }
    void Trace(std::string& text, const rt::ObjectRef&) override {
        std::fprintf(stderr, "trace: %s\n", text.c_str());
    }

    std::shared_ptr<rt::DynamicObject> host = std::make_shared<rt::DynamicObject>();
    std::string folder;
    std::string tips;
    int statusShown = 0;
};

// Any message box means the exchange failed: the figures would be of something else.
class CountingBoxes final : public platform::MessageBoxService {
  public:
    int ShowMessageBox(const std::string& prompt, int, int, const std::string&) override {
        std::fprintf(stderr, "message box: %s\n", prompt.c_str());
        ++shown;
        return platform::vbOK;
    }
    int shown = 0;
};

// The fastest of `runs` runs of `run`, each after `prepare` (untimed).
template <class Prepare, class Run>
double Best(int runs, Prepare prepare, Run run) {
    double best = 1e300;
    for (int i = 0; i < runs; ++i) {
        prepare();
        const auto start = Clock::now();
        run();
        best = std::min(best, MsSince(start));
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path dir = argc > 1
                                          ? std::filesystem::path(argv[1])
                                          : std::filesystem::temp_directory_path() /
                                                ("bench_exchange_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "Perlowan.dat").string();

    auto addIn = std::make_shared<BenchAddIn>();
    addIn->folder = dir.string() + "/";
    gobjAddIn = addIn;
    auto boxes = std::make_shared<CountingBoxes>();
    rt::ScopedRole<platform::MessageBoxService> boxesRole(boxes);
    FrmAddIn& window = *frmAddIn;
    window.Show();
    window.Move(0, 0, 12045, 6915);

    bool allMet = true, failed = false;
    std::printf(
        "The window's exchange of %d tips (half known, half new), a row selection and a status "
        "click, beside the I/O floor and the store merge alone\n",
        kExchangeTips);
    for (const int tips : {1000, 10000, 100000}) {
        const std::string store = MakeStore(tips);
        const std::vector<TipFields> list = ExchangeTips(tips);
        addIn->tips = Json(list);
        const double mb = static_cast<double>(store.size()) / 1e6;
        const int runs = tips >= 100000 ? 3 : 9;
        const auto fresh = [&] { platform::Files().WriteAtomic(path, store, true); };

        const double floor = Best(runs, fresh, [&] { Floor(path); });
        const double merge = Best(runs, fresh, [&] { Merge(path, list); });
        const int shownBefore = addIn->statusShown;
        const double exchange =
            Best(runs, fresh, [&] { forms::input::Click(window.cmdStartExport); });
        if (addIn->statusShown != shownBefore + runs || boxes->shown != 0 ||
            window.grdTipps.Rows() != Unread(list, tips)) {
            std::fprintf(stderr, "the exchange on %d tips did not list and store its tips\n", tips);
            failed = true;
        }

        // Rows of the list, in turn: every selection reads the store of its own.
        int row = 0;
        const double select = Best(
            10, [] {},
            [&] {
                std::int16_t col = 1, r = static_cast<std::int16_t>(row++ % window.grdTipps.Rows());
                window.grdTipps_CellGotFocus(col, r);
            });
        // The selected tip, marked read and unread in turn: each click opens its engine, reads the
        // entry, writes the status and saves the whole store. A person selects the row and reads
        // the tip first, so the store was not written in the same instant and the selection's
        // parse of it is the one the click finds (untimed); the burst clicks follow each other
        // at once, each right after the last write, and so read and parse the store afresh.
        int click = 0;
        const auto selectAndRead = [&] {
            std::this_thread::sleep_for(kReadingPause);
            std::int16_t col = 1, r = 0;
            window.grdTipps_CellGotFocus(col, r);
        };
        const double status =
            Best(runs, selectAndRead, [&] { forms::input::Click(window.optStatus[++click % 2]); });
        const double burst = Best(
            runs, [] {}, [&] { forms::input::Click(window.optStatus[++click % 2]); });
        const std::string id = window.optStatus[0].Tag();
        cIniFile check;
        check.IniFile(path);
        if (id.empty() ||
            check.Load("Tipp", StoreKey(id), "").substr(0, 1) != std::to_string(click % 2)) {
            std::fprintf(stderr, "the status click on %d tips did not reach the store\n", tips);
            failed = true;
        }

        std::printf(
            "  %6d tips, %5.1f MB: exchange %8.2f ms, store merge %8.2f ms (%.2fx), I/O floor "
            "%7.2f ms (%.2fx)\n"
            "                         row selection %7.2f ms (%.2fx floor), status click %7.2f "
            "ms (%.2fx floor), clicks in a burst %7.2f ms (%.2fx floor)\n",
            tips, mb, exchange, merge, exchange / merge, floor, exchange / floor, select,
            select / floor, status, status / floor, burst, burst / floor);
        std::printf(
            "BENCH exchange_%d store_mb=%.1f exchange_ms=%.2f merge_ms=%.2f ratio_merge=%.2f "
            "floor_ms=%.2f ratio_floor=%.2f\n",
            tips, mb, exchange, merge, exchange / merge, floor, exchange / floor);
        std::printf("BENCH select_%d store_mb=%.1f select_ms=%.3f floor_ms=%.2f ratio_floor=%.2f\n",
                    tips, mb, select, floor, select / floor);
        std::printf(
            "BENCH status_click_%d store_mb=%.1f click_ms=%.2f floor_ms=%.2f ratio_floor=%.2f "
            "burst_ms=%.2f burst_ratio_floor=%.2f\n",
            tips, mb, status, floor, status / floor, burst, burst / floor);
        if (exchange > 1.5 * merge) allMet = false;
        if (tips == 10000 && select >= 5) allMet = false;
        if (status > 2 * floor) allMet = false;
    }

    UnloadAddInWindow();
    gobjAddIn = nullptr;
    std::filesystem::remove_all(dir);
    std::printf(
        "targets (exchange within 1.5x of the merge, selection under 5 ms at 10,000 tips, click "
        "within 2x of the floor) %s\n",
        allMet ? "met" : "NOT met");
    return failed ? 1 : 0;
}

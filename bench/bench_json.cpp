// Speed of the flat JSON reader: the biggest tips text it accepts, side by side with a general JSON
// library turning the same text into one map per tip, and long single objects and bad input that
// must cost linear time.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "CodePage.h"
#include "RuntimeError.h"
#include "cJSON.h"

namespace {

using Clock = std::chrono::steady_clock;

// Best of `rounds` runs of `work`, in microseconds; the best run is the least disturbed one on a
// machine shared with other work.
double BestMicros(int rounds, const std::function<void()>& work) {
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        const auto start = Clock::now();
        work();
        const std::chrono::duration<double, std::micro> took = Clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

std::string Tip(int i) {
    return R"({"id":")" + std::to_string(100000 + i) +
           R"(","type":"hint","subType":"glucose","code":"GL-)" + std::to_string(i % 17) +
           R"(","title":"Blutzucker nach dem Frühstück, Woche )" + std::to_string(i) +
           R"(","text":"Ihre Werte nach dem Frühstück lagen an 4 von 7 Tagen über dem Zielbereich.\n)"
           R"(Prüfen Sie Menge und Zeitpunkt [Broteinheiten] der ersten Mahlzeit.","time":"0)" +
           std::to_string(1 + i % 9) +
           R"(.05.2024 10:30","status":"new","reference":"https://perlowan.example/tipps/)" +
           std::to_string(i) + R"("})";
}

// The largest array of tips whose inner part stays within 32,767 characters.
std::string TipsText(int& tips) {
    std::string inner;
    for (tips = 0;; ++tips) {
        std::string next = inner + (tips ? "," : "") + Tip(tips);
        if (rt::CharCount(next) > 32767) break;
        inner = std::move(next);
    }
    return "[" + inner + "]";
}

std::vector<std::map<std::string, std::string>> WithNlohmann(const std::string& text) {
    std::vector<std::map<std::string, std::string>> tips;
    for (const auto& element : nlohmann::json::parse(text)) {
        auto& tip = tips.emplace_back();
        for (const auto& [key, value] : element.items())
            tip[key] = value.is_string() ? value.get<std::string>() : value.dump();
    }
    return tips;
}

std::string SingleObject(std::size_t bytes) {
    std::string text = "{";
    for (std::size_t i = 0; text.size() < bytes; ++i)
        text += "\"key" + std::to_string(i) + R"(":"Wert, mit Komma: und [Klammer] )" +
                std::to_string(i) + "\",";
    text.back() = '}';
    return text;
}

// Parses and tells the error number, 0 for none.
int Parse(cJSON& reader, const std::string& text) {
    try {
        reader.ParseJSONString(text);
    } catch (const rt::RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

void BenchTips() {
    int tips = 0;
    const std::string text = TipsText(tips);
    cJSON reader;
    if (Parse(reader, text) != 0 || reader.NumArrayElements() != tips) {
        std::printf("tips text not read as %d tips\n", tips);
        return;
    }
    if (WithNlohmann(text).size() != static_cast<std::size_t>(tips)) return;
    // A new reader per run, as the tips processing creates one for each download.
    const double ours = BestMicros(20000, [&] {
        cJSON fresh;
        Parse(fresh, text);
    });
    const double theirs = BestMicros(3000, [&] { WithNlohmann(text); });
    std::printf("tips text: %zu characters, %d tips, %d entries\n", rt::CharCount(text), tips,
                reader.NumElements());
    std::printf("  cJSON::ParseJSONString        %8.1f us\n", ours);
    std::printf("  nlohmann::json, map per tip   %8.1f us\n", theirs);
    std::printf(
        "BENCH tips_32k chars=%zu tips=%d ours_us=%.1f nlohmann_us=%.1f target_us=50 mb_s=%.0f\n",
        rt::CharCount(text), tips, ours, theirs, text.size() / ours);
}

// Best time to parse one text of about `bytes`, handed over with its ownership as a caller does
// that no longer needs it; the copy for each round is made outside the timing.
double ParseMs(cJSON& reader, const std::string& text, int rounds, int& error) {
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        std::string copy = text;
        const auto start = Clock::now();
        try {
            error = 0;
            reader.ParseJSONString(std::move(copy));
        } catch (const rt::RuntimeError& e) {
            error = e.Number();
        }
        const std::chrono::duration<double, std::milli> took = Clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

// Linear time shows as about twice the time for twice the text; both sizes are beyond the caches.
void BenchLinear(const char* name, const std::function<std::string(std::size_t)>& make) {
    const std::string half = make(5u << 20), big = make(10u << 20);
    cJSON reader;
    int error = 0;
    const double halfMs = ParseMs(reader, half, 3, error);
    const double bigMs = ParseMs(reader, big, 3, error);
    std::printf("%s: 5 MB %.2f ms, 10 MB %.2f ms (error %d)\n", name, halfMs, bigMs, error);
    std::printf(
        "BENCH %s ours_ms=%.2f ours_5mb_ms=%.2f ratio_10_to_5=%.2f mb_s=%.0f error=%d "
        "target_ms=100\n",
        name, bigMs, halfMs, bigMs / halfMs, big.size() / 1e3 / bigMs, error);
}

// Milliseconds per megabyte of single objects from 2 to 16 MB, each with a new reader: a time
// that grows faster than the text would show as a rising figure.
void BenchScaling() {
    std::printf("BENCH object_scaling");
    for (const std::size_t mb : {2, 4, 8, 16}) {
        const std::string text = SingleObject(mb << 20);
        cJSON reader;
        int error = 0;
        std::printf(" ms_per_mb_%zumb=%.2f", mb, ParseMs(reader, text, 3, error) / mb);
    }
    std::printf("\n");
}

}  // namespace

int main() {
    BenchTips();
    BenchLinear("object_10mb", SingleObject);
    BenchScaling();
    BenchLinear("brackets_10mb", [](std::size_t n) { return "{" + std::string(n, '[') + "}"; });
    BenchLinear("quotes_10mb", [](std::size_t n) { return "{a:" + std::string(n, '"') + "}"; });
    BenchLinear("colons_10mb", [](std::size_t n) { return "{" + std::string(n, ':') + "}"; });
    BenchLinear("breaks_10mb", [](std::size_t n) {
        std::string text = "{a:1";
        while (text.size() < n) text += "\r\n\t";
        return text + "}";
    });
    BenchLinear("array_over_limit_10mb", [](std::size_t n) {
        std::string text = "[";
        while (text.size() < n) text += "{\"a\":1},";
        text.back() = ']';
        return text;
    });
    return 0;
}

// The registry work of a host start on stores of 1,000 / 100,000 / 1,000,000 keys: a fresh
// process's registry (nothing cached) looks up the add-in's programmatic identifier, as the host
// does before it loads the library. Then the same lookup again (the parsed store is cached), one
// added key (a whole-store rewrite), and the parse of a store whose keys are listed in shuffled
// order (insertion into the tree).
//
// Run: cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DPERLOWAN_BENCH=ON
//      -DPERLOWAN_TESTS=OFF && cmake --build build-bench --target bench_registry
//      build-bench/bin/bench_registry [folder] [largest key count]
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "AddInLoader.h"
#include "Registry.h"
#include "RegistryFormat.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace reg = platform::reg;

double MsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Processor time of this process, which a busy machine inflates less than the elapsed time.
double CpuMs() {
    timespec ts{};
    ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

std::string ClassId(std::size_t i) {
    char text[64];
    std::snprintf(text, sizeof text, "{%08zX-5A17-4C3E-9B1D-%012zX}", i, i * 7919);
    return text;
}

// The store of the classes root with `keys` keys: one registered add-in among classes with their
// library key, the way registrations fill it.
std::string StoreText(std::size_t keys, std::size_t addIn) {
    platform::regfile::Key root;
    const platform::FileTime time = platform::FileTime::FromTicks(133'000'000'000'000'000ULL);
    auto& progId = platform::regfile::AddSubKey(root, "Perlowan.cITelmora", time);
    auto& clsidKey = platform::regfile::AddSubKey(progId, "Clsid", time);
    clsidKey.values.push_back({"", "", reg::Sz, ClassId(addIn)});
    auto& classes = platform::regfile::AddSubKey(root, "CLSID", time);
    for (std::size_t i = 0; classes.subKeys.size() * 2 + 3 < keys; ++i) {
        auto& cls = platform::regfile::AddSubKey(classes, ClassId(i), time);
        cls.values.push_back({"", "", reg::Sz, "Class " + std::to_string(i)});
        auto& server = platform::regfile::AddSubKey(cls, "InprocServer32", time);
        server.values.push_back({"", "", reg::Sz, "/opt/addins/lib" + std::to_string(i) + ".so"});
    }
    return platform::regfile::Serialize(root, "HKEY_CLASSES_ROOT");
}

// The same store with its key blocks in random order.
std::string Shuffled(const std::string& text) {
    std::vector<std::string> blocks;
    std::size_t start = text.find('\n') + 1;
    while (start < text.size()) {
        std::size_t end = text.find("\n[", start);
        end = end == std::string::npos ? text.size() : end + 1;
        blocks.push_back(text.substr(start, end - start));
        start = end;
    }
    std::shuffle(blocks.begin(), blocks.end(), std::mt19937(7));
    std::string out = "# shuffled\n";
    for (const auto& b : blocks) out += b;
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const fs::path folder =
        argc > 1 ? fs::path(argv[1])
                 : fs::temp_directory_path() /
                       ("perlowan-bench-registry-" + std::to_string(static_cast<long>(::getpid())));
    const std::size_t largest = argc > 2 ? std::strtoul(argv[2], nullptr, 10) : 1'000'000;
    fs::create_directories(folder);
    for (const std::size_t keys :
         {std::size_t{1000}, std::size_t{100'000}, std::size_t{1'000'000}}) {
        if (keys > largest) break;
        const std::string text = StoreText(keys, keys / 3);
        {
            std::ofstream out(folder / "HKEY_CLASSES_ROOT.txt", std::ios::binary);
            out << text;
        }
        std::printf("%zu keys, store of %.1f MB\n", keys, static_cast<double>(text.size()) / 1e6);

        // A new process: a registry role that has read nothing yet.
        rt::ScopedRole<platform::Registry> role(platform::MakeFileRegistry(folder.string()));
        auto start = Clock::now();
        double cpu = CpuMs();
        const telmora::Registration found = telmora::LookUpProgId("Perlowan.cITelmora");
        const double startMs = MsSince(start);
        if (found.libraryPath.empty()) return 1;
        std::printf("BENCH registry_start keys=%zu ms=%.1f cpu_ms=%.1f\n", keys, startMs,
                    CpuMs() - cpu);

        start = Clock::now();
        telmora::LookUpProgId("Perlowan.cITelmora");
        std::printf("BENCH registry_lookup_again keys=%zu ms=%.2f\n", keys, MsSince(start));

        start = Clock::now();
        cpu = CpuMs();
        platform::HKey key = 0;
        auto& registry = platform::SystemRegistry();
        if (registry.CreateKey(reg::ClassesRoot, "Bench.Added\\Clsid", reg::KeyAllAccess, key,
                               nullptr) != reg::Success ||
            registry.SetValue(key, "", reg::Sz, ClassId(1)) != reg::Success)
            return 1;
        registry.CloseKey(key);
        std::printf("BENCH registry_add_key keys=%zu ms=%.1f cpu_ms=%.1f\n", keys, MsSince(start),
                    CpuMs() - cpu);

        const std::string shuffled = Shuffled(text);
        platform::regfile::Key tree;
        std::string problem;
        start = Clock::now();
        cpu = CpuMs();
        if (!platform::regfile::Parse(shuffled, tree, problem)) {
            std::printf("shuffled store rejected: %s\n", problem.c_str());
            return 1;
        }
        std::printf("BENCH registry_parse_shuffled keys=%zu ms=%.1f cpu_ms=%.1f\n", keys,
                    MsSince(start), CpuMs() - cpu);
    }
    if (argc <= 1) fs::remove_all(folder);
    return 0;
}

#include "IniSharedParse.h"

#include <algorithm>
#include <chrono>
#include <utility>
#include <vector>

namespace ini::shared_parse {

namespace {

struct Entry {
    std::string path;
    std::shared_ptr<const SharedParse> parse;
};

struct Registry {
    bool enabled = true;
    std::vector<Entry> entries;  // the one used last at the back
};

Registry& Local() {
    thread_local Registry registry;
    return registry;
}

constexpr std::int64_t kSecondNs = 1'000'000'000;

// Time stamps are taken from a clock that advances in ticks (up to 10 ms on Linux, up to 2 s on
// some file systems; whole-second stamps tell of the latter). A stamp at least this old cannot
// be given again by a later write.
std::int64_t ResolutionMarginNs(const platform::FileStamp& stamp) {
    const bool wholeSeconds = stamp.modifiedNs % kSecondNs == 0 && stamp.changedNs % kSecondNs == 0;
    return wholeSeconds ? 3 * kSecondNs : 100'000'000;
}

}  // namespace

std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

std::shared_ptr<const SharedParse> Find(const std::string& path, const platform::FileStamp& stamp) {
    Registry& registry = Local();
    if (!registry.enabled) return nullptr;
    const auto it = std::find_if(registry.entries.begin(), registry.entries.end(),
                                 [&](const Entry& e) { return e.path == path; });
    if (it == registry.entries.end()) return nullptr;
    if (!(it->parse->stamp == stamp)) {
        registry.entries.erase(it);
        return nullptr;
    }
    std::rotate(it, it + 1, registry.entries.end());
    return registry.entries.back().parse;
}

void Keep(const std::string& path, std::shared_ptr<const SharedParse> parse,
          std::int64_t readStartNs) {
    Registry& registry = Local();
    if (!registry.enabled) return;
    Forget(path);
    const std::int64_t newest = std::max(parse->stamp.modifiedNs, parse->stamp.changedNs);
    if (readStartNs - newest < ResolutionMarginNs(parse->stamp)) return;
    if (registry.entries.size() >= kCapacity) registry.entries.erase(registry.entries.begin());
    registry.entries.push_back({path, std::move(parse)});
}

void Forget(const std::string& path) {
    auto& entries = Local().entries;
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const Entry& e) { return e.path == path; }),
                  entries.end());
}

std::size_t Count() {
    return Local().entries.size();
}

ScopedDisable::ScopedDisable() : was_(Local().enabled) {
    Local().enabled = false;
    Local().entries.clear();
}

ScopedDisable::~ScopedDisable() {
    Local().enabled = was_;
}

}  // namespace ini::shared_parse

#pragma once
// A keyed collection of texts in insertion order; keys compare ignoring letter case.
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rt {

class Collection {
  public:
    // Raises 457 when the key is already there.
    void Add(std::string item, std::string_view key = {});
    // Index from 1; raises 9 outside 1..Count.
    const std::string& Item(std::int32_t index) const;
    // Raises 5 for an unknown key.
    const std::string& Item(std::string_view key) const;
    bool Exists(std::string_view key) const;
    // Raises 9 / 5 as Item does.
    void Remove(std::int32_t index);
    void Remove(std::string_view key);
    std::int32_t Count() const noexcept { return static_cast<std::int32_t>(items_.size()); }
    void Clear() noexcept;

  private:
    struct Entry {
        std::string item;
        std::string key;  // empty: added without a key
    };
    std::size_t IndexOfKey(std::string_view key) const;  // npos when absent
    void Reindex();
    std::vector<Entry> items_;
    std::unordered_map<std::string, std::size_t> byFoldedKey_;
};

}  // namespace rt

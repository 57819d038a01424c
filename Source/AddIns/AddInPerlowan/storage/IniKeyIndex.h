#pragma once
// Maps the key of each line (the text before its first "=", letter case folded) to the first line
// that has it. Lines are named by an id; the owner gives the key of an id when asked, so the
// index holds no copies of the texts.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "IniText.h"
#include "Text.h"

namespace ini {

class KeyIndex {
  public:
    // Adds `id` under `key` unless the key is already there (the first line of a key wins).
    template <class KeyOf>
    void Add(std::string_view key, std::size_t id, KeyOf keyOf) {
        if ((count_ + 1) * 2 > slots_.size()) Grow(keyOf);
        const std::uint64_t hash = FoldHash(key);
        std::size_t at = hash & (slots_.size() - 1);
        for (; slots_[at].used; at = (at + 1) & (slots_.size() - 1)) {
            if (slots_[at].hash == hash && rt::TextEquals(keyOf(slots_[at].id), key)) return;
        }
        slots_[at] = Slot{hash, id, true};
        ++count_;
    }

    // Room for `count` keys without growing.
    void Reserve(std::size_t count) {
        std::size_t size = 16;
        while (size < count * 2 + 2) size *= 2;
        if (size > slots_.size()) {
            std::vector<Slot> old(size);
            old.swap(slots_);
            for (const Slot& s : old) {
                if (!s.used) continue;
                std::size_t at = s.hash & (slots_.size() - 1);
                while (slots_[at].used) at = (at + 1) & (slots_.size() - 1);
                slots_[at] = s;
            }
        }
    }

    template <class KeyOf>
    std::optional<std::size_t> Find(std::string_view key, KeyOf keyOf) const {
        if (slots_.empty()) return std::nullopt;
        const std::uint64_t hash = FoldHash(key);
        for (std::size_t at = hash & (slots_.size() - 1); slots_[at].used;
             at = (at + 1) & (slots_.size() - 1)) {
            if (slots_[at].hash == hash && rt::TextEquals(keyOf(slots_[at].id), key))
                return slots_[at].id;
        }
        return std::nullopt;
    }

  private:
    struct Slot {
        std::uint64_t hash = 0;
        std::size_t id = 0;
        bool used = false;
    };

    template <class KeyOf>
    void Grow(KeyOf) {
        std::vector<Slot> old(std::max<std::size_t>(16, slots_.size() * 2));
        old.swap(slots_);
        for (const Slot& s : old) {
            if (!s.used) continue;
            std::size_t at = s.hash & (slots_.size() - 1);
            while (slots_[at].used) at = (at + 1) & (slots_.size() - 1);
            slots_[at] = s;
        }
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

// The key of a line: the text before its first "=", or nothing without one.
inline std::optional<std::string_view> LineKey(std::string_view line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return line.substr(0, eq);
}

}  // namespace ini

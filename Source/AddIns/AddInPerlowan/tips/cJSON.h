#pragma once
// Reader for the flat JSON that carries the tips: one object, or an array of objects whose members
// are scalars, read into a table of texts keyed by member name. Not a general JSON parser: it does
// not nest and does not decode escapes; it cuts the text at quote, comma and colon characters.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class cJSON {
  public:
    cJSON() = default;
    // The entries refer into the text of their parse, so a reader is neither copied nor moved.
    cJSON(const cJSON&) = delete;
    cJSON& operator=(const cJSON&) = delete;

    // Reads `ptJSONString` into a fresh table. A non-empty `ptTrennzeichen` becomes the quote
    // character, for this and every later parse. Keys of array elements carry the element's index
    // as five digits ("00012title"). On failure the entries read so far are kept.
    // Raises 5 when a text that is not an array has no "}" or its first "}" stands before its
    // first "{"; 457 when a key repeats (letter case ignored); 9 for an array whose inner part is
    // empty or longer than 32,767 characters.
    void ParseJSONString(std::string ptJSONString, std::string_view ptTrennzeichen = {});

    // Elements of the last array parsed; 0 for a new reader, unchanged by a single object.
    std::int16_t NumArrayElements() const noexcept { return numArrayElements_; }
    // Entries of the last parse. Raises 6 when there are more than 32,767.
    std::int16_t NumElements() const;
    // The text stored under `ptKey` (letter case ignored); "" when there is none. Never raises.
    std::string value(std::string_view ptKey) const;

  private:
    struct Entry {
        std::string foldedKey;
        std::size_t hash;
        std::string_view value;
    };

    class Scanner;
    void AddEntry(std::string_view prefix, std::string_view key, std::string_view value);
    void InsertPending();
    void Insert(Entry&& entry);
    std::size_t FindSlot(std::string_view foldedKey, std::size_t hash) const;
    void Reserve(std::size_t entries);
    void Grow();

    std::string quote_ = "\"";
    std::int16_t numArrayElements_ = 0;
    // The texts of the last parse; entries hold views into them.
    std::string text_;
    std::vector<std::string> pieces_;
    std::vector<Entry> entries_;
    static constexpr std::size_t kSlotsInCache = 1 << 14;
    static constexpr std::size_t kPendingKeys = 16;
    std::vector<Entry> pending_;  // read, not yet in the table
    // A slot holds the upper half of its key's hash and its entry's index + 1, so that probing
    // rarely has to look at the entries; 0 = free. The count of slots is a power of two.
    static std::uint64_t TagOf(std::size_t hash) { return std::uint64_t{hash} >> 32 & 0xFFFFFFFFu; }
    static std::uint64_t SlotOf(std::size_t entry, std::size_t hash) {
        return TagOf(hash) << 32 | (entry + 1);
    }
    static std::size_t EntryOf(std::uint64_t slot) { return (slot & 0xFFFFFFFFu) - 1; }
    std::vector<std::uint64_t> slots_;
};

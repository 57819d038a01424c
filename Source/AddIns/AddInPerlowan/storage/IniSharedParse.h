#pragma once
// The parse of an unchanged 8-bit file, shared by the engines that read it one after another
// (the add-in window opens an engine for every event). An entry is used only while the file's
// stamp (modification and change time in nanoseconds, size, device, inode) is exactly the one it
// was read under, so a write, a replacement by rename or a deletion makes it unusable; every
// write through an engine drops the entry at once.
//
// A file whose stamp is younger than the file system's time resolution when it is read could be
// changed again within the same time tick without its stamp changing: such a parse is not kept.
// Shared parts are never edited: an engine that edits its section cache copies it first.
// The entries belong to the thread that made them, as the engines do (the host's UI thread).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "Files.h"
#include "IniSectionCache.h"

namespace ini {

struct SharedParse {
    platform::FileStamp stamp;
    std::shared_ptr<const std::string> bytes;  // the file's Windows-1252 bytes
    std::shared_ptr<SectionCache> sections;    // views into `bytes`
    std::string sectionList;                   // as the cache build gives it
};

namespace shared_parse {

// At most this many files are kept; the one used longest ago goes first.
inline constexpr std::size_t kCapacity = 4;

// The entry of `path`, when it was read under exactly `stamp`.
std::shared_ptr<const SharedParse> Find(const std::string& path, const platform::FileStamp& stamp);
// Keeps `parse` for `path` unless its stamp is too young: `readStartNs` is the wall-clock time
// (nanoseconds since 1970) taken before the stamp and the bytes were read.
void Keep(const std::string& path, std::shared_ptr<const SharedParse> parse,
          std::int64_t readStartNs);
void Forget(const std::string& path);
std::size_t Count();
std::int64_t NowNs();

// Turns sharing off while it lives (entries are dropped), for comparisons and measurements.
class ScopedDisable {
  public:
    ScopedDisable();
    ~ScopedDisable();
    ScopedDisable(const ScopedDisable&) = delete;
    ScopedDisable& operator=(const ScopedDisable&) = delete;

  private:
    bool was_;
};

}  // namespace shared_parse
}  // namespace ini

// A tip record read from arbitrary storage text and written back: the storage text it writes reads
// back to the same record, so a second round changes nothing.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "CodePage.h"
#include "RuntimeError.h"
#include "cPerlowanTipp.h"

namespace {

// The record's storage text after reading `storage`; false when the text is too long to split.
bool RoundTrip(const std::string& storage, std::string& written) {
    cPerlowanTipp record;
    try {
        record.FromStorage(storage);
    } catch (const rt::RuntimeError& e) {
        if (e.Number() != 9 || rt::CharCount(storage) <= 32767) std::abort();
        return false;
    }
    written = record.ToStorage();
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string storage(reinterpret_cast<const char*>(data), size);
    std::string once, twice;
    if (!RoundTrip(storage, once)) return 0;
    if (!RoundTrip(once, twice)) return 0;
    if (once != twice) std::abort();
    return 0;
}

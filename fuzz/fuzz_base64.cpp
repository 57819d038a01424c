// Decode of arbitrary text: a result or error 9, never anything else; and every byte sequence
// comes back from its own encoding.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "CodePage.h"
#include "RuntimeError.h"
#include "cBase64.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const cBase64 coder;
    std::string text(reinterpret_cast<const char*>(data), size);
    try {
        coder.Decode(text);
    } catch (const rt::RuntimeError& e) {
        if (e.Number() != rt::err::SubscriptOutOfRange) std::abort();
    }
    std::string encoded = coder.EncodeBytes({data, size});
    if (encoded.size() != (size + 2) / 3 * 4) std::abort();
    if (rt::Utf8ToWin1252(coder.Decode(encoded)) !=
        std::string(reinterpret_cast<const char*>(data), size))
        std::abort();
    return 0;
}

// The registry store's text form on arbitrary bytes: a text that parses is written back, and that
// text parses again and is written back byte for byte the same; what fails to parse says where.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "RegistryFormat.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    platform::regfile::Key root;
    std::string problem;
    if (!platform::regfile::Parse(text, root, problem)) {
        Check(problem.starts_with("line "));
        return 0;
    }
    const std::string written = platform::regfile::Serialize(root, "HKEY_CURRENT_USER");
    platform::regfile::Key again;
    Check(platform::regfile::Parse(written, again, problem));
    Check(platform::regfile::Serialize(again, "HKEY_CURRENT_USER") == written);
    return 0;
}

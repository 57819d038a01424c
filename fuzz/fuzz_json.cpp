// The flat JSON reader on arbitrary bytes: every input is read by its rules or fails with one of
// its own errors, within linear time.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "RuntimeError.h"
#include "cJSON.h"

namespace {

struct Answer {
    int error = 0;
    int arrayElements = 0;
    int elements = 0;
    std::string values;
};

Answer ParseAndCheck(cJSON& reader, const std::string& text, std::string_view quote) {
    Answer answer;
    try {
        reader.ParseJSONString(text, quote);
    } catch (const rt::RuntimeError& e) {
        if (e.Number() != 5 && e.Number() != 9 && e.Number() != 457) std::abort();
        answer.error = e.Number();
    }
    answer.arrayElements = reader.NumArrayElements();
    if (answer.arrayElements < 0) std::abort();
    try {
        answer.elements = reader.NumElements();
        if (answer.elements < 0) std::abort();
    } catch (const rt::RuntimeError& e) {
        if (e.Number() != 6) std::abort();
        answer.elements = -1;
    }
    for (const char* key : {"id", "a", "00000id", "00000a", "00001id", ""})
        answer.values += reader.value(key) + '\n';
    return answer;
}

std::string ReplaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    std::size_t start = 0;
    for (std::size_t at = text.find(from); at != std::string_view::npos;
         start = at + from.size(), at = text.find(from, start))
        out.append(text.substr(start, at - start)).append(to);
    return out.append(text.substr(start));
}

// A quote character of two bytes takes another path through the reader than '"'; with the one
// exchanged for the other in a text that holds neither byte of it, both answer alike.
void CompareQuotePaths(const std::string& text, const Answer& plain) {
    if (text.find_first_of("\xC2\xAB") != std::string::npos) return;
    cJSON reader;
    Answer other = ParseAndCheck(reader, ReplaceAll(text, "\"", "\u00AB"), "\u00AB");
    other.values = ReplaceAll(other.values, "\u00AB", "\"");
    if (other.error != plain.error || other.arrayElements != plain.arrayElements ||
        other.elements != plain.elements || other.values != plain.values)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    cJSON reader;
    CompareQuotePaths(text, ParseAndCheck(reader, text, {}));
    // The first byte as quote character, kept for the second parse.
    if (size > 0) {
        ParseAndCheck(reader, text.substr(1), text.substr(0, 1));
        ParseAndCheck(reader, text, {});
    }
    return 0;
}

// The HTTP role's text handling on arbitrary bytes. The first part of the input is a request's
// header lines as a caller passes them, the rest an answer's head, one received line per LF.
// Headers: every kept line names a header once, holds a ":", no line break, and adding the kept
// lines again changes nothing. Answer: the status code is what the digits after the first blank
// say, the reason text is trimmed UTF-8, and the head ends at a blank line unless the status so
// far is informational (1xx); a new status line opens it again.
#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "CodePage.h"
#include "HttpHead.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckHeaders(std::string_view lines) {
    std::vector<std::string> headers{"Content-Type: text/xml"};
    platform::http::AddHeaderLines(headers, lines);
    std::set<std::string> names;
    std::string joined;
    for (const std::string& h : headers) {
        Check(h.find(':') != std::string::npos);
        Check(h.find('\n') == std::string::npos);
        Check(!h.empty() && h.back() != '\r');
        Check(names.insert(platform::http::HeaderName(h)).second);
        joined += h + "\r\n";
    }
    std::vector<std::string> again = headers;
    platform::http::AddHeaderLines(again, joined);
    Check(again == headers);
}

void CheckAnswer(std::string_view answer) {
    platform::http::ResponseHead head;
    while (!answer.empty()) {
        const std::size_t lf = answer.find('\n');
        const std::string_view line =
            answer.substr(0, lf == std::string_view::npos ? answer.size() : lf + 1);
        answer.remove_prefix(line.size());
        const bool wasDone = head.done;
        // Only an informational (1xx) status keeps the head open at a blank line; no readable
        // status counts as final.
        const bool informational = head.statusCode >= 100 && head.statusCode < 200;
        head.OnLine(line);
        const std::string_view bare = platform::http::WithoutLineEnd(line);
        if (bare.starts_with("HTTP/")) {
            Check(!head.done);
            Check(head.statusCode >= 0 && head.statusCode <= 999999);
            // The code is the leading digits of the second word.
            std::string_view word = bare.substr(std::min(bare.find(' '), bare.size()));
            word.remove_prefix(std::min(word.find_first_not_of(' '), word.size()));
            word = word.substr(0, std::min(word.find(' '), word.size()));
            std::int64_t digits = 0;
            for (const char c : word) {
                if (c < '0' || c > '9' || digits > 99999) break;
                digits = digits * 10 + (c - '0');
            }
            Check(head.statusCode == digits);
            const std::string& text = head.statusText;
            Check(text.empty() || (text.front() != ' ' && text.back() != ' '));
            Check(rt::Win1252ToUtf8(rt::Utf8ToWin1252(text)) == text);
        } else if (bare.empty()) {
            Check(head.done == (wasDone || !informational));
        } else {
            Check(head.done == wasDone);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // A NUL byte separates the request's header lines from the answer; without one, the input is
    // both.
    const std::size_t nul = input.find('\0');
    CheckHeaders(input.substr(0, nul));
    CheckAnswer(nul == std::string_view::npos ? input : input.substr(nul + 1));
    return 0;
}

#pragma once
// The text handling of the HTTP role, apart from the transfer: the request's header lines as a
// caller adds them, and the answer's status line and header lines as they arrive.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace platform::http {

// The line without its trailing CR and LF characters.
std::string_view WithoutLineEnd(std::string_view line);

// The header's name before the first ":", trimmed and lower-cased.
std::string HeaderName(std::string_view line);

// Adds header lines separated by LF (a CR before it dropped); each replaces a header of the same
// name added before. Lines without ":" and blank lines are ignored.
void AddHeaderLines(std::vector<std::string>& headers, std::string_view lines);

// The answer's head, fed one received line at a time (with or without its line end).
struct ResponseHead {
    std::int32_t statusCode = 0;  // 0 while no status line arrived
    std::string statusText;       // the reason text, trimmed, as UTF-8
    bool done = false;            // the blank line after a final answer's headers arrived

    // "HTTP/1.0 404 Not Found": the code after the first blank, the reason after the next. A new
    // status line (after "100 Continue") starts a new head.
    void OnLine(std::string_view line);
};

}  // namespace platform::http

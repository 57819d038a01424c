#include "HttpHead.h"

#include <algorithm>

#include "CodePage.h"
#include "Text.h"

namespace platform::http {

std::string_view WithoutLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return line;
}

std::string HeaderName(std::string_view line) {
    const std::size_t colon = line.find(':');
    return rt::LCase(rt::Trim(line.substr(0, colon)));
}

void AddHeaderLines(std::vector<std::string>& headers, std::string_view lines) {
    while (!lines.empty()) {
        const std::size_t lf = lines.find('\n');
        const std::string_view line =
            WithoutLineEnd(lines.substr(0, lf == std::string_view::npos ? lines.size() : lf + 1));
        lines.remove_prefix(lf == std::string_view::npos ? lines.size() : lf + 1);
        if (rt::Trim(line).empty() || line.find(':') == std::string_view::npos) continue;
        const std::string name = HeaderName(line);
        std::erase_if(headers, [&](const std::string& h) { return HeaderName(h) == name; });
        headers.emplace_back(line);
    }
}

void ResponseHead::OnLine(std::string_view received) {
    const std::string_view line = WithoutLineEnd(received);
    if (line.starts_with("HTTP/")) {
        std::string_view rest = line.substr(std::min(line.find(' '), line.size()));
        rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
        const std::size_t end = std::min(rest.find(' '), rest.size());
        std::int32_t code = 0;
        for (const char c : rest.substr(0, end)) {
            if (c < '0' || c > '9' || code > 99999) break;
            code = code * 10 + (c - '0');
        }
        statusCode = code;
        statusText = rt::Win1252ToUtf8(rt::Trim(rest.substr(end)));
        done = false;
    } else if (line.empty() && (statusCode >= 200 || statusCode < 100)) {
        done = true;
    }
}

}  // namespace platform::http

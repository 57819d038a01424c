#include "Text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <system_error>

#include "CodePage.h"
#include "Regional.h"
#include "RuntimeError.h"

namespace rt {

namespace {

std::size_t NextCharEnd(std::string_view text, std::size_t pos) noexcept {
    if (static_cast<unsigned char>(text[pos]) < 0x80) return pos + 1;
    DecodeUtf8(text, pos);
    return pos;
}

char32_t LowerOf(char32_t cp) noexcept {
    if (cp >= 'A' && cp <= 'Z') return cp + 32;
    if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) return cp + 32;
    switch (cp) {
        case 0x160:
            return 0x161;
        case 0x152:
            return 0x153;
        case 0x17D:
            return 0x17E;
        case 0x178:
            return 0xFF;
        default:
            return cp;
    }
}

char32_t UpperOf(char32_t cp) noexcept {
    if (cp >= 'a' && cp <= 'z') return cp - 32;
    if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 32;
    switch (cp) {
        case 0x161:
            return 0x160;
        case 0x153:
            return 0x152;
        case 0x17E:
            return 0x17D;
        case 0xFF:
            return 0x178;
        default:
            return cp;
    }
}

template <class Map>
std::string MapCase(std::string_view text, Map map) {
    std::string out(text);
    if (IsAscii(text)) {
        for (char& c : out) c = static_cast<char>(map(static_cast<unsigned char>(c)));
        return out;
    }
    for (std::size_t pos = 0; pos < text.size();) {
        const auto b = static_cast<unsigned char>(text[pos]);
        if (b < 0x80) {
            out[pos] = static_cast<char>(map(b));
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        const char32_t cp = DecodeUtf8(text, pos);
        const char32_t mapped = map(cp);
        if (mapped != cp) {
            std::string enc;
            AppendUtf8(enc, mapped);
            if (enc.size() == pos - start) out.replace(start, enc.size(), enc);
        }
    }
    return out;
}

inline unsigned char AsciiLower(unsigned char c) noexcept {
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

// Folding keeps byte lengths and folds ASCII only to ASCII, so texts compare byte by byte while
// both are ASCII, and only the rest from the first other character goes through LCase.
bool FoldEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if ((x | y) >= 0x80) return LCase(a.substr(i)) == LCase(b.substr(i));
        if (AsciiLower(x) != AsciiLower(y)) return false;
    }
    return true;
}

std::size_t FindFolded(std::string_view text, std::string_view find, std::size_t from) {
    if (from > text.size()) return std::string_view::npos;
    if (find.empty()) return from;
    if (!IsAscii(find)) {
        // A character outside ASCII may fold to another first byte: fold the text once.
        const std::string low = LCase(text.substr(from));
        const std::size_t at = low.find(LCase(find));
        return at == std::string::npos ? std::string_view::npos : from + at;
    }
    // An ASCII character folds only to ASCII, so an ASCII match is a byte-for-byte folded match.
    const unsigned char lo = AsciiLower(static_cast<unsigned char>(find[0]));
    const unsigned char up = (lo >= 'a' && lo <= 'z') ? static_cast<unsigned char>(lo - 32) : lo;
    const std::string_view rest = find.substr(1);
    for (std::size_t i = from; i + find.size() <= text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c != lo && c != up) {
            if (lo != up) continue;
            const std::size_t span = text.size() - find.size() + 1 - i;
            const void* hit = std::memchr(text.data() + i, lo, span);
            if (!hit) return std::string_view::npos;
            i = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        }
        if (FoldEquals(text.substr(i + 1, rest.size()), rest)) return i;
    }
    return std::string_view::npos;
}

bool IsDigit(char c) noexcept {
    return c >= '0' && c <= '9';
}

// The shortest text of `value` with up to `digits` significant digits, "%G"-style: exponent form
// below 1E-4 and from 1E+digits on. Written without the C library's locale.
std::string GeneralText(double value, int digits) {
    char buf[64];
    const auto result =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, digits);
    std::string text(buf, result.ptr);
    for (char& c : text)
        if (c == 'e') c = 'E';
    return text;
}

void RequireStart(std::int32_t start) {
    if (start < 1) Raise(err::InvalidProcedureCall);
}

}  // namespace

std::size_t FindText(std::string_view text, std::string_view find, std::size_t from,
                     Compare compare) {
    if (compare == Compare::Text) return FindFolded(text, find, from);
    if (from > text.size()) return std::string_view::npos;
    return text.find(find, from);
}

std::size_t FindLastText(std::string_view text, std::string_view find, std::size_t lastStart,
                         Compare compare) {
    if (compare == Compare::Binary) return text.rfind(find, lastStart);
    const std::string low = LCase(text);
    return std::string_view(low).rfind(LCase(find), lastStart);
}

bool StartsWithText(std::string_view text, std::string_view prefix, Compare compare) {
    return text.size() >= prefix.size() &&
           TextEquals(text.substr(0, prefix.size()), prefix, compare);
}

bool EndsWithText(std::string_view text, std::string_view suffix, Compare compare) {
    return text.size() >= suffix.size() &&
           TextEquals(text.substr(text.size() - suffix.size()), suffix, compare);
}

std::size_t ByteOffsetOfChar(std::string_view text, std::int32_t charPos) noexcept {
    std::size_t pos = 0;
    for (std::int32_t i = 1; i < charPos && pos < text.size(); ++i) pos = NextCharEnd(text, pos);
    return pos;
}

std::int32_t CharPosOfByte(std::string_view text, std::size_t byteOffset) noexcept {
    std::int32_t chars = 1;
    for (std::size_t pos = 0; pos < byteOffset && pos < text.size(); ++chars)
        pos = NextCharEnd(text, pos);
    return chars;
}

std::int32_t Len(std::string_view text) noexcept {
    return static_cast<std::int32_t>(CharCount(text));
}

std::string Left(std::string_view text, std::int32_t length) {
    if (length < 0) Raise(err::InvalidProcedureCall);
    return std::string(text.substr(0, ByteOffsetOfChar(text, length + 1)));
}

std::string Right(std::string_view text, std::int32_t length) {
    if (length < 0) Raise(err::InvalidProcedureCall);
    const std::int32_t total = Len(text);
    if (length >= total) return std::string(text);
    return std::string(text.substr(ByteOffsetOfChar(text, total - length + 1)));
}

std::string Mid(std::string_view text, std::int32_t start, std::int32_t length) {
    RequireStart(start);
    if (length < -1) Raise(err::InvalidProcedureCall);
    const std::size_t from = ByteOffsetOfChar(text, start);
    if (from >= text.size()) return {};
    const std::string_view rest = text.substr(from);
    if (length == -1) return std::string(rest);
    return std::string(rest.substr(0, ByteOffsetOfChar(rest, length + 1)));
}

std::int32_t InStr(std::int32_t start, std::string_view text, std::string_view find,
                   Compare compare) {
    RequireStart(start);
    const std::int32_t total = Len(text);
    if (start > total + (find.empty() ? 1 : 0)) return 0;
    if (find.empty()) return start;
    const std::size_t at = FindText(text, find, ByteOffsetOfChar(text, start), compare);
    return at == std::string_view::npos ? 0 : CharPosOfByte(text, at);
}

std::int32_t InStr(std::string_view text, std::string_view find, Compare compare) {
    return InStr(1, text, find, compare);
}

std::int32_t InStrRevClassic(std::string_view text, std::string_view find, std::int32_t start,
                             Compare compare) {
    if (start == 0 || start < -1) Raise(err::InvalidProcedureCall);
    const std::int32_t total = Len(text);
    if (start == -1) start = total;
    if (find.empty()) return start > total ? 0 : start;
    if (start > total) return 0;
    // The match must end at or before the character `start`.
    const std::size_t endByte = ByteOffsetOfChar(text, start + 1);
    if (find.size() > endByte) return 0;
    const std::size_t at = FindLastText(text, find, endByte - find.size(), compare);
    return at == std::string_view::npos ? 0 : CharPosOfByte(text, at);
}

std::string LCase(std::string_view text) {
    return MapCase(text, LowerOf);
}
std::string UCase(std::string_view text) {
    return MapCase(text, UpperOf);
}

int StrComp(std::string_view a, std::string_view b, Compare compare) {
    int r;
    if (compare == Compare::Binary)
        r = a.compare(b);
    else
        r = LCase(a).compare(LCase(b));
    return (r > 0) - (r < 0);
}

bool TextEquals(std::string_view a, std::string_view b, Compare compare) {
    if (compare == Compare::Binary) return a == b;
    return FoldEquals(a, b);
}

std::string LTrim(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string_view::npos ? std::string() : std::string(text.substr(first));
}

std::string RTrim(std::string_view text) {
    const std::size_t last = text.find_last_not_of(' ');
    return last == std::string_view::npos ? std::string() : std::string(text.substr(0, last + 1));
}

std::string Trim(std::string_view text) {
    return LTrim(RTrim(text));
}

bool ParseDecimalText(std::string_view text, double& out) noexcept {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    double v = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), v);
    if (result.ptr != text.data() + text.size()) return false;
    if (result.ec == std::errc::result_out_of_range) {
        // Too small reads as zero, too large is no number.
        const std::size_t e = text.find_first_of("eE");
        const std::string_view mantissa = text.substr(0, e);
        const std::size_t firstDigit = mantissa.find_first_of("123456789");
        if (firstDigit == std::string_view::npos) {
            v = 0;
        } else {
            const std::size_t dot = std::min(mantissa.find('.'), mantissa.size());
            long magnitude = firstDigit < dot ? static_cast<long>(dot - firstDigit) - 1
                                              : -static_cast<long>(firstDigit - dot);
            if (e != std::string_view::npos) {
                long exponent = 0;
                std::string_view digits = text.substr(e + 1);
                const bool down = !digits.empty() && digits.front() == '-';
                if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
                    digits.remove_prefix(1);
                for (const char c : digits) exponent = std::min(exponent * 10 + (c - '0'), 100000L);
                magnitude += down ? -exponent : exponent;
            }
            if (magnitude >= 0) return false;
            v = 0;
        }
    } else if (result.ec != std::errc() || !std::isfinite(v)) {
        return false;
    }
    out = negative ? -v : v;
    return true;
}

double Val(std::string_view text) noexcept {
    // The classic reader ignores blanks, tabs and line feeds anywhere in the number.
    std::string compact;
    compact.reserve(std::min<std::size_t>(text.size(), 64));
    for (const char c : text) {
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r') continue;
        compact += c;
        if (compact.size() > 400) break;
    }
    if (compact.size() >= 2 && compact[0] == '&') {
        const char kind = static_cast<char>(compact[1] | 0x20);
        const int base = kind == 'h' ? 16 : kind == 'o' ? 8 : 0;
        if (base == 0) return 0;
        std::int64_t v = 0;
        std::size_t i = 2;
        for (; i < compact.size(); ++i) {
            const char c = static_cast<char>(compact[i] | 0x20);
            int digit;
            if (c >= '0' && c <= '9')
                digit = c - '0';
            else if (base == 16 && c >= 'a' && c <= 'f')
                digit = c - 'a' + 10;
            else
                break;
            if (digit >= base) break;
            v = v * base + digit;
            if (v > 0xFFFFFFFFLL) break;
        }
        // Up to four hex digits read as a 16-bit and up to eight as a 32-bit signed value.
        if (base == 16 && i - 2 <= 4 && v > 0x7FFF) return static_cast<double>(v - 0x10000);
        if (v > 0x7FFFFFFF && v <= 0xFFFFFFFFLL) return static_cast<double>(v - 0x100000000LL);
        return static_cast<double>(v);
    }
    std::string number;
    std::size_t i = 0;
    if (i < compact.size() && (compact[i] == '+' || compact[i] == '-')) number += compact[i++];
    bool digits = false;
    while (i < compact.size() && IsDigit(compact[i])) number += compact[i++], digits = true;
    if (i < compact.size() && compact[i] == '.') {
        number += compact[i++];
        while (i < compact.size() && IsDigit(compact[i])) number += compact[i++], digits = true;
    }
    if (!digits) return 0;
    if (i < compact.size() &&
        (compact[i] == 'e' || compact[i] == 'E' || compact[i] == 'd' || compact[i] == 'D')) {
        std::string exponent = "e";
        std::size_t j = i + 1;
        if (j < compact.size() && (compact[j] == '+' || compact[j] == '-'))
            exponent += compact[j++];
        bool expDigits = false;
        while (j < compact.size() && IsDigit(compact[j]))
            exponent += compact[j++], expDigits = true;
        if (expDigits) number += exponent;
    }
    double v = 0;
    return ParseDecimalText(number, v) ? v : 0;
}

std::string NumberText(double value) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
    if (value == 0) return "0";
    std::string s = GeneralText(value, 15);
    const std::size_t e = s.find('E');
    std::string mantissa = e == std::string::npos ? s : s.substr(0, e);
    std::string exponent = e == std::string::npos ? "" : s.substr(e);
    if (mantissa.find('.') != std::string::npos) {
        while (!mantissa.empty() && mantissa.back() == '0') mantissa.pop_back();
        if (!mantissa.empty() && mantissa.back() == '.') mantissa.pop_back();
    }
    if (!exponent.empty()) {
        // "E+05" -> "E+5", as the classic conversion writes exponents.
        const char sign = exponent[1];
        std::string digits = exponent.substr(2);
        while (digits.size() > 1 && digits[0] == '0') digits.erase(0, 1);
        exponent = std::string("E") + sign + digits;
    }
    return mantissa + exponent;
}

std::string RegionalNumberText(double value) {
    std::string text = NumberText(value);
    const char sign = CurrentRegion().decimalSign;
    if (sign != '.') {
        if (const std::size_t dot = text.find('.'); dot != std::string::npos) text[dot] = sign;
    }
    return text;
}

std::string Str(double value) {
    std::string s = NumberText(value);
    // Str writes fractions without the leading zero: " .5", "-.25".
    if (s.rfind("0.", 0) == 0) s.erase(0, 1);
    if (s.rfind("-0.", 0) == 0) s.erase(1, 1);
    return (value >= 0 || std::isnan(value)) ? " " + s : s;
}

std::string FormatNumber(double value, std::string_view pattern) {
    if (!std::isfinite(value)) return NumberText(value);
    const auto isPlace = [](char c) { return c == '0' || c == '#'; };
    const auto places = [](std::string_view part, auto pred) {
        return static_cast<std::size_t>(std::count_if(part.begin(), part.end(), pred));
    };
    const std::size_t dot = pattern.find('.');
    const std::string_view intPattern = pattern.substr(0, dot);
    const std::string_view fracPattern =
        dot == std::string_view::npos ? std::string_view() : pattern.substr(dot + 1);
    const auto isZero = [](char c) { return c == '0'; };
    const std::size_t decimals = places(fracPattern, isPlace);
    const std::size_t shownDecimals = places(fracPattern, isZero);
    const std::size_t shownDigits = places(intPattern, isZero);

    // The largest double has 309 integer digits.
    std::string digits(320 + decimals, '\0');
    const auto written =
        std::to_chars(digits.data(), digits.data() + digits.size(), std::fabs(value),
                      std::chars_format::fixed, static_cast<int>(decimals));
    digits.resize(static_cast<std::size_t>(written.ptr - digits.data()));
    std::string fraction;
    if (const std::size_t p = digits.find('.'); p != std::string::npos) {
        fraction = digits.substr(p + 1);
        digits.erase(p);
    }
    const bool negative =
        value < 0 && (digits + fraction).find_first_not_of('0') != std::string::npos;
    if (digits == "0") digits.clear();
    if (digits.size() < shownDigits) digits.insert(0, shownDigits - digits.size(), '0');
    if (intPattern.find(',') != std::string_view::npos) {
        for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, 1, ',');
    }
    // "#" places after the "0" places show only digits that are not trailing zeros.
    while (fraction.size() > shownDecimals && fraction.back() == '0') fraction.pop_back();

    // Characters before the first and after the last digit place are copied around the number.
    const std::size_t firstPlace = std::min(intPattern.find_first_of("0#"), intPattern.size());
    const std::size_t lastPlace = intPattern.find_last_of("0#");
    std::string out = negative ? "-" : "";
    out.append(intPattern.substr(0, firstPlace));
    out.append(digits);
    if (lastPlace != std::string_view::npos) out.append(intPattern.substr(lastPlace + 1));
    if (dot != std::string_view::npos) out.append(".").append(fraction);
    return out;
}

}  // namespace rt

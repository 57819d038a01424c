#pragma once
// Conversions between the system's UTF-8 text and the 8-bit code page (Windows-1252) and UTF-16LE
// used at its boundaries: INI files, Base64, the SOAP wire and the registry.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace rt {

// Decodes one UTF-8 sequence at `pos` and advances `pos`. A malformed or truncated sequence
// yields U+FFFD and advances by one byte, so every input makes progress.
char32_t DecodeUtf8(std::string_view text, std::size_t& pos) noexcept;
void AppendUtf8(std::string& out, char32_t cp);

// Number of characters (code points) of a UTF-8 text; a malformed byte counts as one.
std::size_t CharCount(std::string_view text) noexcept;

// True when every byte is below 0x80: such a text reads the same as UTF-8 and in the code page.
// Checked 64 bytes at a time, so that a text with other characters is recognised at its first
// block; inline, since the coders call it on every piece.
inline bool IsAscii(std::string_view text) noexcept {
    constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
    std::size_t i = 0;
    for (; i + 64 <= text.size(); i += 64) {
        std::uint64_t high = 0;
        for (std::size_t k = 0; k < 64; k += 8) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + i + k, 8);
            high |= word;
        }
        if ((high & kHighBits) != 0) return false;
    }
    std::uint64_t high = 0;
    for (; i < text.size(); ++i) high |= static_cast<unsigned char>(text[i]);
    return (high & 0x80) == 0;
}

// Windows-1252 <-> Unicode for one character. All 256 bytes map; the five bytes the code page
// leaves undefined (81, 8D, 8F, 90, 9D) map to the C1 controls of the same value, as Windows does.
char32_t Win1252ToUnicode(unsigned char byte) noexcept;
// -1 when the character has no byte in the code page.
int UnicodeToWin1252(char32_t cp) noexcept;

std::string Win1252ToUtf8(std::string_view bytes);
// The UTF-8 text of `count` code-page bytes written at `out`, for callers that convert piece by
// piece into a buffer of their own. The conversion stores whole words, up to 32 bytes past the
// end of the text; Win1252ToUtf8Room(count) bytes at `out` always suffice. Returns the end of the
// text.
inline constexpr std::size_t Win1252ToUtf8Room(std::size_t count) noexcept {
    return 3 * count + 32;
}
char* Win1252ToUtf8(const unsigned char* bytes, std::size_t count, char* out) noexcept;

// Characters the code page cannot represent become "?".
std::string Utf8ToWin1252(std::string_view text);
void AppendWin1252(std::string& out, std::string_view text);

// UTF-16LE bytes <-> UTF-8. An odd trailing byte is ignored; unpaired surrogates become U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes);
std::string Utf8ToUtf16Le(std::string_view text);
// Bytes of the UTF-16LE form of a UTF-8 text, and that form written at `out` (which has room for
// them); returns the end of the form. Inline: builders call them for every small piece.
inline std::size_t Utf16LeByteCount(std::string_view text) noexcept {
    std::size_t bytes = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        if (static_cast<unsigned char>(text[pos]) < 0x80) {
            ++pos;
            bytes += 2;
            continue;
        }
        bytes += DecodeUtf8(text, pos) >= 0x10000 ? 4 : 2;
    }
    return bytes;
}

// One code unit at `out`; returns the place after it. The pointer travels by value: stores through
// a byte pointer could otherwise alias a pointer variable the compiler would have to reload.
inline std::uint8_t* PutUtf16LeUnit(std::uint8_t* out, char32_t unit) noexcept {
    out[0] = static_cast<std::uint8_t>(unit & 0xFF);
    out[1] = static_cast<std::uint8_t>((unit >> 8) & 0xFF);
    return out + 2;
}

inline std::uint8_t* WriteUtf16Le(std::string_view text, std::uint8_t* out) noexcept {
    for (std::size_t pos = 0; pos < text.size();) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80) {
            out = PutUtf16LeUnit(out, lead);
            ++pos;
            continue;
        }
        const char32_t cp = DecodeUtf8(text, pos);
        if (cp >= 0x10000) {
            out = PutUtf16LeUnit(out, 0xD800 + ((cp - 0x10000) >> 10));
            out = PutUtf16LeUnit(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out = PutUtf16LeUnit(out, cp);
        }
    }
    return out;
}

}  // namespace rt

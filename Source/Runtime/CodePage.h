#pragma once
// Conversions between the system's UTF-8 text and the 8-bit code page (Windows-1252) and UTF-16LE
// used at its boundaries: INI files, Base64, the SOAP wire and the registry.
#include <cstddef>
#include <cstdint>
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
bool IsAscii(std::string_view text) noexcept;

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
// them); returns the end of the form.
std::size_t Utf16LeByteCount(std::string_view text) noexcept;
std::uint8_t* WriteUtf16Le(std::string_view text, std::uint8_t* out) noexcept;

}  // namespace rt

#pragma once
// The classic text routines on UTF-8 text. Positions and lengths count characters, from 1.
#include <cstdint>
#include <string>
#include <string_view>

namespace rt {

enum class Compare : std::int16_t { Binary = 0, Text = 1 };

// Characters of the text (not bytes).
std::int32_t Len(std::string_view text) noexcept;

// Raises 5 for a negative length or a start below 1.
std::string Left(std::string_view text, std::int32_t length);
std::string Right(std::string_view text, std::int32_t length);
std::string Mid(std::string_view text, std::int32_t start, std::int32_t length = -1);

// Position (from 1) of `find` in `text` at or after `start`; 0 when absent. An empty `find`
// gives `start` (0 past the end). Raises 5 for a start below 1.
std::int32_t InStr(std::int32_t start, std::string_view text, std::string_view find,
                   Compare compare = Compare::Binary);
std::int32_t InStr(std::string_view text, std::string_view find, Compare compare = Compare::Binary);
// Last position of `find` that starts at or before `start` (-1 = from the end); 0 when absent.
// Raises 5 for a start of 0 or below -1.
std::int32_t InStrRevClassic(std::string_view text, std::string_view find, std::int32_t start = -1,
                             Compare compare = Compare::Binary);

// Byte offset of `find` in `text` at or after the byte offset `from`, with the chosen comparison;
// npos when absent (also for a `from` past the end). An empty `find` is found at `from`.
std::size_t FindText(std::string_view text, std::string_view find, std::size_t from = 0,
                     Compare compare = Compare::Text);
// Byte offset of the last `find` that starts at or before the byte offset `lastStart`; npos when
// absent.
std::size_t FindLastText(std::string_view text, std::string_view find, std::size_t lastStart,
                         Compare compare = Compare::Text);
bool StartsWithText(std::string_view text, std::string_view prefix,
                    Compare compare = Compare::Text);
bool EndsWithText(std::string_view text, std::string_view suffix, Compare compare = Compare::Text);

// Letter case over the whole Windows-1252 repertoire (ASCII, Latin-1, Š/š, Œ/œ, Ž/ž, Ÿ/ÿ).
// Other characters are left as they are. Both keep the byte length of the text.
std::string LCase(std::string_view text);
std::string UCase(std::string_view text);
// Equality with the chosen comparison.
bool TextEquals(std::string_view a, std::string_view b, Compare compare = Compare::Text);
// -1, 0 or 1.
int StrComp(std::string_view a, std::string_view b, Compare compare = Compare::Binary);

// Blanks (spaces) only, as the classic routines trim.
std::string LTrim(std::string_view text);
std::string RTrim(std::string_view text);
std::string Trim(std::string_view text);

// The numeric value of the text's leading number: blanks, tabs and line feeds are skipped,
// "&H"/"&O" prefixes read hexadecimal and octal; a text without a leading number gives 0.
// Reads "." as the decimal sign whatever the process locale or the regional settings say.
double Val(std::string_view text) noexcept;
// A whole text of optional sign, digits, "." and exponent, read without the C library's locale;
// false when it is not one or its value is too large (a too small value reads as 0).
bool ParseDecimalText(std::string_view text, double& out) noexcept;

// Number to text as the classic conversion writes it: up to 15 significant digits, no trailing
// zeros, "." as decimal sign whatever the process locale, a leading zero before it ("0.5"),
// exponent form only for very large or small values.
std::string NumberText(double value);
// NumberText with the decimal sign of the user's regional settings, as CStr writes a number.
std::string RegionalNumberText(double value);
// Str(): NumberText without the leading zero of a fraction, with a leading blank for values
// that are not negative: " .5", "-.25", " 3".
std::string Str(double value);

// Numeric formatting with a digit pattern: "0" is a digit that always shows, "#" one that shows
// when significant, one "." for the decimals, "," in the integer part for thousands grouping;
// characters before the first and after the last digit place are copied.
// FormatNumber(42, "00000") gives "00042".
std::string FormatNumber(double value, std::string_view pattern);

// Byte offset of the character at position `charPos` (from 1); text.size() past the end.
std::size_t ByteOffsetOfChar(std::string_view text, std::int32_t charPos) noexcept;
// Character position (from 1) of the byte offset.
std::int32_t CharPosOfByte(std::string_view text, std::size_t byteOffset) noexcept;

}  // namespace rt

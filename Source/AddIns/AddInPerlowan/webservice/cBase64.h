#pragma once
// Base64 in the standard alphabet with closing "=" and without line breaks. Texts pass through the
// 8-bit code page (Windows-1252) on their way to and from bytes.
#include <cstdint>
#include <span>
#include <string>

// The coding tables are shared by every object; an object has no state of its own.
class cBase64 {
  public:
    cBase64();

    // The text's bytes in the 8-bit code page, encoded; characters the code page lacks become "?".
    std::string Encode(std::string& ptStringToDecode) const;

    std::string EncodeBytes(std::span<const std::uint8_t> pbyIn) const;

    // The decoded bytes read as 8-bit text. The input is not validated: characters outside the
    // alphabet count as 0 and line breaks are not skipped. A length that is not a multiple of
    // four gives a short result, or raises 9 when the groups would reach past the input's end or
    // past the result.
    std::string Decode(std::string& ptText) const;
};

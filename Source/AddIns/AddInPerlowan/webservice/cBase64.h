#pragma once
// Base64 in the standard alphabet with closing "=" and without line breaks. Texts pass through the
// 8-bit code page (Windows-1252) on their way to and from bytes.
#include <array>
#include <cstdint>
#include <span>
#include <string>

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

  private:
    std::array<std::uint8_t, 64> encodeTable_{};
    std::array<std::uint8_t, 256> decodeTable_{};
    // Derived lookup tables: two characters per 12 bits, and each character's bits already in
    // their place within the three output bytes.
    std::array<std::uint16_t, 4096> encodePairs_{};
    std::array<std::array<std::uint32_t, 256>, 4> decodeShifted_{};
};

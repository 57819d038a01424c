#pragma once
// Collects text piece by piece in a growing buffer of UTF-16LE code units, so that long texts are
// not rebuilt by repeated concatenation.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class cStringBuilder {
  public:
    cStringBuilder();

    // Appends the text. The buffer grows only when the text does not fit, and then to the bytes in
    // use plus the text's bytes plus 1024.
    void Add(std::string_view value);

    // The buffer's byte at `plIndex`; bytes beyond the text are 0.
    // Raises 9 when the index lies outside the buffer.
    std::uint8_t ByteChar(std::int32_t plIndex) const;

    // Bytes in use: twice the number of UTF-16 code units added.
    std::int32_t NumChars() const noexcept { return static_cast<std::int32_t>(used_); }

    // Exactly the texts added so far, in order.
    std::string ToString() const;

  private:
    std::vector<std::uint8_t> buffer_;
    std::size_t used_ = 0;
};

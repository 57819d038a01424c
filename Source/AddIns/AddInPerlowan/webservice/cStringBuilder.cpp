#include "cStringBuilder.h"

#include <algorithm>
#include <cstring>

#include "CodePage.h"
#include "RuntimeError.h"

namespace {

constexpr std::size_t kInitialBytes = 1024;
constexpr std::size_t kGrowthSlack = 1024;

// Bytes of the UTF-16LE form of the text.
std::size_t Utf16Bytes(std::string_view value) noexcept {
    std::size_t bytes = 0;
    for (std::size_t pos = 0; pos < value.size();) {
        const auto lead = static_cast<unsigned char>(value[pos]);
        if (lead < 0x80) {
            ++pos;
            bytes += 2;
            continue;
        }
        bytes += rt::DecodeUtf8(value, pos) >= 0x10000 ? 4 : 2;
    }
    return bytes;
}

std::uint8_t* PutUnit(std::uint8_t* out, char32_t unit) noexcept {
    out[0] = static_cast<std::uint8_t>(unit & 0xFF);
    out[1] = static_cast<std::uint8_t>((unit >> 8) & 0xFF);
    return out + 2;
}

void WriteUtf16(std::string_view value, std::uint8_t* out) noexcept {
    for (std::size_t pos = 0; pos < value.size();) {
        const auto lead = static_cast<unsigned char>(value[pos]);
        if (lead < 0x80) {
            out = PutUnit(out, lead);
            ++pos;
            continue;
        }
        const char32_t cp = rt::DecodeUtf8(value, pos);
        if (cp >= 0x10000) {
            out = PutUnit(out, 0xD800 + ((cp - 0x10000) >> 10));
            out = PutUnit(out, 0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            out = PutUnit(out, cp);
        }
    }
}

}  // namespace

cStringBuilder::cStringBuilder() : buffer_(kInitialBytes, 0) {}

void cStringBuilder::Add(std::string_view value) {
    const std::size_t length = Utf16Bytes(value);
    if (length == 0) return;
    if (used_ + length > buffer_.size()) {
        const std::size_t newSize = used_ + length + kGrowthSlack;
        // The visible buffer follows the growth rule exactly; the storage behind it grows
        // geometrically so that millions of small additions stay linear.
        if (newSize > buffer_.capacity())
            buffer_.reserve(std::max(newSize, buffer_.capacity() * 2));
        buffer_.resize(newSize, 0);
    }
    WriteUtf16(value, buffer_.data() + used_);
    used_ += length;
}

std::uint8_t cStringBuilder::ByteChar(std::int32_t plIndex) const {
    if (plIndex < 0 || static_cast<std::size_t>(plIndex) >= buffer_.size())
        rt::Raise(rt::err::SubscriptOutOfRange, "cStringBuilder");
    return buffer_[static_cast<std::size_t>(plIndex)];
}

std::string cStringBuilder::ToString() const {
    return rt::Utf16LeToUtf8(
        std::string_view(reinterpret_cast<const char*>(buffer_.data()), used_));
}

#include "cStringBuilder.h"

#include <algorithm>
#include <cstring>

#include "CodePage.h"
#include "RuntimeError.h"

namespace {

constexpr std::size_t kInitialBytes = 1024;
constexpr std::size_t kGrowthSlack = 1024;

}  // namespace

cStringBuilder::cStringBuilder() : buffer_(kInitialBytes, 0) {}

void cStringBuilder::Add(std::string_view value) {
    const std::size_t length = rt::Utf16LeByteCount(value);
    if (length == 0) return;
    if (used_ + length > buffer_.size()) {
        const std::size_t newSize = used_ + length + kGrowthSlack;
        // The visible buffer follows the growth rule exactly; the storage behind it grows
        // geometrically so that millions of small additions stay linear.
        if (newSize > buffer_.capacity())
            buffer_.reserve(std::max(newSize, buffer_.capacity() * 2));
        buffer_.resize(newSize, 0);
    }
    rt::WriteUtf16Le(value, buffer_.data() + used_);
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

#include "cBase64.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <string_view>

#include "CodePage.h"
#include "RuntimeError.h"

namespace {

constexpr std::string_view kAlphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool IsAscii(std::string_view text) noexcept {
    std::size_t i = 0;
    std::uint64_t high = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        high |= word;
    }
    for (; i < text.size(); ++i) high |= static_cast<unsigned char>(text[i]);
    return (high & 0x8080808080808080ull) == 0;
}

std::uint64_t LoadBigEndian64(const std::uint8_t* p) noexcept {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    if constexpr (std::endian::native == std::endian::little) word = __builtin_bswap64(word);
    return word;
}

void StoreLittleEndian(char* out, std::uint64_t value, std::size_t bytes) noexcept {
    if constexpr (std::endian::native == std::endian::big)
        value = __builtin_bswap64(value) >> (64 - 8 * bytes);
    std::memcpy(out, &value, bytes);
}

// UTF-8 forms of all 256 bytes of the code page: up to three bytes packed from the low end.
struct Utf8Forms {
    std::array<std::uint32_t, 256> packed{};
    std::array<std::uint8_t, 256> length{};
    Utf8Forms() {
        for (std::size_t b = 0; b < 256; ++b) {
            std::string form;
            rt::AppendUtf8(form, rt::Win1252ToUnicode(static_cast<unsigned char>(b)));
            length[b] = static_cast<std::uint8_t>(form.size());
            for (std::size_t i = 0; i < form.size(); ++i)
                packed[b] |= static_cast<std::uint32_t>(static_cast<unsigned char>(form[i]))
                             << (8 * i);
            if constexpr (std::endian::native == std::endian::big)
                packed[b] = __builtin_bswap32(packed[b]);
        }
    }
};

bool HasHighByte(std::uint64_t word) noexcept {
    return (word & 0x8080808080808080ull) != 0;
}

// The 8-bit text of the bytes as UTF-8. Decoded data can be large and random: runs of ASCII are
// copied eight bytes at a time, other bytes looked up without branches. The result is built from
// small cache-resident pieces, so its memory is written once.
std::string Win1252BytesToUtf8(std::string_view bytes) {
    static const Utf8Forms forms;
    const std::size_t n = bytes.size();
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    std::size_t length = 0;
    std::size_t at = 0;
    for (; at + 8 <= n; at += 8) {
        std::uint64_t word;
        std::memcpy(&word, in + at, 8);
        if (!HasHighByte(word)) {
            length += 8;
            continue;
        }
        for (std::size_t k = at; k < at + 8; ++k) length += forms.length[in[k]];
    }
    for (; at < n; ++at) length += forms.length[in[at]];
    if (length == n) return std::string(bytes);

    constexpr std::size_t kPieceBytes = 1024;
    // Three bytes at most per byte, and room for a four-byte store of the last one.
    char piece[3 * kPieceBytes + 8];
    std::string out;
    out.reserve(length);
    std::size_t i = 0;
    while (i < n) {
        char* o = piece;
        const std::size_t end = std::min(n, i + kPieceBytes);
        while (i < end) {
            if (i + 8 <= end) {
                std::uint64_t word;
                std::memcpy(&word, in + i, 8);
                if (!HasHighByte(word)) {
                    std::memcpy(o, &word, 8);
                    o += 8;
                    i += 8;
                    continue;
                }
            }
            const std::size_t wordEnd = std::min(end, i + 8);
            for (; i < wordEnd; ++i) {
                std::memcpy(o, &forms.packed[in[i]], 4);
                o += forms.length[in[i]];
            }
        }
        out.append(piece, static_cast<std::size_t>(o - piece));
    }
    return out;
}

// Two characters per lookup, indexed by the pair's bytes (first in the low byte): the bits of
// characters 1-2 and of characters 3-4 of a group in their places within the three output bytes.
// Derived from the shifted single-character tables; the same for every coder.
struct PairTables {
    std::array<std::uint32_t, 65536> front{}, back{};
    explicit PairTables(const std::array<std::array<std::uint32_t, 256>, 4>& d) {
        for (std::size_t pair = 0; pair < 65536; ++pair) {
            front[pair] = d[0][pair & 0xFF] | d[1][pair >> 8];
            back[pair] = d[2][pair & 0xFF] | d[3][pair >> 8];
        }
    }
};

std::uint64_t LoadLittleEndian64(const std::uint8_t* p) noexcept {
    std::uint64_t word;
    std::memcpy(&word, p, 8);
    if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
    return word;
}

// Nearest integer to full / 4 * 3, a half going to the even neighbour.
std::size_t ThreeQuartersRounded(std::size_t full) noexcept {
    std::size_t q = full * 3 / 4;
    const std::size_t r = full * 3 % 4;
    if (r > 2 || (r == 2 && (q & 1) != 0)) ++q;
    return q;
}

}  // namespace

cBase64::cBase64() {
    for (std::size_t v = 0; v < 64; ++v) {
        encodeTable_[v] = static_cast<std::uint8_t>(kAlphabet[v]);
        decodeTable_[encodeTable_[v]] = static_cast<std::uint8_t>(v);
    }
    for (std::size_t v = 0; v < 4096; ++v)
        encodePairs_[v] =
            static_cast<std::uint16_t>(encodeTable_[v >> 6] | encodeTable_[v & 63] << 8);
    for (std::size_t c = 0; c < 256; ++c) {
        const std::uint32_t v = decodeTable_[c];
        decodeShifted_[0][c] = v << 2;
        decodeShifted_[1][c] = ((v >> 4) & 3) | ((v & 15) << 12);
        decodeShifted_[2][c] = (((v >> 2) & 15) << 8) | ((v & 3) << 22);
        decodeShifted_[3][c] = v << 16;
    }
}

std::string cBase64::Encode(std::string& ptStringToDecode) const {
    if (IsAscii(ptStringToDecode))
        return EncodeBytes({reinterpret_cast<const std::uint8_t*>(ptStringToDecode.data()),
                            ptStringToDecode.size()});
    const std::string bytes = rt::Utf8ToWin1252(ptStringToDecode);
    return EncodeBytes({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

std::string cBase64::EncodeBytes(std::span<const std::uint8_t> pbyIn) const {
    const std::size_t n = pbyIn.size();
    const std::size_t rest = n % 3;
    std::string out((n - rest) / 3 * 4 + (rest > 0 ? 4 : 0), '\0');
    const std::uint8_t* in = pbyIn.data();
    char* o = out.data();
    const auto pair = [&](std::uint64_t twelveBits) -> std::uint64_t {
        return encodePairs_[twelveBits & 0xFFF];
    };
    std::size_t i = 0;
    // Six bytes (four 12-bit pieces) per round, read as one big-endian word.
    for (; i + 14 <= n; i += 12, o += 16) {
        const std::uint64_t a = LoadBigEndian64(in + i);
        const std::uint64_t b = LoadBigEndian64(in + i + 6);
        StoreLittleEndian(
            o, pair(a >> 52) | pair(a >> 40) << 16 | pair(a >> 28) << 32 | pair(a >> 16) << 48, 8);
        StoreLittleEndian(
            o + 8, pair(b >> 52) | pair(b >> 40) << 16 | pair(b >> 28) << 32 | pair(b >> 16) << 48,
            8);
    }
    for (; i + 3 <= n; i += 3, o += 4) {
        const std::uint32_t v = in[i] << 16 | in[i + 1] << 8 | in[i + 2];
        StoreLittleEndian(o, pair(v >> 12) | pair(v) << 16, 4);
    }
    if (rest == 1) {
        const std::uint8_t b0 = in[i];
        o[0] = static_cast<char>(encodeTable_[b0 >> 2]);
        o[1] = static_cast<char>(encodeTable_[(b0 & 3) << 4]);
        o[2] = o[3] = '=';
    } else if (rest == 2) {
        const std::uint8_t b0 = in[i], b1 = in[i + 1];
        o[0] = static_cast<char>(encodeTable_[b0 >> 2]);
        o[1] = static_cast<char>(encodeTable_[((b0 & 3) << 4) | (b1 >> 4)]);
        o[2] = static_cast<char>(encodeTable_[(b1 & 15) << 2]);
        o[3] = '=';
    }
    return out;
}

std::string cBase64::Decode(std::string& ptText) const {
    std::string converted;
    std::string_view text = ptText;
    if (!IsAscii(text)) {
        converted = rt::Utf8ToWin1252(text);
        text = converted;
    }
    const std::size_t n = text.size();
    if (n == 0) return {};
    const auto* in = reinterpret_cast<const std::uint8_t*>(text.data());

    std::size_t pad = 0;
    std::size_t full = n;
    if (in[n - 1] == '=') {
        if (n < 2) rt::Raise(rt::err::SubscriptOutOfRange, "cBase64");
        pad = in[n - 2] == '=' ? 1 : 2;
        full = n >= 4 ? n - 4 : 0;
    }
    const std::size_t resultBytes = pad + ThreeQuartersRounded(full);
    const std::size_t groups = full >= 4 ? (full + 3) / 4 : 0;
    // The groups may neither read past the input nor write past the result.
    if (groups * 4 > n || groups * 3 + pad > resultBytes || (pad > 0 && n < 4))
        rt::Raise(rt::err::SubscriptOutOfRange, "cBase64");

    // Room for the groups' eight-byte stores; what the groups do not reach is zeroed below.
    const std::unique_ptr<char[]> raw(new char[resultBytes + 8]);
    char* o = raw.get();
    const auto& d = decodeShifted_;
    const auto group = [&](const std::uint8_t* p) -> std::uint32_t {
        return d[0][p[0]] | d[1][p[1]] | d[2][p[2]] | d[3][p[3]];
    };
    static const PairTables pairs(decodeShifted_);
    std::size_t g = 0;
    for (; g + 2 <= groups; g += 2, o += 6) {
        const std::uint64_t w = LoadLittleEndian64(in + 4 * g);
        const std::uint64_t first = pairs.front[w & 0xFFFF] | pairs.back[(w >> 16) & 0xFFFF];
        const std::uint64_t second = pairs.front[(w >> 32) & 0xFFFF] | pairs.back[w >> 48];
        StoreLittleEndian(o, first | second << 24, 8);
    }
    for (; g < groups; ++g, o += 3) StoreLittleEndian(o, group(in + 4 * g), 4);
    if (pad > 0) {
        const std::uint8_t* last = in + n - 4;
        const std::uint32_t c0 = decodeTable_[last[0]], c1 = decodeTable_[last[1]];
        o[0] = static_cast<char>((c0 << 2) | ((c1 >> 4) & 3));
        if (pad == 2) {
            const std::uint32_t c2 = decodeTable_[last[2]];
            o[1] = static_cast<char>(((c1 & 15) << 4) | ((c2 >> 2) & 15));
        }
    }
    const std::size_t written = groups * 3 + pad;
    std::memset(raw.get() + written, 0, resultBytes - written);
    return Win1252BytesToUtf8(std::string_view(raw.get(), resultBytes));
}

// Base64 coding beside OpenSSL's block coder, and the string builder's additions.
#include <malloc.h>
#include <openssl/evp.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "cBase64.h"
#include "cStringBuilder.h"

namespace {

using Clock = std::chrono::steady_clock;

// Seconds of processor time of this thread: the machine is shared, and waiting for the processor
// is not the coder's cost.
double ThreadSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
}

// Best time of several rounds, each repeating `work` until about 128 MB have passed.
double BestSecondsPerRun(std::size_t bytesPerRun, const std::function<void()>& work) {
    const std::size_t runs = std::max<std::size_t>(1, (128u << 20) / bytesPerRun);
    work();  // warm up caches and the heap
    double best = 1e9;
    for (int round = 0; round < 3; ++round) {
        const double start = ThreadSeconds();
        for (std::size_t i = 0; i < runs; ++i) work();
        best = std::min(best, (ThreadSeconds() - start) / runs);
    }
    return best;
}

std::vector<std::uint8_t> RandomBytes(std::size_t n) {
    std::vector<std::uint8_t> bytes(n);
    std::uint64_t seed = 0x9E3779B97F4A7C15ull;
    for (auto& b : bytes) {
        seed ^= seed << 13, seed ^= seed >> 7, seed ^= seed << 17;
        b = static_cast<std::uint8_t>(seed);
    }
    return bytes;
}

// German prose in the 8-bit code page: mostly ASCII with the odd umlaut; or plain ASCII, whose
// decoded bytes need no conversion to UTF-8.
std::vector<std::uint8_t> TextBytes(std::size_t n, bool umlauts = true) {
    const std::string sentence =
        umlauts ? "Der Blutzucker war heute Morgen etwas erh\xF6ht, nach dem Fr\xFChst\xFC"
                  "ck wieder im Zielbereich. "
                : "The blood sugar was a little high this morning, back in range after "
                  "breakfast. ";
    std::vector<std::uint8_t> bytes(n);
    for (std::size_t i = 0; i < n; ++i)
        bytes[i] = static_cast<std::uint8_t>(sentence[i % sentence.size()]);
    return bytes;
}

double MbPerSecond(std::size_t bytes, double seconds) {
    return bytes / seconds / 1e6;
}

volatile std::size_t sink;

void CompareEncode(const char* name, const std::vector<std::uint8_t>& bytes) {
    cBase64 coder;
    std::string ours;
    const double oursSeconds = BestSecondsPerRun(bytes.size(), [&] {
        ours = coder.EncodeBytes(bytes);
        sink = ours.size();
    });
    std::vector<unsigned char> theirs(bytes.size() / 3 * 4 + 8);
    const double sslSeconds = BestSecondsPerRun(bytes.size(), [&] {
        sink = EVP_EncodeBlock(theirs.data(), bytes.data(), static_cast<int>(bytes.size()));
    });
    const bool same = ours == reinterpret_cast<const char*>(theirs.data());
    std::printf("%-22s ours %8.1f MB/s   openssl %8.1f MB/s   same output: %s\n", name,
                MbPerSecond(bytes.size(), oursSeconds), MbPerSecond(bytes.size(), sslSeconds),
                same ? "yes" : "NO");
    std::printf("BENCH %s bytes=%zu ours_mb_s=%.1f openssl_mb_s=%.1f ratio=%.2f same=%d\n", name,
                bytes.size(), MbPerSecond(bytes.size(), oursSeconds),
                MbPerSecond(bytes.size(), sslSeconds), sslSeconds / oursSeconds, same ? 1 : 0);
}

void CompareDecode(const char* name, const std::vector<std::uint8_t>& bytes) {
    cBase64 coder;
    std::string encoded = coder.EncodeBytes(bytes);
    std::string ours;
    const double oursSeconds = BestSecondsPerRun(bytes.size(), [&] {
        ours = coder.Decode(encoded);
        sink = ours.size();
    });
    std::vector<unsigned char> theirs(encoded.size() / 4 * 3 + 8);
    const double sslSeconds = BestSecondsPerRun(bytes.size(), [&] {
        sink =
            EVP_DecodeBlock(theirs.data(), reinterpret_cast<const unsigned char*>(encoded.data()),
                            static_cast<int>(encoded.size()));
    });
    std::printf(
        "%-22s ours %8.1f MB/s   openssl %8.1f MB/s   (MB of decoded bytes; ours returns UTF-8 "
        "text)\n",
        name, MbPerSecond(bytes.size(), oursSeconds), MbPerSecond(bytes.size(), sslSeconds));
    std::printf("BENCH %s bytes=%zu ours_mb_s=%.1f openssl_mb_s=%.1f ratio=%.2f\n", name,
                bytes.size(), MbPerSecond(bytes.size(), oursSeconds),
                MbPerSecond(bytes.size(), sslSeconds), sslSeconds / oursSeconds);
}

void BuilderAdds(std::size_t count) {
    static const char* const pieces[] = {"a", "bc", "def", "ghij", "<x>", "&#0228;", "Tipp", "ü"};
    const double start = ThreadSeconds();
    cStringBuilder builder;
    for (std::size_t i = 0; i < count; ++i) builder.Add(pieces[i & 7]);
    const double ms = (ThreadSeconds() - start) * 1e3;
    std::printf("%-22s %zu additions, %d bytes, %.1f ms, %.1f ns per addition\n", "builder_add",
                count, builder.NumChars(), ms, ms * 1e6 / count);
    std::printf("BENCH builder_add_%zu adds=%zu ours_ms=%.1f ns_per_add=%.2f\n", count, count, ms,
                ms * 1e6 / count);
}

// Time to allocate and first touch `bytes` of fresh memory: the part of a large result that the
// heap's reuse of memory removes.
double FreshPagesMs(std::size_t bytes) {
    const double start = ThreadSeconds();
    std::string block(bytes, '\0');
    sink = block.size();
    return (ThreadSeconds() - start) * 1e3;
}

}  // namespace

int main() {
    const std::size_t mb = 1u << 20;
    const double freshMs = FreshPagesMs(86 * mb);
    std::printf("fresh pages: %.1f ms for 86 MB (allocation and first touch)\n", freshMs);
    std::printf("BENCH fresh_pages_86mb ms=%.1f\n", freshMs);
    // Results are new strings; keep freed memory in the heap, as a long-running process does,
    // so that the figures show the coding rather than the kernel's page faults.
    mallopt(M_MMAP_MAX, 0);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    const auto random1 = RandomBytes(mb), random64 = RandomBytes(64 * mb);
    const auto text1 = TextBytes(mb), text64 = TextBytes(64 * mb);
    CompareEncode("encode_1mb", random1);
    CompareEncode("encode_64mb", random64);
    CompareDecode("decode_ascii_1mb", TextBytes(mb, false));
    CompareDecode("decode_ascii_64mb", TextBytes(64 * mb, false));
    CompareDecode("decode_text_1mb", text1);
    CompareDecode("decode_text_64mb", text64);
    CompareDecode("decode_binary_1mb", random1);
    CompareDecode("decode_binary_64mb", random64);
    // Linear time: ten times the additions take about ten times as long.
    BuilderAdds(1'000'000);
    BuilderAdds(10'000'000);
    return 0;
}

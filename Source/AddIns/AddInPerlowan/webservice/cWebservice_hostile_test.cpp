// Servers that trickle or answer too much: the call returns within its time-out, keeps about
// one copy of a large answer in memory, and refuses answers above the limit.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "Http.h"
#include "LoopbackHttpServer.h"
#include "WebserviceTestSupport_test.h"
#include "cWebservice.h"

// Every allocation of this test program is counted, so that a test can read the peak of the bytes
// in use during a call.
namespace {

std::atomic<std::size_t> gInUse{0};
std::atomic<std::size_t> gPeak{0};

void* Counted(std::size_t size) {
    // The size sits in front of the block, kept at the alignment new guarantees.
    constexpr std::size_t kFront = alignof(std::max_align_t);
    auto* block = static_cast<unsigned char*>(std::malloc(size + kFront));
    if (block == nullptr) throw std::bad_alloc();
    *reinterpret_cast<std::size_t*>(block) = size;
    const std::size_t now = gInUse.fetch_add(size) + size;
    for (std::size_t peak = gPeak.load(); now > peak && !gPeak.compare_exchange_weak(peak, now);) {
    }
    return block + kFront;
}

void Uncounted(void* p) noexcept {
    if (p == nullptr) return;
    constexpr std::size_t kFront = alignof(std::max_align_t);
    auto* block = static_cast<unsigned char*>(p) - kFront;
    gInUse.fetch_sub(*reinterpret_cast<std::size_t*>(block));
    std::free(block);
}

}  // namespace

void* operator new(std::size_t size) {
    return Counted(size);
}
void* operator new[](std::size_t size) {
    return Counted(size);
}
void operator delete(void* p) noexcept {
    Uncounted(p);
}
void operator delete[](void* p) noexcept {
    Uncounted(p);
}
void operator delete(void* p, std::size_t) noexcept {
    Uncounted(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    Uncounted(p);
}

namespace {

using platform::testing::LoopbackHttpServer;
using platform::testing::RecordedRequest;
using platform::testing::ScriptedReply;
using platform::testing::Trickle;

using platform::testing::PortRedirect;
using wstest::kNoDetails;
using wstest::kTimeoutText;

struct Outcome {
    bool result = false;
    std::string lastError;
    std::vector<std::string> values;
    long long ms = 0;
    std::size_t peakBytes = 0;  // above what was in use before the call
};

Outcome CallAgainst(LoopbackHttpServer::Handler handler, std::int32_t timeout,
                    const std::string& returnParameter = "ptResult") {
    LoopbackHttpServer server(std::move(handler));
    rt::ScopedRole<platform::Http> role(std::make_shared<PortRedirect>(server.Port()));
    cWebservice ws;
    ws.URL("http://127.0.0.1/ws/trvTelmoraV6/trvTelmoraV6.asmx");
    rt::Variant values{"sentinel"};
    Outcome out;
    const std::size_t before = gInUse.load();
    gPeak = before;
    const auto start = std::chrono::steady_clock::now();
    out.result = ws.CallWsMethod("GetTipps", {}, {}, returnParameter, "", values, timeout);
    out.ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                 std::chrono::steady_clock::now() - start)
                 .count();
    out.peakBytes = gPeak.load() - before;
    out.lastError = ws.LastError();
    if (values.IsArray()) {
        for (const auto& v : values.ToArray()) out.values.push_back(v.ToString());
    } else {
        out.values.push_back(values.ToString());
    }
    return out;
}

TEST(WebserviceHostile, ATricklingServerCannotHoldTheCallBeyondItsTimeout) {
    struct Row {
        ScriptedReply reply;
        bool result;
        std::string lastError;
        std::vector<std::string> values;
    };
    const Row rows[] = {
        // 0: one header line every half second, never an end of the head.
        {Trickle("HTTP/1.0 200 OK\r\n", "X-Slow: 1\r\n", 20, 500),
         false,
         kTimeoutText,
         {"sentinel"}},
        // 1: the result, then the rest of the body at 20 bytes a second: the call takes what
        // arrived within the time-out.
        {Trickle("HTTP/1.0 200 OK\r\n\r\n<ptResult>1</ptResult>", "x", 400, 50),
         true,
         kNoDetails,
         {"1"}},
        // 2: a body at 20 bytes a second that holds no result in time.
        {Trickle("HTTP/1.0 200 OK\r\n\r\n<other>", "y", 400, 50), false, kTimeoutText, {""}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const ScriptedReply reply = rows[i].reply;
        const Outcome out = CallAgainst([=](const RecordedRequest&) { return reply; }, 1000);
        // Connecting to the loopback takes no time: one time-out for sending with the head, one
        // for reading.
        EXPECT_LT(out.ms, 2400);
        EXPECT_EQ(out.result, rows[i].result);
        EXPECT_EQ(out.lastError, rows[i].lastError);
        EXPECT_EQ(out.values, rows[i].values);
    }
}

TEST(WebserviceHostile, ALargeAnswerIsKeptAboutOnce) {
    constexpr std::size_t kFiller = 24u << 20;
    const std::string head = "<ptResult>1</ptResult><big>";
    const std::string tail = "</big>";
    struct Row {
        bool announced;
        double atMost;  // of the answer's size
    };
    const Row rows[] = {{true, 1.15}, {false, 2.15}};
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const bool announced = rows[i].announced;
        const Outcome out = CallAgainst(
            [&](const RecordedRequest&) {
                ScriptedReply reply;
                reply.bytes = "HTTP/1.0 200 OK\r\n";
                if (announced)
                    reply.bytes +=
                        "Content-Length: " + std::to_string(head.size() + kFiller + tail.size()) +
                        "\r\n";
                reply.bytes += "\r\n" + head;
                reply.fillerBytes = kFiller;
                reply.tail = tail;
                return reply;
            },
            30000);
        EXPECT_TRUE(out.result);
        EXPECT_EQ(out.values, std::vector<std::string>{"1"});
        EXPECT_LT(static_cast<double>(out.peakBytes), rows[i].atMost * kFiller)
            << out.peakBytes / (1 << 20) << " MiB";
    }
}

TEST(WebserviceHostile, AnAnswerAboveTheLimitCountsAsNoAnswer) {
    constexpr std::size_t kLimit = cWebservice::kAnswerLimitBytes;
    const std::string head = "<ptResult>1</ptResult>";
    struct Row {
        bool announced;
        std::size_t size;
        bool result;
        std::string lastError;
        std::vector<std::string> values;
    };
    const Row rows[] = {
        /* 0 */ {true, kLimit + 1, false, kTimeoutText, {"sentinel"}},
        /* 1 */ {false, kLimit + 1, false, kTimeoutText, {"sentinel"}},
        /* 2 */ {true, kLimit, true, kNoDetails, {"1"}},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const Row& row = rows[i];
        const Outcome out = CallAgainst(
            [&](const RecordedRequest&) {
                ScriptedReply reply;
                reply.bytes = "HTTP/1.0 200 OK\r\n";
                if (row.announced)
                    reply.bytes += "Content-Length: " + std::to_string(row.size) + "\r\n";
                reply.bytes += "\r\n" + head;
                reply.fillerBytes = row.size - head.size();
                return reply;
            },
            30000);
        EXPECT_EQ(out.result, row.result);
        EXPECT_EQ(out.lastError, row.lastError);
        EXPECT_EQ(out.values, row.values);
    }
}

}  // namespace

// Servers that trickle: the time-outs bound every wait, and reads deliver what has arrived.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "DebugRecorder.h"
#include "Http.h"
#include "HttpExchange_test.h"
#include "LoopbackHttpServer.h"

namespace {

using platform::testing::Exchange;
using platform::testing::LoopbackHttpServer;
using platform::testing::MillisecondsSince;
using platform::testing::Open;
using platform::testing::ScriptedReply;
using platform::testing::Trickle;

TEST(HttpTimeouts, AHeadTrickledLineByLineEndsTheSendAfterTheTimeout) {
    LoopbackHttpServer server(
        [](const auto&) { return Trickle("HTTP/1.0 200 OK\r\n", "X-Slow: 1\r\n", 40, 250); });
    testsupport::DebugRecorder debug("http");
    auto http = rt::MakeDefaultRole<platform::Http>();
    http->SetTimeouts({1000, 1000, 1000});
    Exchange e = Open(*http, server.Port());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(e.request->Send("x"));
    const long long took = MillisecondsSince(start);
    EXPECT_GE(took, 950);
    EXPECT_LT(took, 1600);
    char buffer[16];
    EXPECT_EQ(e.request->Read(buffer, sizeof buffer), 0u);
    EXPECT_EQ(debug.Lines(),
              std::vector<std::string>{
                  "http: no answer from http://127.0.0.1:" + std::to_string(server.Port()) +
                  "/: the answer's head did not arrive within the time-out"});
}

TEST(HttpTimeouts, ATrickledBodyIsDeliveredAsItArrivesWithinTheReceiveTimeout) {
    // 20 bytes a second: one byte every 50 ms.
    LoopbackHttpServer server([](const auto&) {
        return Trickle("HTTP/1.0 200 OK\r\nContent-Length: 200\r\n\r\n", "b", 200, 50);
    });
    auto http = rt::MakeDefaultRole<platform::Http>();
    http->SetTimeouts({1000, 1000, 1000});
    Exchange e = Open(*http, server.Port());
    ASSERT_TRUE(e.request->Send("x"));
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE("read " + std::to_string(round));
        char buffer[2048];
        const auto start = std::chrono::steady_clock::now();
        const std::size_t got = e.request->Read(buffer, sizeof buffer);
        const long long took = MillisecondsSince(start);
        EXPECT_GE(took, 1000);
        EXPECT_LT(took, 1400);
        EXPECT_GE(got, 5u);
        EXPECT_LE(got, 30u);
        EXPECT_EQ(std::string(buffer, got), std::string(got, 'b'));
    }
}

TEST(HttpTimeouts, TheAnnouncedLengthOfTheBody) {
    struct Row {
        std::string head;
        std::int64_t expected;
    };
    const Row rows[] = {
        /* 0 */ {"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\n", 5},
        /* 1 */ {"HTTP/1.0 200 OK\r\n\r\n", -1},
        /* 2 */ {"HTTP/1.0 200 OK\r\ncontent-length: 0\r\n\r\n", 0},
    };
    auto http = rt::MakeDefaultRole<platform::Http>();
    http->SetTimeouts({2000, 2000, 2000});
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const std::string head = rows[i].head;
        LoopbackHttpServer server([&](const auto&) {
            ScriptedReply reply;
            reply.bytes = head + (rows[i].expected > 0 ? "hello" : "");
            return reply;
        });
        Exchange e = Open(*http, server.Port());
        EXPECT_EQ(e.request->ContentLength(), -1);
        ASSERT_TRUE(e.request->Send("x"));
        EXPECT_EQ(e.request->ContentLength(), rows[i].expected);
    }
}

}  // namespace

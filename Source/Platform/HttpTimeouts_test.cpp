// Servers that trickle: the time-outs bound every wait, and reads deliver what has arrived.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "Debug.h"
#include "Http.h"
#include "LoopbackHttpServer.h"

namespace {

using platform::testing::LoopbackHttpServer;
using platform::testing::ScriptedReply;
using platform::testing::Trickle;

struct Exchange {
    std::unique_ptr<platform::HttpSession> session;
    std::unique_ptr<platform::HttpConnection> connection;
    std::unique_ptr<platform::HttpRequest> request;
};

Exchange Open(platform::Http& http, int port) {
    Exchange e;
    e.session = http.Open("Telmora6AddIn");
    EXPECT_NE(e.session, nullptr);
    e.connection = e.session->Connect("127.0.0.1", port);
    EXPECT_NE(e.connection, nullptr);
    e.request = e.connection->OpenRequest("POST", "/x", "HTTP/1.0");
    EXPECT_NE(e.request, nullptr);
    return e;
}

long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

struct RecordingSink : rt::debug::Sink {
    void Write(std::string_view area, std::string_view message) override {
        lines.push_back(std::string(area) + ": " + std::string(message));
    }
    std::vector<std::string> lines;
};

TEST(HttpTimeouts, AHeadTrickledLineByLineEndsTheSendAfterTheTimeout) {
    LoopbackHttpServer server(
        [](const auto&) { return Trickle("HTTP/1.0 200 OK\r\n", "X-Slow: 1\r\n", 40, 250); });
    auto sink = std::make_shared<RecordingSink>();
    rt::ScopedRole<rt::debug::Sink> installed(sink);
    rt::debug::ScopedAreas areas("http");
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
    EXPECT_EQ(sink->lines,
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

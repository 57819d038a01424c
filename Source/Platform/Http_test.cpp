#include "Http.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "HttpExchange_test.h"
#include "LoopbackHttpServer.h"

namespace {

using platform::testing::Exchange;
using platform::testing::LoopbackHttpServer;
using platform::testing::MillisecondsSince;
using platform::testing::Open;
using platform::testing::ScriptedReply;

std::shared_ptr<platform::Http> RealHttp() {
    return rt::MakeDefaultRole<platform::Http>();
}

std::string ReadAll(platform::HttpRequest& request, std::vector<std::size_t>* chunks = nullptr) {
    std::string all;
    char buffer[2048];
    for (int guard = 0; guard < 100000; ++guard) {
        const std::size_t got = request.Read(buffer, sizeof buffer);
        if (got == 0) break;
        if (chunks) chunks->push_back(got);
        all.append(buffer, got);
    }
    return all;
}

TEST(Http, SendsThePostAsAskedWithoutHeadersOfItsOwn) {
    LoopbackHttpServer server(
        [](const auto&) { return LoopbackHttpServer::Answer(200, "OK", "fine"); });
    auto http = RealHttp();
    Exchange e = Open(*http, server.Port(), "/ws/a b.asmx");
    e.request->AddHeaders(
        "Content-Type: text/xml; charset=utf-8\nSOAPAction: \"urn:x/F\"\nX-Twice: 1\r\nX-Twice: "
        "2\n\n");
    const std::string body = "<a>\xE4</a>";
    ASSERT_TRUE(e.request->Send(body));
    EXPECT_EQ(ReadAll(*e.request), "fine");

    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const auto& r = requests[0];
    EXPECT_EQ(r.RequestLine(), "POST /ws/a%20b.asmx HTTP/1.0");
    EXPECT_EQ(r.Header("User-Agent"), "Telmora6AddIn");
    EXPECT_EQ(r.Header("Host"), "127.0.0.1:" + std::to_string(server.Port()));
    EXPECT_EQ(r.Header("Content-Type"), "text/xml; charset=utf-8");
    EXPECT_EQ(r.Header("SOAPAction"), "\"urn:x/F\"");
    EXPECT_EQ(r.Header("X-Twice"), "2");
    EXPECT_EQ(r.Header("Content-Length"), std::to_string(body.size()));
    EXPECT_FALSE(r.HasHeader("Expect"));
    EXPECT_FALSE(r.HasHeader("Accept"));
    EXPECT_FALSE(r.HasHeader("Transfer-Encoding"));
    EXPECT_EQ(r.body, body);
}

TEST(Http, WithoutAContentTypeNoneIsSent) {
    LoopbackHttpServer server(
        [](const auto&) { return LoopbackHttpServer::Answer(200, "OK", ""); });
    auto http = RealHttp();
    Exchange e = Open(*http, server.Port());
    ASSERT_TRUE(e.request->Send(""));
    EXPECT_EQ(ReadAll(*e.request), "");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_FALSE(server.Requests()[0].HasHeader("Content-Type"));
    EXPECT_EQ(server.Requests()[0].Header("Content-Length"), "0");
}

TEST(Http, StatusCodeAndTextComeFromTheStatusLine) {
    struct Row {
        std::string statusLine;
        std::int32_t code;
        std::string text;
    };
    const std::vector<Row> rows = {
        {"HTTP/1.0 200 OK", 200, "OK"},
        {"HTTP/1.1 404 Not Found", 404, "Not Found"},
        {"HTTP/1.0 500 Internal Server Error", 500, "Internal Server Error"},
        {"HTTP/1.0 204", 204, ""},
        {"HTTP/1.0 503 Dienst nicht verf\xFCgbar", 503, "Dienst nicht verfügbar"},
    };
    auto http = RealHttp();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        const std::string statusLine = rows[i].statusLine;
        LoopbackHttpServer server([&](const auto&) {
            ScriptedReply reply;
            reply.bytes = statusLine + "\r\nContent-Length: 2\r\n\r\nab";
            return reply;
        });
        Exchange e = Open(*http, server.Port());
        EXPECT_EQ(e.request->StatusCode(), 0);
        ASSERT_TRUE(e.request->Send("x"));
        EXPECT_EQ(e.request->StatusCode(), rows[i].code);
        EXPECT_EQ(e.request->StatusText(), rows[i].text);
        EXPECT_EQ(ReadAll(*e.request), rows[i].code == 204 ? "" : "ab");
    }
}

TEST(Http, ReadFillsTheBufferUntilTheAnswerEnds) {
    LoopbackHttpServer server([](const auto&) {
        ScriptedReply reply;
        reply.bytes = "HTTP/1.0 200 OK\r\n\r\n";
        reply.fillerBytes = 5000;
        return reply;
    });
    auto http = RealHttp();
    Exchange e = Open(*http, server.Port());
    ASSERT_TRUE(e.request->Send("x"));
    std::vector<std::size_t> chunks;
    EXPECT_EQ(ReadAll(*e.request, &chunks), std::string(5000, 'x'));
    EXPECT_EQ(chunks, (std::vector<std::size_t>{2048, 2048, 904}));
}

TEST(Http, AnAnswerCutShortGivesWhatArrivedWithoutWaitingForTheRest) {
    LoopbackHttpServer server([](const auto&) {
        ScriptedReply reply;
        reply.bytes = "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\n<partial>";
        return reply;
    });
    auto http = RealHttp();
    http->SetTimeouts({700, 700, 700});
    Exchange e = Open(*http, server.Port());
    ASSERT_TRUE(e.request->Send("x"));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadAll(*e.request), "<partial>");
    EXPECT_LT(MillisecondsSince(start), 2500);
    EXPECT_EQ(e.request->StatusCode(), 200);
}

TEST(Http, ARefusedConnectionGivesNoAnswer) {
    auto http = RealHttp();
    Exchange e = Open(*http, platform::testing::UnusedLoopbackPort());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(e.request->Send("x"));
    char buffer[16];
    EXPECT_EQ(e.request->Read(buffer, sizeof buffer), 0u);
    EXPECT_EQ(e.request->StatusCode(), 0);
    EXPECT_EQ(e.request->StatusText(), "");
    EXPECT_LT(MillisecondsSince(start), 2000);
}

TEST(Http, AnAnswerThatNeverComesEndsAfterTheTimeout) {
    LoopbackHttpServer server([](const auto&) {
        ScriptedReply reply;
        reply.hang = true;
        return reply;
    });
    auto http = RealHttp();
    http->SetTimeouts({700, 700, 700});
    EXPECT_EQ(http->Timeouts().receiveMs, 700);
    Exchange e = Open(*http, server.Port());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(e.request->Send("x"));
    const long long took = MillisecondsSince(start);
    EXPECT_GE(took, 650);
    EXPECT_LT(took, 2500);
    char buffer[16];
    EXPECT_EQ(e.request->Read(buffer, sizeof buffer), 0u);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(Http, HostsAndPathsThatCannotBeUsedAreRefusedBeforeSending) {
    auto http = RealHttp();
    auto session = http->Open("Telmora6AddIn");
    ASSERT_NE(session, nullptr);
    const std::vector<std::string> badHosts = {"", "user@host", "host:8080", "a b", "host/x"};
    for (std::size_t i = 0; i < badHosts.size(); ++i) {
        SCOPED_TRACE("host row " + std::to_string(i));
        EXPECT_EQ(session->Connect(badHosts[i], 80), nullptr);
    }
    EXPECT_NE(session->Connect("ws.example.com", 80), nullptr);
    EXPECT_NE(session->Connect("[::1]", 80), nullptr);
    auto connection = session->Connect("127.0.0.1", 80);
    ASSERT_NE(connection, nullptr);
    EXPECT_EQ(connection->OpenRequest("POST", "", "HTTP/1.0"), nullptr);
    EXPECT_EQ(connection->OpenRequest("POST", "x", "HTTP/1.0"), nullptr);
    EXPECT_NE(connection->OpenRequest("POST", "/", "HTTP/1.0"), nullptr);
}

}  // namespace

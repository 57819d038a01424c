#pragma once
// Test helpers of the HTTP role: one POST exchange with a server on the loopback address, and the
// time a call took.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "Http.h"

namespace platform::testing {

struct Exchange {
    std::unique_ptr<HttpSession> session;
    std::unique_ptr<HttpConnection> connection;
    std::unique_ptr<HttpRequest> request;
};

inline Exchange Open(Http& http, int port, std::string_view path = "/svc/x.asmx") {
    Exchange e;
    e.session = http.Open("Telmora6AddIn");
    EXPECT_NE(e.session, nullptr);
    e.connection = e.session->Connect("127.0.0.1", port);
    EXPECT_NE(e.connection, nullptr);
    e.request = e.connection->OpenRequest("POST", path, "HTTP/1.0");
    EXPECT_NE(e.request, nullptr);
    return e;
}

inline long long MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
}

}  // namespace platform::testing

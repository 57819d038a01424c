#pragma once
// The HTTP client role: a session with a user agent, a connection to a host and port, and
// requests that are sent once and then read in chunks. Time-outs are set for the whole process
// and apply to every request sent afterwards.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "Role.h"

namespace platform {

inline constexpr int kDefaultHttpPort = 80;

// Milliseconds; 0 or less means no limit. Connect: establishing the connection. Send: sending the
// request and receiving the answer's status line and headers, together, counted from the
// connection (the longer of send and receive counts there; a server that trickles its headers
// does not extend it). Receive: each Read, which delivers what has arrived by then.
struct HttpTimeouts {
    std::int32_t connectMs = 60000;
    std::int32_t sendMs = 60000;
    std::int32_t receiveMs = 60000;
};

class HttpRequest {
  public:
    virtual ~HttpRequest() = default;
    // Header lines separated by LF (a CR before it is dropped); each replaces a header of the
    // same name that was added before. Empty lines are ignored.
    virtual void AddHeaders(std::string_view lines) = 0;
    // Sends the request with `body` and waits for the answer's status line and headers. False
    // when no answer arrived: refused, unreachable, timed out or closed without a status line.
    virtual bool Send(std::string_view body) = 0;
    // Reads up to `size` bytes of the answer's body, waiting until that many arrived, the answer
    // ended, or the receive time-out passed since the call began: then it delivers what has
    // arrived, or fails when nothing did. 0 at the end, before a successful Send, and after a
    // failure or a time-out.
    virtual std::size_t Read(char* buffer, std::size_t size) = 0;
    // The length of the body that the answer's headers announce; -1 when they announce none, or
    // before the headers arrived.
    virtual std::int64_t ContentLength() { return -1; }
    // The answer's status code; 0 while there is none.
    virtual std::int32_t StatusCode() = 0;
    // The reason text of the answer's status line ("OK", "Not Found"); "" while there is none.
    virtual std::string StatusText() = 0;
};

class HttpConnection {
  public:
    virtual ~HttpConnection() = default;
    // Nothing when the path is empty or does not start with "/".
    virtual std::unique_ptr<HttpRequest> OpenRequest(std::string_view verb, std::string_view path,
                                                     std::string_view version) = 0;
};

class HttpSession {
  public:
    virtual ~HttpSession() = default;
    // Nothing when the host is empty or not a host name or address; nothing is sent yet.
    virtual std::unique_ptr<HttpConnection> Connect(std::string_view host, int port) = 0;
};

class Http {
  public:
    virtual ~Http() = default;
    // Nothing when the HTTP machinery cannot be started.
    virtual std::unique_ptr<HttpSession> Open(std::string_view userAgent) = 0;
    // Process-wide: every request sent afterwards uses these.
    virtual void SetTimeouts(const HttpTimeouts& timeouts) = 0;
    virtual HttpTimeouts Timeouts() = 0;
};

}  // namespace platform

PERLOWAN_DECLARE_ROLE(platform::Http);

namespace platform {

inline Http& HttpClient() {
    return rt::Role<Http>::Get();
}

}  // namespace platform

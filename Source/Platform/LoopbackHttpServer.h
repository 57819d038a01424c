#pragma once
// A small HTTP server on 127.0.0.1 for tests: it accepts one connection at a time on an ephemeral
// port, records each request and answers with scripted bytes. It runs on its own thread from
// construction to destruction.
#include <atomic>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace platform::testing {

struct RecordedRequest {
    std::string head;  // request line and headers, up to and including the blank line
    std::string body;  // as many bytes as Content-Length announced (or until the client closed)

    std::string RequestLine() const;
    // The value of the first header of that name (letter case ignored); "" when absent.
    std::string Header(std::string_view name) const;
    bool HasHeader(std::string_view name) const;
};

struct ScriptedReply {
    std::string bytes;                // written first, as they are (status line, headers, body)
    std::size_t fillerBytes = 0;      // then this many 'x'
    std::string tail;                 // then these
    std::vector<std::string> pieces;  // then each of these after waiting pieceDelayMs
    int pieceDelayMs = 0;
    bool hang = false;  // write nothing; hold the connection until the client leaves
    int delayMs = 0;    // wait before writing
};

// `count` pieces of `piece`, one every `everyMs` milliseconds after `head`.
inline ScriptedReply Trickle(std::string head, std::string piece, int count, int everyMs) {
    ScriptedReply reply;
    reply.bytes = std::move(head);
    reply.pieces.assign(static_cast<std::size_t>(count), piece);
    reply.pieceDelayMs = everyMs;
    return reply;
}

class LoopbackHttpServer {
  public:
    using Handler = std::function<ScriptedReply(const RecordedRequest&)>;

    explicit LoopbackHttpServer(Handler handler);
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    int Port() const { return port_; }
    std::vector<RecordedRequest> Requests() const;

    // A reply with a status line, Content-Length and the body, closing the connection afterwards.
    static ScriptedReply Answer(int code, std::string_view reason, std::string_view body,
                                std::string_view contentType = "text/xml; charset=utf-8");

  private:
    void Run();
    void Serve(int client);

    Handler handler_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<RecordedRequest> requests_;
    std::thread thread_;
};

// A port on 127.0.0.1 on which nothing listens (bound and closed again).
int UnusedLoopbackPort();

}  // namespace platform::testing

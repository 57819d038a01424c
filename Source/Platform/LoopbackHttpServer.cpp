#include "LoopbackHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "Text.h"

namespace platform::testing {

namespace {

constexpr int kSliceMs = 20;
constexpr auto kRequestPatience = std::chrono::seconds(5);

int BoundLoopbackSocket(int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket");
    const int yes = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        throw std::runtime_error("bind");
    }
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
    port = ntohs(addr.sin_port);
    return fd;
}

// Waits up to one slice for the events; true when they are there.
bool WaitFor(int fd, short events) {
    pollfd p{fd, events, 0};
    return ::poll(&p, 1, kSliceMs) > 0;
}

std::size_t ContentLength(const RecordedRequest& r) {
    const std::string value = r.Header("Content-Length");
    return value.empty() ? 0 : static_cast<std::size_t>(std::stoul(value));
}

}  // namespace

std::string RecordedRequest::RequestLine() const {
    return head.substr(0, head.find("\r\n"));
}

bool RecordedRequest::HasHeader(std::string_view name) const {
    const std::string folded = rt::LCase(head);
    return folded.find("\r\n" + rt::LCase(name) + ":") != std::string::npos;
}

std::string RecordedRequest::Header(std::string_view name) const {
    const std::string folded = rt::LCase(head);
    const std::size_t at = folded.find("\r\n" + rt::LCase(name) + ":");
    if (at == std::string::npos) return {};
    const std::size_t start = at + 3 + name.size();
    return rt::Trim(head.substr(start, head.find("\r\n", start) - start));
}

ScriptedReply LoopbackHttpServer::Answer(int code, std::string_view reason, std::string_view body,
                                         std::string_view contentType) {
    ScriptedReply reply;
    reply.bytes = "HTTP/1.0 " + std::to_string(code) + " " + std::string(reason) + "\r\n" +
                  "Content-Type: " + std::string(contentType) + "\r\n" +
                  "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + std::string(body);
    return reply;
}

LoopbackHttpServer::LoopbackHttpServer(Handler handler) : handler_(std::move(handler)) {
    listener_ = BoundLoopbackSocket(port_);
    if (::listen(listener_, 8) != 0) {
        ::close(listener_);
        throw std::runtime_error("listen");
    }
    thread_ = std::thread([this] { Run(); });
}

LoopbackHttpServer::~LoopbackHttpServer() {
    stop_ = true;
    thread_.join();
    ::close(listener_);
}

std::vector<RecordedRequest> LoopbackHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

void LoopbackHttpServer::Run() {
    while (!stop_) {
        if (!WaitFor(listener_, POLLIN)) continue;
        const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        Serve(client);
        ::close(client);
    }
}

void LoopbackHttpServer::Serve(int client) {
    RecordedRequest request;
    std::string received;
    const auto deadline = std::chrono::steady_clock::now() + kRequestPatience;
    std::size_t headEnd = std::string::npos;
    bool peerClosed = false;
    const auto receiveMore = [&] {
        if (!WaitFor(client, POLLIN)) return;
        char buffer[65536];
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0)
            peerClosed = true;
        else
            received.append(buffer, static_cast<std::size_t>(n));
    };
    while (!stop_ && !peerClosed && std::chrono::steady_clock::now() < deadline &&
           (headEnd = received.find("\r\n\r\n")) == std::string::npos)
        receiveMore();
    if (headEnd == std::string::npos) return;
    request.head = received.substr(0, headEnd + 4);
    const std::size_t length = ContentLength(request);
    while (!stop_ && !peerClosed && std::chrono::steady_clock::now() < deadline &&
           received.size() < headEnd + 4 + length)
        receiveMore();
    request.body = received.substr(headEnd + 4);
    {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
    }

    const ScriptedReply reply = handler_(request);
    if (reply.hang) {
        while (!stop_ && !peerClosed) receiveMore();
        return;
    }
    const auto delayEnd =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(reply.delayMs);
    while (!stop_ && std::chrono::steady_clock::now() < delayEnd) WaitFor(-1, 0);

    const auto write = [&](std::string_view bytes) {
        while (!bytes.empty() && !stop_) {
            if (!WaitFor(client, POLLOUT)) continue;
            const ssize_t n = ::send(client, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            if (n <= 0) return false;
            bytes.remove_prefix(static_cast<std::size_t>(n));
        }
        return bytes.empty();
    };
    if (!write(reply.bytes)) return;
    const std::string filler(65536, 'x');
    for (std::size_t left = reply.fillerBytes; left > 0 && !stop_;) {
        const std::size_t take = std::min(left, filler.size());
        if (!write(std::string_view(filler).substr(0, take))) return;
        left -= take;
    }
    if (!write(reply.tail)) return;
    for (const std::string& piece : reply.pieces) {
        const auto pieceAt =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(reply.pieceDelayMs);
        while (!stop_ && std::chrono::steady_clock::now() < pieceAt) WaitFor(-1, 0);
        if (!write(piece)) return;
    }
    ::shutdown(client, SHUT_WR);
}

int UnusedLoopbackPort() {
    int port = 0;
    ::close(BoundLoopbackSocket(port));
    return port;
}

}  // namespace platform::testing

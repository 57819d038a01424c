#include "Http.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "CodePage.h"
#include "Debug.h"
#include "HttpHead.h"
#include "Text.h"

namespace platform {

namespace {

using SteadyClock = std::chrono::steady_clock;

bool IsHostName(std::string_view host) {
    if (host.empty()) return false;
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']') return false;
        return std::all_of(host.begin() + 1, host.end() - 1, [](char c) {
            return std::isxdigit(static_cast<unsigned char>(c)) || c == ':' || c == '.';
        });
    }
    return std::all_of(host.begin(), host.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '.' || c == '_';
    });
}

// The path as the request line carries it: 8-bit bytes, blanks, controls and bytes above 126
// percent-encoded.
std::string RequestTarget(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string target;
    for (const char c : rt::Utf8ToWin1252(path)) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7F) {
            target += '%';
            target += kHex[b >> 4];
            target += kHex[b & 15];
        } else {
            target += c;
        }
    }
    return target;
}

using http::HeaderName;

struct SharedSettings {
    HttpTimeouts timeouts;
};

class CurlRequest final : public HttpRequest {
  public:
    CurlRequest(std::shared_ptr<SharedSettings> settings, std::string userAgent, std::string host,
                int port, std::string verb, std::string target, std::string version)
        : settings_(std::move(settings)),
          userAgent_(std::move(userAgent)),
          url_("http://" + host + ":" + std::to_string(port) + "/"),
          verb_(std::move(verb)),
          target_(std::move(target)),
          version_(std::move(version)) {}

    ~CurlRequest() override {
        if (multi_ != nullptr && easy_ != nullptr && attached_)
            curl_multi_remove_handle(multi_, easy_);
        if (easy_ != nullptr) curl_easy_cleanup(easy_);
        if (multi_ != nullptr) curl_multi_cleanup(multi_);
        if (headerList_ != nullptr) curl_slist_free_all(headerList_);
    }

    CurlRequest(const CurlRequest&) = delete;
    CurlRequest& operator=(const CurlRequest&) = delete;

    void AddHeaders(std::string_view lines) override { http::AddHeaderLines(headers_, lines); }

    bool Send(std::string_view body) override {
        if (sent_) return false;
        sent_ = true;
        body_ = body;
        if (!Prepare()) {
            PERLOWAN_DEBUG("http", "the request to " + url_ + " cannot be prepared");
            finished_ = true;
            return false;
        }
        lastProgress_ = SteadyClock::now();
        Pump([this] { return head_.done; }, std::nullopt);
        if (!head_.done) {
            Abort("no answer");
            PERLOWAN_DEBUG("http", "no answer from " + url_ + ": " + failure_);
        }
        return head_.done;
    }

    std::size_t Read(char* buffer, std::size_t size) override {
        // Waiting ends one millisecond after the receive time-out, so that a caller counting
        // whole milliseconds sees its time-out passed when it gets the bytes that arrived.
        std::optional<SteadyClock::time_point> deadline;
        if (timeouts_.receiveMs > 0)
            deadline = SteadyClock::now() + std::chrono::milliseconds(timeouts_.receiveMs + 1);
        std::size_t filled = 0;
        while (filled < size) {
            if (pendingAt_ < pending_.size()) {
                const std::size_t take = std::min(size - filled, pending_.size() - pendingAt_);
                std::copy_n(pending_.data() + pendingAt_, take, buffer + filled);
                pendingAt_ += take;
                filled += take;
                continue;
            }
            pending_.clear();
            pendingAt_ = 0;
            if (!sent_ || finished_) break;
            Pump([this] { return !pending_.empty(); }, deadline);
            if (pending_.empty()) {
                if (!finished_ && filled == 0) {
                    Abort("nothing arrived within the time-out");
                    PERLOWAN_DEBUG("http", "the answer of " + url_ + " stopped: " + failure_);
                }
                break;
            }
        }
        return filled;
    }

    std::int64_t ContentLength() override {
        curl_off_t length = -1;
        if (easy_ == nullptr || !head_.done ||
            curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK)
            return -1;
        return length;
    }

    std::int32_t StatusCode() override { return head_.statusCode; }
    std::string StatusText() override { return head_.statusText; }

  private:
    bool Prepare() {
        multi_ = curl_multi_init();
        easy_ = curl_easy_init();
        if (multi_ == nullptr || easy_ == nullptr) return false;
        const HttpTimeouts timeouts = settings_->timeouts;
        timeouts_ = timeouts;

        bool hasContentType = false;
        for (const std::string& h : headers_) {
            if (HeaderName(h) == "content-type") hasContentType = true;
            headerList_ = curl_slist_append(headerList_, rt::Utf8ToWin1252(h).c_str());
        }
        // Headers of libcurl's own that the request did not ask for.
        headerList_ = curl_slist_append(headerList_, "Expect:");
        headerList_ = curl_slist_append(headerList_, "Accept:");
        if (!hasContentType) headerList_ = curl_slist_append(headerList_, "Content-Type:");

        curl_easy_setopt(easy_, CURLOPT_URL, url_.c_str());
        curl_easy_setopt(easy_, CURLOPT_REQUEST_TARGET, target_.c_str());
        curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http");
        curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(easy_, CURLOPT_USERAGENT, userAgent_.c_str());
        curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headerList_);
        curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION,
                         version_ == "HTTP/1.0" ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
        if (verb_ == "POST") {
            curl_easy_setopt(easy_, CURLOPT_POST, 1L);
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE,
                             static_cast<curl_off_t>(body_.size()));
            curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, body_.c_str());
        } else if (verb_ != "GET" || !body_.empty()) {
            curl_easy_setopt(easy_, CURLOPT_CUSTOMREQUEST, verb_.c_str());
            if (!body_.empty()) {
                curl_easy_setopt(easy_, CURLOPT_POSTFIELDSIZE_LARGE,
                                 static_cast<curl_off_t>(body_.size()));
                curl_easy_setopt(easy_, CURLOPT_POSTFIELDS, body_.c_str());
            }
        }
        if (timeouts.connectMs > 0)
            curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS,
                             static_cast<long>(timeouts.connectMs));
        curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &CurlRequest::OnHeader);
        curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &CurlRequest::OnBody);
        curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(easy_, CURLOPT_PREREQFUNCTION, &CurlRequest::OnConnected);
        curl_easy_setopt(easy_, CURLOPT_PREREQDATA, this);
        curl_easy_setopt(easy_, CURLOPT_NOPROGRESS, 0L);
        curl_easy_setopt(easy_, CURLOPT_XFERINFOFUNCTION, &CurlRequest::OnProgress);
        curl_easy_setopt(easy_, CURLOPT_XFERINFODATA, this);
        if (curl_multi_add_handle(multi_, easy_) != CURLM_OK) return false;
        attached_ = true;
        return true;
    }

    // Milliseconds without progress after which the current wait fails; 0 = no limit.
    std::int32_t IdleLimit() const {
        if (!connected_) return timeouts_.connectMs;
        if (!head_.done) {
            if (timeouts_.sendMs <= 0 || timeouts_.receiveMs <= 0) return 0;
            return std::max(timeouts_.sendMs, timeouts_.receiveMs);
        }
        return timeouts_.receiveMs;
    }

    // When sending and receiving the answer's head must be done, counted from the connection:
    // a server that trickles its head keeps the connection busy but the call ends all the same.
    std::optional<SteadyClock::time_point> HeadDeadline() const {
        if (!connected_ || timeouts_.sendMs <= 0 || timeouts_.receiveMs <= 0) return std::nullopt;
        return connectedAt_ +
               std::chrono::milliseconds(std::max(timeouts_.sendMs, timeouts_.receiveMs));
    }

    void Abort(const char* why) {
        if (attached_) curl_multi_remove_handle(multi_, easy_);
        if (failure_.empty()) failure_ = why;
        attached_ = false;
        finished_ = true;
    }

    // Runs the transfer until `done` holds, the transfer ends, a wait exceeds its time-out (the
    // request fails), or `deadline` passes (the request goes on; the caller decides).
    void Pump(const std::function<bool()>& done, std::optional<SteadyClock::time_point> deadline) {
        while (!finished_ && !done()) {
            int running = 0;
            if (const CURLMcode rc = curl_multi_perform(multi_, &running); rc != CURLM_OK) {
                Abort(curl_multi_strerror(rc));
                break;
            }
            int queued = 0;
            while (CURLMsg* msg = curl_multi_info_read(multi_, &queued)) {
                if (msg->msg != CURLMSG_DONE) continue;
                finished_ = true;
                if (msg->data.result != CURLE_OK && failure_.empty())
                    failure_ = curl_easy_strerror(msg->data.result);
            }
            if (finished_ || done()) break;
            const auto now = SteadyClock::now();
            if (!head_.done) {
                if (const auto head = HeadDeadline(); head && now >= *head) {
                    Abort("the answer's head did not arrive within the time-out");
                    break;
                }
            }
            if (deadline && now >= *deadline) break;
            long long waitMs = 50;
            if (const std::int32_t limit = IdleLimit(); limit > 0) {
                const auto idle =
                    std::chrono::duration_cast<std::chrono::milliseconds>(now - lastProgress_)
                        .count();
                if (idle >= limit) {
                    Abort("timed out");
                    break;
                }
                waitMs = std::min<long long>(waitMs, limit - idle);
            }
            if (deadline)
                waitMs = std::min<long long>(
                    waitMs,
                    std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - now).count() +
                        1);
            curl_multi_poll(multi_, nullptr, 0, static_cast<int>(std::max<long long>(waitMs, 1)),
                            nullptr);
        }
    }

    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
        auto& r = *static_cast<CurlRequest*>(self);
        r.lastProgress_ = SteadyClock::now();
        r.head_.OnLine(std::string_view(data, size * count));
        return size * count;
    }

    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self) {
        auto& r = *static_cast<CurlRequest*>(self);
        r.lastProgress_ = SteadyClock::now();
        r.head_.done = true;
        r.pending_.append(data, size * count);
        return size * count;
    }

    static int OnConnected(void* self, char*, char*, int, int) {
        auto& r = *static_cast<CurlRequest*>(self);
        r.connected_ = true;
        r.lastProgress_ = r.connectedAt_ = SteadyClock::now();
        return CURL_PREREQFUNC_OK;
    }

    static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t uploaded) {
        auto& r = *static_cast<CurlRequest*>(self);
        if (uploaded != r.uploaded_) {
            r.uploaded_ = uploaded;
            r.lastProgress_ = SteadyClock::now();
        }
        return 0;
    }

    std::shared_ptr<SharedSettings> settings_;
    HttpTimeouts timeouts_;
    std::string userAgent_, url_, verb_, target_, version_;
    std::vector<std::string> headers_;
    std::string body_;
    CURLM* multi_ = nullptr;
    CURL* easy_ = nullptr;
    curl_slist* headerList_ = nullptr;
    bool attached_ = false, sent_ = false, finished_ = false, connected_ = false;
    curl_off_t uploaded_ = 0;
    SteadyClock::time_point lastProgress_, connectedAt_;
    std::string failure_;  // why the transfer ended early, for the debug channel
    http::ResponseHead head_;
    std::string pending_;
    std::size_t pendingAt_ = 0;
};

class CurlConnection final : public HttpConnection {
  public:
    CurlConnection(std::shared_ptr<SharedSettings> settings, std::string userAgent,
                   std::string host, int port)
        : settings_(std::move(settings)),
          userAgent_(std::move(userAgent)),
          host_(std::move(host)),
          port_(port) {}

    std::unique_ptr<HttpRequest> OpenRequest(std::string_view verb, std::string_view path,
                                             std::string_view version) override {
        if (verb.empty() || path.empty() || path.front() != '/') return nullptr;
        return std::make_unique<CurlRequest>(settings_, userAgent_, host_, port_, std::string(verb),
                                             RequestTarget(path), std::string(version));
    }

  private:
    std::shared_ptr<SharedSettings> settings_;
    std::string userAgent_, host_;
    int port_;
};

class CurlSession final : public HttpSession {
  public:
    CurlSession(std::shared_ptr<SharedSettings> settings, std::string userAgent)
        : settings_(std::move(settings)), userAgent_(std::move(userAgent)) {}

    std::unique_ptr<HttpConnection> Connect(std::string_view host, int port) override {
        if (!IsHostName(host) || port <= 0 || port > 65535) return nullptr;
        return std::make_unique<CurlConnection>(settings_, rt::Utf8ToWin1252(userAgent_),
                                                std::string(host), port);
    }

  private:
    std::shared_ptr<SharedSettings> settings_;
    std::string userAgent_;
};

class CurlHttp final : public Http {
  public:
    std::unique_ptr<HttpSession> Open(std::string_view userAgent) override {
        static std::once_flag once;
        static bool started = false;
        std::call_once(once, [] { started = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
        if (!started) return nullptr;
        return std::make_unique<CurlSession>(settings_, std::string(userAgent));
    }
    void SetTimeouts(const HttpTimeouts& timeouts) override { settings_->timeouts = timeouts; }
    HttpTimeouts Timeouts() override { return settings_->timeouts; }

  private:
    std::shared_ptr<SharedSettings> settings_ = std::make_shared<SharedSettings>();
};

}  // namespace

}  // namespace platform

template <>
std::shared_ptr<platform::Http> rt::MakeDefaultRole<platform::Http>() {
    return std::make_shared<platform::CurlHttp>();
}

PERLOWAN_DEFINE_ROLE(platform::Http);

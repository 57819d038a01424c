#pragma once
// Shared by the web-service client's tests: the real HTTP client with every connection sent to
// one local port, the client's fixed texts, and the values of a call as texts.
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Http.h"
#include "Variant.h"

namespace platform::testing {

// Every connection goes to `port`; records the user agents, the hosts and ports asked for, and
// the time-outs set.
class PortRedirect final : public platform::Http {
  public:
    explicit PortRedirect(int port) : port_(port) {}

    std::unique_ptr<platform::HttpSession> Open(std::string_view userAgent) override {
        agents.emplace_back(userAgent);
        auto inner = real_->Open(userAgent);
        if (!inner) return nullptr;
        return std::make_unique<Session>(std::move(inner), *this);
    }
    void SetTimeouts(const platform::HttpTimeouts& t) override {
        timeouts.push_back(t);
        real_->SetTimeouts(t);
    }
    platform::HttpTimeouts Timeouts() override { return real_->Timeouts(); }

    std::vector<std::string> agents;
    std::vector<std::pair<std::string, int>> connects;
    std::vector<platform::HttpTimeouts> timeouts;

  private:
    class Session final : public platform::HttpSession {
      public:
        Session(std::unique_ptr<platform::HttpSession> inner, PortRedirect& owner)
            : inner_(std::move(inner)), owner_(owner) {}
        std::unique_ptr<platform::HttpConnection> Connect(std::string_view host,
                                                          int port) override {
            owner_.connects.emplace_back(host, port);
            return inner_->Connect(host, owner_.port_);
        }

      private:
        std::unique_ptr<platform::HttpSession> inner_;
        PortRedirect& owner_;
    };

    int port_;
    std::shared_ptr<platform::Http> real_ = rt::MakeDefaultRole<platform::Http>();
};

}  // namespace platform::testing

namespace wstest {

inline constexpr char kTimeoutText[] =
    "Der Server konnte nicht innerhalb der Timeout-Zeit antworten (GetTipps). Bitte versuchen Sie "
    "es ggf. später noch einmal.";
inline constexpr char kNoDetails[] = "Keine Fehlerdetails verfügbar.";

// The values a call returned, "<empty>" for an empty one.
inline std::vector<std::string> Texts(const rt::Variant& values) {
    std::vector<std::string> texts;
    if (!values.IsArray()) return {"<not an array>"};
    for (const auto& v : values.ToArray()) texts.push_back(v.IsEmpty() ? "<empty>" : v.ToString());
    return texts;
}

}  // namespace wstest

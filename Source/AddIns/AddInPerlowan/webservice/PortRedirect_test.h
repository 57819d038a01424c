#pragma once
// Test only: the real HTTP client with every connection sent to one local port, recording the
// user agents, the hosts and ports asked for, and the time-outs set.
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "Http.h"

namespace platform::testing {

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

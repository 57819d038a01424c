// The answer handling of the SOAP client on arbitrary answers and names: the first line holds the
// result names, the second the HTTP status text, the rest is the answer. A call ends with a
// result, and a True result leaves no error behind.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "Http.h"
#include "cWebservice.h"

namespace {

struct Script {
    std::string statusText, answer;
};

class ScriptedRequest final : public platform::HttpRequest {
  public:
    explicit ScriptedRequest(const Script& s) : script_(s) {}
    void AddHeaders(std::string_view) override {}
    bool Send(std::string_view) override { return true; }
    std::size_t Read(char* buffer, std::size_t size) override {
        const std::size_t take = std::min(size, script_.answer.size() - at_);
        std::memcpy(buffer, script_.answer.data() + at_, take);
        at_ += take;
        return take;
    }
    std::int32_t StatusCode() override { return 500; }
    std::string StatusText() override { return script_.statusText; }

  private:
    const Script& script_;
    std::size_t at_ = 0;
};

class ScriptedHttp final : public platform::Http, platform::HttpSession, platform::HttpConnection {
  public:
    Script script;
    std::unique_ptr<platform::HttpSession> Open(std::string_view) override {
        return std::make_unique<Forward>(*this);
    }
    void SetTimeouts(const platform::HttpTimeouts&) override {}
    platform::HttpTimeouts Timeouts() override { return {}; }
    std::unique_ptr<platform::HttpConnection> Connect(std::string_view, int) override {
        return std::make_unique<Forward>(*this);
    }
    std::unique_ptr<platform::HttpRequest> OpenRequest(std::string_view, std::string_view,
                                                       std::string_view) override {
        return std::make_unique<ScriptedRequest>(script);
    }

  private:
    struct Forward final : platform::HttpSession, platform::HttpConnection {
        explicit Forward(ScriptedHttp& owner) : owner(owner) {}
        std::unique_ptr<platform::HttpConnection> Connect(std::string_view h, int p) override {
            return owner.Connect(h, p);
        }
        std::unique_ptr<platform::HttpRequest> OpenRequest(std::string_view v, std::string_view p,
                                                           std::string_view r) override {
            return owner.OpenRequest(v, p, r);
        }
        ScriptedHttp& owner;
    };
};

std::string_view TakeLine(std::string_view& rest) {
    const std::size_t lf = std::min(rest.find('\n'), rest.size());
    const std::string_view line = rest.substr(0, lf);
    rest.remove_prefix(std::min(lf + 1, rest.size()));
    return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto http = std::make_shared<ScriptedHttp>();
    static const rt::ScopedRole<platform::Http> role(http);
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string names(TakeLine(rest));
    http->script.statusText = std::string(TakeLine(rest));
    http->script.answer = std::string(rest);

    cWebservice ws;
    ws.URL("http://ws.example.com/ws/trvTelmoraV6/trvTelmoraV6.asmx");
    rt::Variant values;
    std::int32_t timeout = 60000;
    const bool result = ws.CallWsMethod("F", {}, {}, names, "", values, timeout);
    const std::string lastError = ws.LastError();
    if (result && lastError != "Keine Fehlerdetails verfügbar.") std::abort();
    if (!http->script.answer.empty() && !values.IsArray()) std::abort();

    std::string text(http->script.answer);
    ws.CleanError(size % 2 == 0, text);
    return 0;
}

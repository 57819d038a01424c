#pragma once
// Calls one method of a SOAP 1.1 web service over HTTP and returns the values of named result
// elements, found in the answer by plain text search.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Variant.h"

// The namespace of the service's methods (its path ends in "/trvTelmoraV6/cTelmoraV6") and the
// listener on the service's host. The class has no default URL; these are the documented
// defaults of a deployment.
inline constexpr std::string_view kDefaultServiceNamespace =
    "http://ws.example.com/trvTelmoraV6/cTelmoraV6";
inline constexpr std::string_view kDefaultListenerHost = "ws.example.com";
inline constexpr std::string_view kListenerPath = "/ws/trvTelmoraV6/trvTelmoraV6.asmx";

class cWebservice {
  public:
    // The largest answer taken, in bytes as they arrive. A larger one (announced or arriving) is
    // refused and counts as no answer: the call ends with the time-out message. The results of
    // this client are short texts; the limit keeps a runaway answer from taking the memory of
    // the process it runs in.
    static constexpr std::size_t kAnswerLimitBytes = 64u << 20;

    explicit cWebservice(std::string serviceNamespace = std::string(kDefaultServiceNamespace));

    // Liefert bzw. setzt den Soaplistener.
    const std::string& URL() const noexcept { return url_; }
    void URL(std::string ptUrl) { url_ = std::move(ptUrl); }

    const std::string& ServiceNamespace() const noexcept { return serviceNamespace_; }

    // Posts the method `ptFunktion` with the parameters and reads the elements named in
    // `ptReturnParameter` (one name, or several separated by ",") into `pvReturnValues` (an array
    // from 0). True when the answer held no fault text and no failure was recorded. Never raises:
    // failures end in LastError or, when an error element such as ptFehler is asked for, in that
    // element. `plTimeout` (milliseconds) applies to the whole process from this call on; the
    // call returns within about the time to connect plus twice `plTimeout` (sending with the
    // answer's head, then reading), whatever the server does.
    bool CallWsMethod(const std::string& ptFunktion, const std::vector<std::string>& ptParaNames,
                      const std::vector<std::string>& ptParaValues,
                      const std::string& ptReturnParameter, const std::string& ptType,
                      rt::Variant& pvReturnValues, std::int32_t& plTimeout);

    // Liefert den zuletzt aufgetretenen Fehler zurück (repaired by CleanError).
    std::string LastError();
    bool LastCallTimedOut() const noexcept { return timedOut_; }

    // Sets the timed-out flag and returns the time-out text naming the function.
    std::string GetTimeoutMessage(const std::string& ptFunktion);

    // Characters outside ASCII as numeric references of their 8-bit code: "ä" -> "&#0228;".
    std::string Encode(const std::string& ptPara);

    // Fills in "%1" (written back to `ptText`) and repairs the 8-bit reading of UTF-8 German
    // letters and the entities &gt; and &lt; in the returned copy.
    std::string CleanError(bool pbReturnValue, std::string& ptText);

  private:
    std::string mtParseResult(const std::string& ptAnswer, const std::string& ptTag);
    std::string Envelope(const std::string& ptFunktion, const std::vector<std::string>& ptParaNames,
                         const std::vector<std::string>& ptParaValues, std::size_t count);
    std::string Headers(const std::string& ptFunktion) const;

    std::string serviceNamespace_;
    std::string url_;
    std::string lastError_;
    bool timedOut_ = false;
};

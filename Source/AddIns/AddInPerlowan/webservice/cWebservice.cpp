#include "cWebservice.h"

#include <algorithm>
#include <memory>
#include <new>

#include "Clock.h"
#include "CodePage.h"
#include "Debug.h"
#include "Http.h"
#include "RuntimeError.h"
#include "Text.h"
#include "cStringBuilder.h"
#include "mGlobSub.h"
#include "mGlobVar.h"

namespace {

constexpr std::string_view kUserAgent = "Telmora6AddIn";
constexpr std::string_view kNoDetails = "Keine Fehlerdetails verfügbar.";
constexpr std::string_view kNoConnection = "Server is not responding, please try again later.";
constexpr std::size_t kReadBufferBytes = 2048;

// The 8-bit reading of the UTF-8 German letters, and the two entities, with their repairs.
constexpr std::string_view kGarbled = "Ã¶|Ã–|Ã¤|Ã„|Ã¼|Ãœ|ÃŸ|&gt;|&lt;";
constexpr std::string_view kRepaired = "ö|Ö|ä|Ä|ü|Ü|ß|>|<";

// Offset of `what` in `text` from `from` on, as the classic search counts: nothing found from a
// start beyond the text's end, and an empty `what` found at the start itself.
std::size_t FindFrom(std::string_view text, std::string_view what, std::size_t from) {
    if (from >= text.size()) return std::string_view::npos;
    return text.find(what, from);
}

// FindFrom with letter case ignored; the answer itself is not copied, since it can be large.
std::size_t FindIgnoringCase(std::string_view text, std::string_view what, std::size_t from) {
    if (from >= text.size()) return std::string_view::npos;
    return rt::FindText(text, what, from, rt::Compare::Text);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return rt::StartsWithText(text, prefix, rt::Compare::Text);
}

bool ContainsIgnoringCase(std::string_view text, std::string_view what) {
    return rt::FindText(text, what, 0, rt::Compare::Text) != std::string_view::npos;
}

// "&#" + the code as four decimal digits + ";", written without the C library's locale.
std::string CharacterReference(int code) {
    std::string reference = "&#0000;";
    for (std::size_t i = 5; i >= 2 && code > 0; --i, code /= 10)
        reference[i] = static_cast<char>('0' + code % 10);
    return reference;
}

std::string ErrorText(std::string_view routine, std::string_view description, std::int32_t number) {
    return std::string(routine) + ": " + std::string(description) + "(" + std::to_string(number) +
           ")";
}

bool IsBlank(std::string_view text) {
    return text.find_first_not_of(' ') == std::string_view::npos;
}

// The answer as it arrives, in the system's text. It grows in pieces, so that what arrived is
// never copied to make room; an answer whose length the server announced fits the first piece
// (unless its 8-bit characters need more room as text) and is taken as it is.
class AnswerText {
  public:
    explicit AnswerText(std::int64_t announced)
        : announced_(announced > 0 ? static_cast<std::size_t>(announced) : 0) {}

    void Append(std::string_view wire) {
        wireBytes_ += wire.size();
        const std::string text = rt::Win1252ToUtf8(wire);
        if (pieces_.empty() || pieces_.back().capacity() - pieces_.back().size() < text.size()) {
            std::size_t room = kPieceBytes;
            if (pieces_.empty() && announced_ > 0) room = std::max(announced_, text.size());
            pieces_.emplace_back().reserve(room);
        }
        pieces_.back() += text;
        textBytes_ += text.size();
    }

    std::size_t WireBytes() const { return wireBytes_; }

    void Clear() {
        pieces_.clear();
        pieces_.shrink_to_fit();
        textBytes_ = 0;
    }

    // The whole text; each piece is released as soon as it was copied.
    std::string Take() {
        std::string all;
        if (pieces_.size() == 1) {
            all = std::move(pieces_.front());
        } else if (!pieces_.empty()) {
            all.reserve(textBytes_);
            for (std::string& piece : pieces_) {
                all += piece;
                std::string().swap(piece);
            }
        }
        Clear();
        return all;
    }

  private:
    static constexpr std::size_t kPieceBytes = 1u << 20;
    std::size_t announced_;
    std::size_t wireBytes_ = 0, textBytes_ = 0;
    std::vector<std::string> pieces_;
};

// Milliseconds since `start` on the wrapping tick counter.
std::int64_t TicksSince(std::uint32_t start) {
    return static_cast<std::uint32_t>(rt::CurrentClock().TickCount() - start);
}

}  // namespace

cWebservice::cWebservice(std::string serviceNamespace)
    : serviceNamespace_(std::move(serviceNamespace)) {}

std::string cWebservice::Envelope(const std::string& ptFunktion,
                                  const std::vector<std::string>& ptParaNames,
                                  const std::vector<std::string>& ptParaValues, std::size_t count) {
    std::string body =
        "<?xml version='1.0' encoding='utf-8'?><soap:Envelope "
        "xmlns:soap='http://schemas.xmlsoap.org/soap/envelope/' "
        "xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' "
        "xmlns:xsd='http://www.w3.org/2001/XMLSchema'>\r\n";
    body += "<soap:Body><" + ptFunktion + " xmlns='" + serviceNamespace_ + "'>\r\n";
    for (std::size_t i = 0; i < count; ++i) {
        if (i >= ptParaValues.size()) rt::Raise(rt::err::SubscriptOutOfRange, "cWebservice");
        const std::string& name = ptParaNames[i];
        if (ptParaValues[i].empty())
            body += "<" + name + " />\r\n";
        else
            body += "<" + name + ">" + Encode(ptParaValues[i]) + "</" + name + ">\r\n";
    }
    body += "</" + ptFunktion + ">\r\n</soap:Body>\r\n</soap:Envelope>\r\n";
    return body;
}

std::string cWebservice::Headers(const std::string& ptFunktion) const {
    return "Content-Type: text/xml; charset=utf-8\nSOAPAction: \"" + serviceNamespace_ + "/" +
           ptFunktion + "\"\n";
}

bool cWebservice::CallWsMethod(const std::string& ptFunktion,
                               const std::vector<std::string>& ptParaNames,
                               const std::vector<std::string>& ptParaValues,
                               const std::string& ptReturnParameter, const std::string& /*ptType*/,
                               rt::Variant& pvReturnValues, std::int32_t& plTimeout) {
    timedOut_ = false;
    const std::size_t count = ptParaNames.size();
    bool result = false;
    // Declared in opening order so that they close in reverse.
    std::unique_ptr<platform::HttpSession> session;
    std::unique_ptr<platform::HttpConnection> connection;
    std::unique_ptr<platform::HttpRequest> request;
    try {
        const std::string headers = Headers(ptFunktion);
        // Without a function there is no envelope: the request goes out with an empty body.
        const std::string envelope = ptFunktion.empty()
                                         ? std::string()
                                         : Envelope(ptFunktion, ptParaNames, ptParaValues, count);

        if (url_.empty()) {
            lastError_ = "Internal Error: Missing URL";
            return false;
        }
        std::string address = rt::Trim(url_);
        if (StartsWithIgnoringCase(address, "http://"))
            address.erase(0, 7);
        else if (StartsWithIgnoringCase(address, "https://"))
            address.erase(0, 8);
        const std::size_t slash = address.find('/');
        const std::string host = address.substr(0, slash);
        const std::string path = slash == std::string::npos ? "/" : address.substr(slash);

        platform::Http& http = platform::HttpClient();
        session = http.Open(kUserAgent);
        if (!session) {
            lastError_ = "Could not establish internet connection.";
            return false;
        }
        http.SetTimeouts({plTimeout, plTimeout, plTimeout});
        connection = session->Connect(host, platform::kDefaultHttpPort);
        if (!connection) {
            lastError_ = kNoConnection;
            return false;
        }
        request = connection->OpenRequest("POST", path, "HTTP/1.0");
        if (!request) {
            lastError_ = kNoConnection;
            return false;
        }
        request->AddHeaders(headers);

        // The envelope's closing LF stays behind.
        const std::string wire = rt::Utf8ToWin1252(envelope);
        const std::uint32_t sendStart = rt::CurrentClock().TickCount();
        request->Send(std::string_view(wire).substr(0, wire.empty() ? 0 : wire.size() - 1));
        const std::int64_t sendTook = TicksSince(sendStart);
        if (sendTook >= plTimeout && gobjAddIn) {
            std::string line = url_ + " Post timed out (" + std::to_string(sendTook) +
                               "ms / timeout should be " + std::to_string(plTimeout) + "ms)";
            gobjAddIn->Trace(line);
        }

        // Each read delivers what has arrived, at the latest when the receive time-out passes,
        // so the elapsed-time check below ends the reading within about that time-out.
        const std::int64_t announced = request->ContentLength();
        AnswerText arriving(announced <= static_cast<std::int64_t>(kAnswerLimitBytes) ? announced
                                                                                      : 0);
        bool refused = announced > static_cast<std::int64_t>(kAnswerLimitBytes);
        char buffer[kReadBufferBytes];
        const std::uint32_t readStart = rt::CurrentClock().TickCount();
        while (!refused) {
            const std::size_t got = request->Read(buffer, sizeof buffer);
            if (got == 0) break;
            arriving.Append(std::string_view(buffer, got));
            if (arriving.WireBytes() > kAnswerLimitBytes) {
                refused = true;
                break;
            }
            if (TicksSince(readStart) > plTimeout) {
                lastError_ = GetTimeoutMessage(ptFunktion);
                break;
            }
        }
        if (refused) {
            // Too large an answer counts as no answer.
            PERLOWAN_DEBUG("http", url_ + ": an answer of more than " +
                                       std::to_string(kAnswerLimitBytes) + " bytes was refused");
            arriving.Clear();
        }
        const std::string answer = arriving.Take();

        const bool list = ptReturnParameter.find(',') != std::string::npos;
        std::vector<std::string> names;
        if (list) {
            Split(ptReturnParameter, ",", names);
            if (names.empty()) rt::Raise(rt::err::SubscriptOutOfRange, "cWebservice");
        }
        bool found = false;
        if (!answer.empty()) {
            if (!list) {
                std::string value = mtParseResult(answer, ptReturnParameter);
                found = !value.empty();
                pvReturnValues = rt::Variant::Array{rt::Variant(std::move(value))};
            } else {
                rt::Variant::Array values(names.size());
                for (std::size_t i = 0; i < names.size(); ++i) {
                    std::string value = mtParseResult(answer, names[i]);
                    found = found || !value.empty();
                    values[i] = std::move(value);
                }
                pvReturnValues = std::move(values);
            }
            lastError_ = mtParseResult(answer, "faultstring");
            result = lastError_.empty();
        }

        if ((IsBlank(answer) && IsBlank(lastError_)) || !found) {
            if (!ContainsIgnoringCase(ptReturnParameter, "ptfehler") &&
                !ContainsIgnoringCase(ptReturnParameter, "pterror") &&
                !ContainsIgnoringCase(ptReturnParameter, "pte")) {
                lastError_ = GetTimeoutMessage(ptFunktion);
                result = false;
            } else if (!list) {
                pvReturnValues = rt::Variant::Array{rt::Variant(GetTimeoutMessage(ptFunktion))};
            } else {
                rt::Variant::Array values(names.size());
                for (std::size_t i = 0; i < names.size(); ++i) {
                    const std::string& name = names[i];
                    if (!ContainsIgnoringCase(name, "ptfehler") &&
                        !ContainsIgnoringCase(name, "pterror") && name != "ptE" && name != "ptF")
                        continue;
                    const std::string statusText = request->StatusText();
                    values[i] = statusText.empty()
                                    ? GetTimeoutMessage(ptFunktion)
                                    : std::to_string(request->StatusCode()) + " - " + statusText;
                    break;
                }
                pvReturnValues = std::move(values);
            }
        }
    } catch (const rt::RuntimeError& e) {
        lastError_ = ErrorText("CallWsMethod", e.Description(), e.Number());
        PERLOWAN_DEBUG("http", "call of " + ptFunktion + " ended: " + lastError_);
    } catch (const std::bad_alloc&) {
        lastError_ = ErrorText("CallWsMethod", rt::StandardDescription(7), 7);
        PERLOWAN_DEBUG("http", "call of " + ptFunktion + " ended: " + lastError_);
    }
    return result;
}

std::string cWebservice::mtParseResult(const std::string& ptAnswer, const std::string& ptTag) {
    std::string value;
    try {
        const std::string open = "<" + ptTag + ">";
        if (const std::size_t at = FindIgnoringCase(ptAnswer, open, 0); at != std::string::npos) {
            const std::size_t start = at + open.size();
            const std::size_t close = FindIgnoringCase(ptAnswer, "</" + ptTag + ">", start);
            value = close == std::string::npos ? ptAnswer.substr(start)
                                               : ptAnswer.substr(start, close - start);
        }
        // An element with attributes: from the first ">" after the name to the closing tag
        // before the name's next occurrence.
        if (value.empty()) {
            const std::size_t name = FindFrom(ptAnswer, ptTag, 0);
            const std::size_t gt = name == std::string::npos ? name : FindFrom(ptAnswer, ">", name);
            const std::size_t next =
                gt == std::string::npos ? gt : FindFrom(ptAnswer, ptTag, gt + 1);
            const std::size_t close = next == std::string::npos ? next : ptAnswer.rfind("</", next);
            if (close != std::string::npos) {
                if (close < gt + 1) rt::Raise(rt::err::InvalidProcedureCall, "cWebservice");
                value = ptAnswer.substr(gt + 1, close - (gt + 1));
            }
        }
    } catch (const rt::RuntimeError& e) {
        lastError_ = ErrorText("mtParseResult", e.Description(), e.Number());
        PERLOWAN_DEBUG("http", "result " + ptTag + " read as empty: " + lastError_);
        value.clear();
    } catch (const std::bad_alloc&) {
        lastError_ = ErrorText("mtParseResult", rt::StandardDescription(7), 7);
        PERLOWAN_DEBUG("http", "result " + ptTag + " read as empty: " + lastError_);
        value.clear();
    }
    return value;
}

std::string cWebservice::GetTimeoutMessage(const std::string& ptFunktion) {
    timedOut_ = true;
    return "Der Server konnte nicht innerhalb der Timeout-Zeit antworten (" + ptFunktion +
           "). Bitte versuchen Sie es ggf. später noch einmal.";
}

std::string cWebservice::Encode(const std::string& ptPara) {
    cStringBuilder builder;
    std::size_t runStart = 0;
    std::size_t pos = 0;
    const auto flushRun = [&](std::size_t end) {
        if (end > runStart) builder.Add(std::string_view(ptPara).substr(runStart, end - runStart));
    };
    while (pos < ptPara.size()) {
        if (static_cast<unsigned char>(ptPara[pos]) < 0x80) {
            ++pos;
            continue;
        }
        const std::size_t start = pos;
        const int code = rt::UnicodeToWin1252(rt::DecodeUtf8(ptPara, pos));
        // A character the code page lacks converts to its replacement "?", a code below 128, so
        // the character itself stays, as ASCII does.
        if (code < 0) continue;
        flushRun(start);
        runStart = pos;
        builder.Add(CharacterReference(code));
    }
    flushRun(pos);
    return builder.ToString();
}

std::string cWebservice::CleanError(bool pbReturnValue, std::string& ptText) {
    if (ptText.empty() && !pbReturnValue) ptText = "%1";
    if (ptText.find("%1") != std::string::npos) ptText = Replace(ptText, "%1", kNoDetails);
    std::string repaired = ptText;
    std::vector<std::string> garbled, letters;
    Split(kGarbled, "|", garbled);
    Split(kRepaired, "|", letters);
    for (std::size_t i = 0; i < garbled.size() && i < letters.size(); ++i)
        repaired = Replace(repaired, garbled[i], letters[i]);
    return repaired;
}

std::string cWebservice::LastError() {
    if (lastError_.empty()) return std::string(kNoDetails);
    return CleanError(false, lastError_);
}

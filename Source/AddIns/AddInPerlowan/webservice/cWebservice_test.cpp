#include "cWebservice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Clock.h"
#include "CodePage.h"
#include "Http.h"
#include "LoopbackHttpServer.h"
#include "TestSupport.h"
#include "WebserviceTestSupport_test.h"
#include "mGlobVar.h"

namespace {

using platform::testing::LoopbackHttpServer;
using platform::testing::RecordedRequest;
using platform::testing::ScriptedReply;

using platform::testing::PortRedirect;
using wstest::kNoDetails;
using wstest::kTimeoutText;
using wstest::Texts;

class RecordingAddIn final : public AddInInstance {
  public:
    rt::ObjectRef MainApplication() const override { return nullptr; }
    void Trace(std::string& ptText, const rt::ObjectRef&) override { lines.push_back(ptText); }
    std::vector<std::string> lines;
};

// Each reading of the tick count moves it on by a fixed step.
class SteppingClock final : public rt::Clock {
  public:
    explicit SteppingClock(std::uint32_t step) : step_(step) {}
    rt::LocalDateTime Now() override { return {}; }
    std::uint32_t TickCount() override { return ticks_ += step_; }

  private:
    std::uint32_t step_;
    std::uint32_t ticks_ = 0;
};

std::string Soap(std::string_view body) {
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?><soap:Envelope "
           "xmlns:soap=\"http://schemas.xmlsoap.org/soap/envelope/\"><soap:Body>" +
           std::string(body) + "</soap:Body></soap:Envelope>";
}

class WebserviceTest : public ::testing::Test {
  protected:
    void Serve(LoopbackHttpServer::Handler handler) {
        role_.reset();  // restores the previous role before the next one is installed
        server_ = std::make_unique<LoopbackHttpServer>(std::move(handler));
        http_ = std::make_shared<PortRedirect>(server_->Port());
        role_ = std::make_unique<rt::ScopedRole<platform::Http>>(http_);
    }
    void Answer(int code, std::string_view reason, std::string body) {
        Serve(
            [=](const RecordedRequest&) { return LoopbackHttpServer::Answer(code, reason, body); });
    }
    bool Call(std::string_view returnParameter, rt::Variant& values, std::int32_t timeout = 2000,
              std::vector<std::string> names = {}, std::vector<std::string> paraValues = {}) {
        std::int32_t plTimeout = timeout;
        return ws_.CallWsMethod("GetTipps", names, paraValues, std::string(returnParameter), "",
                                values, plTimeout);
    }
    std::vector<RecordedRequest> Requests() const { return server_->Requests(); }

    cWebservice ws_;
    std::unique_ptr<LoopbackHttpServer> server_;
    std::shared_ptr<PortRedirect> http_;
    std::unique_ptr<rt::ScopedRole<platform::Http>> role_;

    void SetUp() override { ws_.URL("http://127.0.0.1/ws/trvTelmoraV6/trvTelmoraV6.asmx"); }
    void TearDown() override {
        role_.reset();
        server_.reset();
    }
};

TEST_F(WebserviceTest, PostsTheEnvelopeWithItsHeaders) {
    Answer(200, "OK",
           Soap("<GetTippsResponse><GetTippsResult>ok</GetTippsResult></GetTippsResponse>"));
    rt::Variant values;
    EXPECT_TRUE(Call("GetTippsResult", values, 2000, {"ptUser", "ptLeer", "ptZeichen"},
                     {"Jürgen", "", "<&>\"€Ω"}));
    EXPECT_EQ(Texts(values), (std::vector<std::string>{"ok"}));

    ASSERT_EQ(Requests().size(), 1u);
    const RecordedRequest r = Requests()[0];
    EXPECT_EQ(r.RequestLine(), "POST /ws/trvTelmoraV6/trvTelmoraV6.asmx HTTP/1.0");
    EXPECT_EQ(r.Header("User-Agent"), "Telmora6AddIn");
    EXPECT_EQ(r.Header("Content-Type"), "text/xml; charset=utf-8");
    EXPECT_EQ(r.Header("SOAPAction"), "\"http://ws.example.com/trvTelmoraV6/cTelmoraV6/GetTipps\"");
    // The closing LF of the envelope is not sent.
    EXPECT_EQ(r.body,
              "<?xml version='1.0' encoding='utf-8'?><soap:Envelope "
              "xmlns:soap='http://schemas.xmlsoap.org/soap/envelope/' "
              "xmlns:xsi='http://www.w3.org/2001/XMLSchema-instance' "
              "xmlns:xsd='http://www.w3.org/2001/XMLSchema'>\r\n"
              "<soap:Body><GetTipps xmlns='http://ws.example.com/trvTelmoraV6/cTelmoraV6'>\r\n"
              "<ptUser>J&#0252;rgen</ptUser>\r\n"
              "<ptLeer />\r\n"
              "<ptZeichen><&>\"&#0128;?</ptZeichen>\r\n"
              "</GetTipps>\r\n</soap:Body>\r\n</soap:Envelope>\r");
    EXPECT_EQ(r.Header("Content-Length"), std::to_string(r.body.size()));
    ASSERT_EQ(http_->connects.size(), 1u);
    EXPECT_EQ(http_->connects[0], (std::pair<std::string, int>{"127.0.0.1", 80}));
    ASSERT_EQ(http_->timeouts.size(), 1u);
    EXPECT_EQ(http_->timeouts[0].connectMs, 2000);
    EXPECT_EQ(http_->timeouts[0].sendMs, 2000);
    EXPECT_EQ(http_->timeouts[0].receiveMs, 2000);
    EXPECT_EQ(http_->agents, (std::vector<std::string>{"Telmora6AddIn"}));
}

TEST_F(WebserviceTest, TheSchemeOnlyDecidesWhatIsCutOff) {
    struct Row {
        std::string url, path;
    };
    const std::vector<Row> rows = {
        {"https://127.0.0.1/ws/trvTelmoraV6/trvTelmoraV6.asmx",
         "/ws/trvTelmoraV6/trvTelmoraV6.asmx"},
        {"  HTTP://127.0.0.1/a/b?x=1  ", "/a/b?x=1"},
        {"127.0.0.1/plain", "/plain"},
        {"http://127.0.0.1", "/"},
    };
    Answer(200, "OK", "<r>1</r>");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        ws_.URL(rows[i].url);
        rt::Variant values;
        EXPECT_TRUE(Call("r", values));
        ASSERT_EQ(Requests().size(), i + 1);
        EXPECT_EQ(Requests()[i].RequestLine(), "POST " + rows[i].path + " HTTP/1.0");
        EXPECT_EQ(http_->connects.back(), (std::pair<std::string, int>{"127.0.0.1", 80}));
    }
}

TEST_F(WebserviceTest, ACallWithoutFunctionPostsAnEmptyBody) {
    Answer(500, "Internal Server Error",
           Soap("<soap:Fault><faultstring>No method</faultstring></soap:Fault>"));
    rt::Variant values;
    std::int32_t timeout = 2000;
    EXPECT_FALSE(ws_.CallWsMethod("", {}, {}, "ptFehler", "", values, timeout));
    ASSERT_EQ(Requests().size(), 1u);
    EXPECT_EQ(Requests()[0].body, "");
    EXPECT_EQ(Requests()[0].Header("Content-Length"), "0");
    EXPECT_EQ(Requests()[0].Header("SOAPAction"),
              "\"http://ws.example.com/trvTelmoraV6/cTelmoraV6/\"");
    EXPECT_EQ(ws_.LastError(), "No method");
    EXPECT_EQ(Texts(values), (std::vector<std::string>{
                                 "Der Server konnte nicht innerhalb der Timeout-Zeit antworten (). "
                                 "Bitte versuchen Sie es ggf. später noch einmal."}));
}

TEST_F(WebserviceTest, ReadsResultElementsWithAndWithoutAttributes) {
    struct Row {
        std::string answer, returnParameter;
        std::vector<std::string> values;
    };
    const std::vector<Row> rows = {
        {Soap("<Wert>1</Wert><Einheit xsi:type=\"xsd:string\">2</Einheit>"),
         "Wert,Einheit",
         {"1", "2"}},
        // The name is searched as plain text: here "B" first matches inside "soap:Body".
        {Soap("<A>1</A><B x=\"y\">2</B>"), "A,B", {"1", "<A>1"}},
        {Soap("<RESULT>x</result>"), "Result", {"x"}},
        {Soap("<ns:Result>y</ns:Result>"), "Result", {"y"}},
        {Soap("<A>1</A>"), "A,Missing,", {"1", ""}},
        {"<A>open to the end", "A", {"open to the end"}},
        {Soap("<A>&lt;raw&gt; ent&amp;ities</A>"), "A", {"&lt;raw&gt; ent&amp;ities"}},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        Answer(200, "OK", rows[i].answer);
        rt::Variant values;
        EXPECT_TRUE(Call(rows[i].returnParameter, values));
        EXPECT_EQ(Texts(values), rows[i].values);
        EXPECT_EQ(ws_.LastError(), kNoDetails);
        EXPECT_FALSE(ws_.LastCallTimedOut());
    }
}

TEST_F(WebserviceTest, AFaultWinsOverFoundValues) {
    Answer(500, "Internal Server Error",
           Soap("<A>1</A><soap:Fault><faultcode>soap:Server</faultcode>"
                "<faultstring>Ung\xC3\xBCltig: \xC3\xB6 \xC3\x9F "
                "&lt;x&gt;</faultstring></soap:Fault>"));
    rt::Variant values;
    EXPECT_FALSE(Call("A", values));
    EXPECT_EQ(Texts(values), (std::vector<std::string>{"1"}));
    EXPECT_EQ(ws_.LastError(), "Ungültig: ö ß <x>");
    EXPECT_FALSE(ws_.LastCallTimedOut());
}

TEST_F(WebserviceTest, AnEmptyAnswerReportsTheHttpStatus) {
    struct Row {
        std::string returnParameter;
        bool result;
        std::vector<std::string> values;  // {"<untouched>"}: left as it was
        std::string lastError;
    };
    const std::string timeout = kTimeoutText;
    const std::vector<Row> rows = {
        {"ptResult,ptFehler", false, {"<empty>", "503 - Service Unavailable"}, kNoDetails},
        {"ptResult,ptE,ptError",
         false,
         {"<empty>", "503 - Service Unavailable", "<empty>"},
         kNoDetails},
        {"ptFehler", false, {timeout}, kNoDetails},
        {"ptResult", false, {"<untouched>"}, timeout},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        Answer(503, "Service Unavailable", "");
        rt::Variant values = rt::Variant::Array{rt::Variant("<untouched>")};
        cWebservice fresh;
        fresh.URL(ws_.URL());
        std::int32_t plTimeout = 2000;
        EXPECT_EQ(
            fresh.CallWsMethod("GetTipps", {}, {}, rows[i].returnParameter, "", values, plTimeout),
            rows[i].result);
        EXPECT_EQ(Texts(values), rows[i].values);
        EXPECT_EQ(fresh.LastError(), rows[i].lastError);
        EXPECT_TRUE(fresh.LastCallTimedOut() || rows[i].values[0] == "<empty>");
    }
}

TEST_F(WebserviceTest, UmlautsInParametersAndAnswers) {
    Serve([](const RecordedRequest& r) {
        // Echo the parameter as it arrived, once as UTF-8 and once in the 8-bit code page.
        const std::size_t start = r.body.find("<ptText>") + 8;
        const std::string sent = r.body.substr(start, r.body.find("</ptText>") - start);
        return LoopbackHttpServer::Answer(200, "OK",
                                          "<Sent>" + sent +
                                              "</Sent><Utf8>Gr\xC3\xBC\xC3\x9F"
                                              "e</Utf8><Ansi>Gr\xFC\xDF"
                                              "e</Ansi>");
    });
    rt::Variant values;
    EXPECT_TRUE(Call("Sent,Utf8,Ansi", values, 2000, {"ptText"}, {"äöüÄÖÜß"}));
    // Values come back as the answer's bytes read in the 8-bit code page, unrepaired.
    EXPECT_EQ(Texts(values),
              (std::vector<std::string>{"&#0228;&#0246;&#0252;&#0196;&#0214;&#0220;&#0223;",
                                        "GrÃ¼ÃŸe", "Grüße"}));
}

TEST_F(WebserviceTest, AnAnswerThatNeverComesEndsWithinTheTimeout) {
    Serve([](const RecordedRequest&) {
        ScriptedReply reply;
        reply.hang = true;
        return reply;
    });
    auto addIn = std::make_shared<RecordingAddIn>();
    gobjAddIn = addIn;
    rt::Variant values{"sentinel"};
    const auto start = std::chrono::steady_clock::now();
    const bool result = Call("ptResult", values, 1000);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
    gobjAddIn.reset();
    EXPECT_FALSE(result);
    EXPECT_LT(took, 3000);
    EXPECT_EQ(ws_.LastError(), kTimeoutText);
    EXPECT_TRUE(ws_.LastCallTimedOut());
    EXPECT_EQ(values.ToString(), "sentinel");
    ASSERT_EQ(addIn->lines.size(), 1u);
    const std::string prefix = ws_.URL() + " Post timed out (";
    EXPECT_EQ(addIn->lines[0].substr(0, prefix.size()), prefix);
    EXPECT_TRUE(addIn->lines[0].ends_with("ms / timeout should be 1000ms)")) << addIn->lines[0];
}

TEST_F(WebserviceTest, ReadsInChunksUntilTheTimeHasPassed) {
    // Every reading of the tick count moves it by 1000 ms: the send seems to take the whole
    // time-out (a trace line), and reading stops after the second 2048-byte chunk.
    Serve([](const RecordedRequest&) {
        ScriptedReply reply;
        reply.bytes = "HTTP/1.0 200 OK\r\n\r\n<ptResult>";
        reply.fillerBytes = 9000;
        reply.tail = "</ptResult>";
        return reply;
    });
    rt::ScopedRole<rt::Clock> clock(std::make_shared<SteppingClock>(1000));
    auto addIn = std::make_shared<RecordingAddIn>();
    gobjAddIn = addIn;
    rt::Variant values;
    const bool result = Call("ptResult", values, 1000);
    gobjAddIn.reset();
    // The time-out text of the read is replaced by the (empty) fault text.
    EXPECT_TRUE(result);
    EXPECT_EQ(Texts(values), (std::vector<std::string>{std::string(2 * 2048 - 10, 'x')}));
    EXPECT_TRUE(ws_.LastCallTimedOut());
    EXPECT_EQ(ws_.LastError(), kNoDetails);
    EXPECT_EQ(addIn->lines,
              (std::vector<std::string>{ws_.URL() +
                                        " Post timed out (1000ms / timeout should be 1000ms)"}));
}

TEST_F(WebserviceTest, AServerThatClosesMidAnswer) {
    struct Row {
        std::string partial;
        bool result;
        std::vector<std::string> values;
    };
    const std::vector<Row> rows = {
        {"<A>1</A><B>2", true, {"1", "2"}},
        {"<A>1</A><B>2</B><faultstring>half", false, {"1", "2"}},
        {"<C>", false, {"", ""}},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        Serve([&](const RecordedRequest&) {
            ScriptedReply reply;
            reply.bytes = "HTTP/1.0 200 OK\r\nContent-Length: 5000\r\n\r\n" + rows[i].partial;
            return reply;
        });
        rt::Variant values;
        EXPECT_EQ(Call("A,B", values, 1000), rows[i].result);
        EXPECT_EQ(Texts(values), rows[i].values);
    }
}

TEST_F(WebserviceTest, FailuresBeforeTheExchange) {
    Answer(200, "OK", "<r>1</r>");
    struct Row {
        std::string url;
        std::vector<std::string> names, paraValues;
        std::string lastError;
    };
    const std::vector<Row> rows = {
        {"", {}, {}, "Internal Error: Missing URL"},
        {"http:///no/host", {}, {}, "Server is not responding, please try again later."},
        {"https://user@127.0.0.1/x", {}, {}, "Server is not responding, please try again later."},
        {"http://127.0.0.1/x", {"a", "b"}, {"1"}, "CallWsMethod: Subscript out of range(9)"},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        cWebservice ws;
        ws.URL(rows[i].url);
        rt::Variant values{"sentinel"};
        std::int32_t timeout = 1000;
        EXPECT_FALSE(ws.CallWsMethod("GetTipps", rows[i].names, rows[i].paraValues, "r", "", values,
                                     timeout));
        EXPECT_EQ(ws.LastError(), rows[i].lastError);
        EXPECT_EQ(values.ToString(), "sentinel");
        EXPECT_FALSE(ws.LastCallTimedOut());
    }
    EXPECT_TRUE(Requests().empty());
}

TEST(Webservice, ARefusedConnectionEndsInTheTimeoutText) {
    auto http = std::make_shared<PortRedirect>(platform::testing::UnusedLoopbackPort());
    rt::ScopedRole<platform::Http> role(http);
    cWebservice ws;
    ws.URL("http://127.0.0.1/x");
    rt::Variant values;
    std::int32_t timeout = 1000;
    EXPECT_FALSE(ws.CallWsMethod("GetTipps", {}, {}, "ptResult,ptFehler", "", values, timeout));
    EXPECT_EQ(Texts(values), (std::vector<std::string>{"<empty>", kTimeoutText}));
    EXPECT_TRUE(ws.LastCallTimedOut());
}

// Answer files (the bytes of a body as they come over the wire, sent with status 500) with the
// call's outcome beside them: "<name>.answer" and "<name>.expected".
TEST_F(WebserviceTest, AnswerFilesGiveTheExpectedOutcome) {
    const std::filesystem::path folder =
        PERLOWAN_SOURCE_DIR "/Source/AddIns/AddInPerlowan/webservice/testdata/answers";
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().extension() != ".answer") continue;
        ++files;
        SCOPED_TRACE(entry.path().filename().string());
        std::filesystem::path expectedPath = entry.path();
        expectedPath.replace_extension(".expected");
        const std::string expected = testsupport::ReadFile(expectedPath);
        const std::string names = expected.substr(7, expected.find('\n') - 7);
        Answer(500, "Internal Server Error", testsupport::ReadFile(entry.path()));

        cWebservice ws;
        ws.URL(ws_.URL());
        rt::Variant values;
        std::int32_t timeout = 5000;
        const bool result = ws.CallWsMethod("GetTipps", {}, {}, names, "", values, timeout);
        std::ostringstream actual;
        actual << "names: " << names << "\nresult: " << (result ? "True" : "False") << "\n";
        if (values.IsArray())
            for (const auto& v : values.ToArray())
                actual << "value: " << (v.IsEmpty() ? "<empty>" : v.ToString()) << "\n";
        actual << "lastError: " << ws.LastError()
               << "\ntimedOut: " << (ws.LastCallTimedOut() ? "True" : "False") << "\n";
        EXPECT_EQ(actual.str(), expected);
    }
    EXPECT_GE(files, 6);
}

TEST(Webservice, CleanErrorAndLastError) {
    struct Row {
        bool returnValue;
        std::string text, cleaned, writtenBack;
    };
    const std::vector<Row> rows = {
        {false, "", kNoDetails, kNoDetails},
        {true, "", "", ""},
        {true, "Fehler: %1 (%1)",
         "Fehler: Keine Fehlerdetails verfügbar. (Keine Fehlerdetails verfügbar.)",
         "Fehler: Keine Fehlerdetails verfügbar. (Keine Fehlerdetails verfügbar.)"},
        {false, "GrÃ¶ÃŸe Ã– Ã¤ Ã„ Ã¼ Ãœ &gt;&lt;", "Größe Ö ä Ä ü Ü ><",
         "GrÃ¶ÃŸe Ã– Ã¤ Ã„ Ã¼ Ãœ &gt;&lt;"},
        {false, "&amp;gt; %2", "&amp;gt; %2", "&amp;gt; %2"},
    };
    cWebservice ws;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        std::string text = rows[i].text;
        EXPECT_EQ(ws.CleanError(rows[i].returnValue, text), rows[i].cleaned);
        EXPECT_EQ(text, rows[i].writtenBack);
    }
    EXPECT_EQ(ws.LastError(), kNoDetails);
    EXPECT_FALSE(ws.LastCallTimedOut());
    EXPECT_EQ(ws.GetTimeoutMessage("GetTipps"), kTimeoutText);
    EXPECT_TRUE(ws.LastCallTimedOut());
}

TEST(Webservice, EncodeWritesNumericReferencesOfTheCodePage) {
    // A character the code page lacks converts to "?", a code below 128: the character stays.
    const std::vector<std::pair<std::string, std::string>> rows = {
        /* 0 */ {"", ""},
        /* 1 */ {"abc <&> \"'", "abc <&> \"'"},
        /* 2 */ {"ä", "&#0228;"},
        /* 3 */ {"ÿ€", "&#0255;&#0128;"},
        /* 4 */ {"Ω", "Ω"},
        /* 5 */ {"xΩä€\U0001F600?", "xΩ&#0228;&#0128;\U0001F600?"},
        // A byte that is no UTF-8 reads as the replacement character, which stays.
        /* 6 */ {"a\xFFz", "a\uFFFDz"},
        /* 7 */ {"\u00A0Ж\u00A0", "&#0160;Ж&#0160;"},
    };
    cWebservice ws;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        EXPECT_EQ(ws.Encode(rows[i].first), rows[i].second);
    }
}

}  // namespace

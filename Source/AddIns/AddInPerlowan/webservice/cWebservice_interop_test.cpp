// The client against a real SOAP 1.1 service of another make: spyne, started for these tests on
// 127.0.0.1 with the script in testdata/.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "Http.h"
#include "WebserviceTestSupport_test.h"
#include "cWebservice.h"

extern char** environ;

namespace {

constexpr char kScript[] =
    PERLOWAN_SOURCE_DIR "/Source/AddIns/AddInPerlowan/webservice/testdata/spyne_server.py";

using platform::testing::PortRedirect;
using wstest::Texts;

pid_t Spawn(const std::vector<std::string>& args, int stdoutFd) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    const int devNull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    posix_spawn_file_actions_adddup2(&actions, stdoutFd >= 0 ? stdoutFd : devNull, 1);
    posix_spawn_file_actions_adddup2(&actions, devNull, 2);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(devNull);
    return pid;
}

int WaitExit(pid_t pid) {
    int status = 0;
    if (::waitpid(pid, &status, 0) != pid) return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The Debian interpreter first: that is where the python3-spyne package installs.
std::string PythonWithSpyne() {
    for (const std::string python : {"/usr/bin/python3", "python3"}) {
        const pid_t pid = Spawn({python, "-c", "import spyne, lxml"}, -1);
        if (pid > 0 && WaitExit(pid) == 0) return python;
    }
    return {};
}

class SpyneService {
  public:
    bool Start(const std::string& python, std::string& problem) {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) return problem = "pipe", false;
        pid_ = Spawn({python, kScript, std::string(kDefaultServiceNamespace)}, fds[1]);
        ::close(fds[1]);
        if (pid_ <= 0) {
            ::close(fds[0]);
            return problem = "cannot start " + python, false;
        }
        std::string out;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (out.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            pollfd p{fds[0], POLLIN, 0};
            if (::poll(&p, 1, 100) <= 0) continue;
            char buffer[256];
            const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
            if (n <= 0) break;
            out.append(buffer, static_cast<std::size_t>(n));
        }
        ::close(fds[0]);
        if (!out.starts_with("PORT ")) return problem = "the service did not start: " + out, false;
        port_ = std::stoi(out.substr(5));
        return true;
    }
    ~SpyneService() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            WaitExit(pid_);
        }
    }
    int Port() const { return port_; }

  private:
    pid_t pid_ = -1;
    int port_ = 0;
};

class SpyneInterop : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        python_ = PythonWithSpyne();
        if (python_.empty()) return;
        if (!service_.emplace().Start(python_, problem_)) service_.reset();
    }
    static void TearDownTestSuite() { service_.reset(); }
    void SetUp() override {
        // The test command installs python3-spyne; without it the interoperability is unproven.
        ASSERT_FALSE(python_.empty()) << "python3 with spyne is not installed";
        ASSERT_TRUE(service_.has_value()) << problem_;
        role_ = std::make_unique<rt::ScopedRole<platform::Http>>(
            std::make_shared<PortRedirect>(service_->Port()));
        ws_.URL(std::string("http://127.0.0.1") + std::string(kListenerPath));
    }

    static inline std::string python_;
    static inline std::string problem_;
    static inline std::optional<SpyneService> service_;
    std::unique_ptr<rt::ScopedRole<platform::Http>> role_;
    cWebservice ws_;
};

TEST_F(SpyneInterop, ReadsTheResultsOfAMethodWithTwoTextParameters) {
    struct Row {
        std::string name, place;
        std::vector<std::string> values;
    };
    // The service answers in UTF-8; the values are its bytes read in the 8-bit code page.
    const std::vector<Row> rows = {
        {"Jürgen", "Köln", {"Hallo JÃ¼rgen aus KÃ¶ln", "JÃ¼rgen|KÃ¶ln"}},
        {"Eva", "Bonn", {"Hallo Eva aus Bonn", "Eva|Bonn"}},
        {"Straße", "", {"Hallo StraÃŸe aus ", "StraÃŸe|"}},  // an empty element arrives as ""
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        rt::Variant values;
        std::int32_t timeout = 5000;
        EXPECT_TRUE(ws_.CallWsMethod("Begruessung", {"ptName", "ptOrt"},
                                     {rows[i].name, rows[i].place}, "ptGruss,ptEcho", "", values,
                                     timeout))
            << ws_.LastError();
        EXPECT_EQ(Texts(values), rows[i].values);
        EXPECT_EQ(ws_.LastError(), wstest::kNoDetails);
        EXPECT_FALSE(ws_.LastCallTimedOut());
    }
}

TEST_F(SpyneInterop, AFaultEndsInFalseAndTheLastError) {
    const std::string timeoutText =
        "Der Server konnte nicht innerhalb der Timeout-Zeit antworten (Ablehnung). Bitte "
        "versuchen Sie es ggf. später noch einmal.";
    struct Row {
        std::string returnParameter;
        std::vector<std::string> values;
        std::string lastError;
        bool timedOut;
    };
    const std::vector<Row> rows = {
        // An error element is asked for: it gets the HTTP status, the fault text stays.
        {"AblehnungResult,ptFehler",
         {"<empty>", "500 - Internal Server Error"},
         "Ungültige Anfrage: Überweisung",
         false},
        // No value and no error element: the time-out text replaces the fault text.
        {"AblehnungResult", {""}, timeoutText, true},
    };
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE("row " + std::to_string(i));
        rt::Variant values;
        std::int32_t timeout = 5000;
        EXPECT_FALSE(ws_.CallWsMethod("Ablehnung", {"ptGrund"}, {"Überweisung"},
                                      rows[i].returnParameter, "", values, timeout));
        EXPECT_EQ(Texts(values), rows[i].values);
        EXPECT_EQ(ws_.LastError(), rows[i].lastError);
        EXPECT_EQ(ws_.LastCallTimedOut(), rows[i].timedOut);
    }
}

}  // namespace

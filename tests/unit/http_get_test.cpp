// The HTTP layer against a real server on loopback: what the listener is told,
// in which order, and how transfers end.

#include <gtest/gtest.h>

#include <optional>
#include <regex>
#include <string>
#include <vector>

#include "platform/Http.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/HttpFailureTexts.h"
#include "tests/support/NoProxies.h"
#include "tests/support/ScriptedServer.h"

namespace {

using kv::platform::HttpGet;
using kv::platform::HttpResult;
using kv::test::ScriptedServer;
using Kind = HttpResult::Kind;

// Records everything; stops where told to.
class RecordingListener final : public kv::platform::HttpListener {
 public:
  bool stopAtResponse = false;
  std::size_t stopAfterBytes = std::string::npos;

  int responses = 0;
  long status = -1;
  std::optional<std::string> contentLength;
  std::string body;
  std::size_t largestPiece = 0;
  bool bodyBeforeResponse = false;

  bool OnResponse(long s, std::optional<std::string_view> length) override {
    ++responses;
    status = s;
    if (length) {
      contentLength = std::string(*length);
    }
    return !stopAtResponse;
  }
  bool OnBody(std::string_view piece) override {
    bodyBeforeResponse = bodyBeforeResponse || responses == 0;
    body += piece;
    largestPiece = std::max(largestPiece, piece.size());
    return body.size() < stopAfterBytes;
  }
};

class HttpGetTest : public ::testing::Test {
 protected:
  HttpResult Get(const std::string& url, RecordingListener& listener) {
    return HttpGet(url, {"kv-agent", std::chrono::milliseconds(5000)}, listener);
  }
  kv::test::NoProxies noProxies_;
  ScriptedServer server_;
};

TEST_F(HttpGetTest, ReportsTheFinalResponseOnceThenItsBody) {
  const std::string body(1024 * 1024 + 7, 'x');
  struct Case {
    const char* name;
    const char* routes;
    long status;
    std::optional<std::string> contentLength;
    std::string body;
  };
  const Case cases[] = {
      {"plain reply", R"({"/r": {"body": "hello"}})", 200, "5", "hello"},
      {"no Content-Length", R"({"/r": {"body": "hello", "content_length": null}})", 200,
       std::nullopt, "hello"},
      {"body shorter than announced", R"({"/r": {"body": "hello", "content_length": 9}})", 200, "9",
       "hello"},
      {"closed mid-body", R"({"/r": {"body": "hello world", "close_after": 4}})", 200, "11",
       "hell"},
      {"body longer than announced", R"({"/r": {"body": "hello world", "content_length": 5}})", 200,
       "5", "hello world"},
      {"error status with body", R"({"/r": {"status": 404, "body": "gone"}})", 404, "4", "gone"},
      {"redirections followed",
       R"({"/r": {"status": 302, "headers": {"Location": "{base}/s"}, "body": "moved"},
           "/s": {"status": 301, "headers": {"Location": "/t"}},
           "/t": {"status": 203, "body": "there"}})",
       203, "5", "there"},
      {"3xx without Location is final", R"({"/r": {"status": 300, "body": "choose"}})", 300, "6",
       "choose"},
      {"large body", R"({"/r": {"fill": {"text": "x", "count": 1048583}}})", 200, "1048583", body},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server_.SetRoutes(c.routes);
    RecordingListener listener;
    const HttpResult result = Get(server_.BaseUrl() + "/r", listener);
    EXPECT_EQ(result.kind, Kind::kComplete) << result.failure;
    EXPECT_EQ(listener.responses, 1);
    EXPECT_FALSE(listener.bodyBeforeResponse);
    EXPECT_EQ(listener.status, c.status);
    EXPECT_EQ(listener.contentLength, c.contentLength);
    EXPECT_EQ(listener.body, c.body);
    EXPECT_LE(listener.largestPiece, kv::platform::kHttpPieceSize);
  }
}

// A machine's proxy settings would take the requests meant for the loopback
// servers; the fixtures of the loopback tests remove them.
TEST_F(HttpGetTest, LoopbackTestsAreKeptFromAMachinesProxy) {
  server_.SetRoutes(R"({"/r": {"body": "direct"}})");
  const std::string deadProxy = "http://127.0.0.1:" + std::to_string(ScriptedServer::UnusedPort());
  kv::test::EnvOverride http("http_proxy", deadProxy.c_str());
  kv::test::EnvOverride all("ALL_PROXY", deadProxy.c_str());
  {
    RecordingListener listener;
    EXPECT_EQ(Get(server_.BaseUrl() + "/r", listener).kind, Kind::kFailed)
        << "the proxy variables were not honoured";
  }
  kv::test::NoProxies noProxies;
  RecordingListener listener;
  EXPECT_EQ(Get(server_.BaseUrl() + "/r", listener).kind, Kind::kComplete);
  EXPECT_EQ(listener.body, "direct");
}

TEST_F(HttpGetTest, SendsTheAgentAndTheTargetUnchanged) {
  server_.SetRoutes(R"({"/q.php": {"body": "0"}})");
  RecordingListener listener;
  Get(server_.BaseUrl() + "/q.php?p=a&g=b&v=1.0.0.0", listener);
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].target, "/q.php?p=a&g=b&v=1.0.0.0");
  EXPECT_EQ(requests[0].userAgent, "kv-agent");
}

TEST_F(HttpGetTest, ListenerStopsTheTransfer) {
  server_.SetRoutes(R"({"/r": {"fill": {"text": "y", "count": 4000000}}})");
  RecordingListener atResponse;
  atResponse.stopAtResponse = true;
  EXPECT_EQ(Get(server_.BaseUrl() + "/r", atResponse).kind, Kind::kStopped);
  EXPECT_EQ(atResponse.responses, 1);
  EXPECT_EQ(atResponse.body, "");

  RecordingListener inBody;
  inBody.stopAfterBytes = 1;
  EXPECT_EQ(Get(server_.BaseUrl() + "/r", inBody).kind, Kind::kStopped);
  EXPECT_LE(inBody.body.size(), kv::platform::kHttpPieceSize);
}

TEST_F(HttpGetTest, FailuresCarryTheLibraryText) {
  const int refusedPort = ScriptedServer::UnusedPort();
  const std::string refused = "http://127.0.0.1:" + std::to_string(refusedPort);
  server_.SetRoutes(R"({"/reset": {"fill": {"text": "z", "count": 300000}, "reset_after": 1000},
                       "/to-file": {"status": 302, "headers": {"Location": "file:///etc/passwd"}},
                       "/loop": {"status": 302, "headers": {"Location": "/loop"}}})");
  struct Case {
    const char* name;
    std::string url;
    bool responds;        // whether a response was seen before the failure
    std::string failure;  // libcurl's text, as a regular expression
  };
  const Case cases[] = {
      {"connection refused", refused + "/r", false, kv::test::ConnectionRefusedText(refusedPort)},
      {"reset mid-body", server_.BaseUrl() + "/reset", true, kv::test::kConnectionResetText},
      {"redirection to a file", server_.BaseUrl() + "/to-file", false,
       R"(Protocol "file" not supported or disabled in libcurl)"},
      {"endless redirection", server_.BaseUrl() + "/loop", false,
       R"(Maximum \(10\) redirects followed)"},
      {"no scheme", "123456", false, kv::test::kBadSchemeText},
      {"leading blanks", "  " + server_.BaseUrl() + "/r", false, kv::test::kBadSchemeText},
      {"other scheme", "ftp://127.0.0.1/x", false,
       R"(Protocol "ftp" not supported or disabled in libcurl)"},
      {"empty", "", false, kv::test::kBadSchemeText},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingListener listener;
    const HttpResult result = Get(c.url, listener);
    EXPECT_EQ(result.kind, Kind::kFailed);
    EXPECT_TRUE(std::regex_match(result.failure, std::regex(c.failure)))
        << "'" << result.failure << "' does not match '" << c.failure << "'";
    EXPECT_EQ(listener.responses, c.responds ? 1 : 0);
  }
  // Only the scripted routes were asked for: no guessed host, no file.
  for (const auto& request : server_.Requests()) {
    EXPECT_TRUE(request.target == "/reset" || request.target == "/to-file" ||
                request.target == "/loop")
        << request.target;
  }
}

// Through a proxy, an https address is reached by a tunnel: the proxy's reply
// to CONNECT belongs to the tunnel, not to the server, and is never reported.
TEST_F(HttpGetTest, TunnelReplyOfAProxyIsNoResponse) {
  const std::string target = "127.0.0.1:" + std::to_string(ScriptedServer::UnusedPort());
  struct Case {
    const char* name;
    const char* reply;  // the proxy's reply to CONNECT; it closes the connection after it
  };
  const Case cases[] = {
      {"tunnel opened, then closed", R"({"status": 200, "headers": {"Proxy-Agent": "test"}})"},
      {"tunnel opened without Content-Length, then closed",
       R"({"status": 200, "content_length": null})"},
      {"tunnel refused", R"({"status": 403, "body": "not here"})"},
  };
  kv::test::EnvOverride noProxyLower("no_proxy", nullptr);
  kv::test::EnvOverride noProxyUpper("NO_PROXY", nullptr);
  kv::test::EnvOverride proxy("https_proxy", server_.BaseUrl().c_str());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    server_.SetRoutes(R"({")" + target + R"(": )" + c.reply + "}");
    const std::size_t asked = server_.Requests().size();
    RecordingListener listener;
    const HttpResult result = Get("https://" + target + "/r", listener);
    EXPECT_EQ(result.kind, Kind::kFailed);
    EXPECT_FALSE(result.failure.empty());
    EXPECT_EQ(listener.responses, 0) << "status " << listener.status;
    EXPECT_EQ(listener.body, "");
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), asked + 1) << "the proxy was not asked";
    EXPECT_EQ(requests.back().target, target);
  }
}

}  // namespace

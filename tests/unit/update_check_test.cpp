// The update object's construction and its version request, against a real
// server on loopback, with the run log checked line by line.

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/FileUtil.h"
#include "app/Paths.h"
#include "platform/Os.h"
#include "res/Resources.h"
#include "res/StringIds.h"
#include "tests/support/HttpFailureTexts.h"
#include "tests/support/NoProxies.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/UpdateSandbox.h"
#include "update/UpdateModule.h"

namespace {

namespace fs = std::filesystem;
using kv::test::FailureTextMatching;
using kv::test::kConnectionResetText;
using kv::test::ScriptedServer;
using kv::update::CUpdateModule;

const std::string kTempName = "/q7kovrtmp.exe";
const std::string kSubFolder = "/rozovizo_7/kovr/";

class UpdateCheckTest : public ::testing::Test {
 protected:
  void SetUp() override { kv::test::ResetUpdateSandbox(); }

  // Runs the version request of a fresh update object against `baseUrl`.
  bool Check(const std::string& baseUrl, CUpdateModule& update) {
    return update.CheckVersion(baseUrl, kv::res::LoadString(kv::res::IDS_VERSION_QUERY),
                               kv::app::GetFileVersionText(kv::platform::ExecutablePath()));
  }

  static CUpdateModule MakeUpdate() {
    return CUpdateModule(kTempName, kSubFolder, [](const std::string&, const std::string&) {
      ADD_FAILURE() << "nothing is started by a version check";
    });
  }

  kv::test::NoProxies noProxies_;
  ScriptedServer server_;
};

TEST_F(UpdateCheckTest, ConstructionPreparesTheCacheFolderAndNamesThePaths) {
  const fs::path dataHome = kv::test::UpdateSandboxDataHome();
  const fs::path cache = dataHome / "cache";
  ASSERT_FALSE(fs::exists(cache));
  {
    CUpdateModule update = MakeUpdate();
    EXPECT_TRUE(fs::is_directory(cache));
    EXPECT_EQ(update.TempExe(), (dataHome / "cache/q7kovrtmp.exe").string());
    EXPECT_EQ(update.InstalledExe(), (dataHome / "rozovizo_7/kovr/korvane_unit_tests").string());
    EXPECT_EQ(update.SubFolder(), kSubFolder);
    EXPECT_EQ(update.CheckUrl(), "");
    EXPECT_EQ(update.DownloadUrl(), "");
  }
  // An executable left by an earlier attempt goes; other files stay.
  std::ofstream(cache / "q7kovrtmp.exe") << "old build";
  std::ofstream(cache / "q7kovrtmpu.exe") << "uninstall copy";
  CUpdateModule again = MakeUpdate();
  EXPECT_FALSE(fs::exists(cache / "q7kovrtmp.exe"));
  EXPECT_TRUE(fs::exists(cache / "q7kovrtmpu.exe"));
  EXPECT_TRUE(kv::test::ReadRunLogMessages().empty());
}

TEST_F(UpdateCheckTest, ReplyDecidesWhetherToDownload) {
  const std::string base = server_.BaseUrl();
  const std::string next = base + "/next";
  // The reply keeps at most its first 1023 bytes.
  const std::string bigReply(1023, 'A');
  struct Case {
    const char* name;
    std::string reply;  // the JSON reply of the version route
    bool update;
    std::string downloadUrl;
    std::vector<std::string> log;
  };
  const std::vector<std::string> noUpdate = {"Finish Update.", "====================="};
  auto lines = [](std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
  };
  const std::string ok = "Http QueryInfoStatusCode:200";
  const std::string said = "Server response check version msg:";
  const Case cases[] = {
      {"zero", R"({"body": "0"})", false, "", lines({ok, said + "0"}, noUpdate)},
      {"minus one", R"({"body": "-1"})", false, "", lines({ok, said + "-1"}, noUpdate)},
      {"empty body", R"({"body": ""})", false, "", lines({ok, said}, noUpdate)},
      {"five characters", R"({"body": "12345"})", false, "", lines({ok, said + "12345"}, noUpdate)},
      {"six characters", R"({"body": "123456"})", true, "123456", {ok, said + "123456"}},
      {"negative, seven digits", R"({"body": "-1234567"})", false, "",
       lines({ok, said + "-1234567"}, noUpdate)},
      {"negative after blanks", R"({"body": "   -42 and more"})", false, "",
       lines({ok, said + "   -42 and more"}, noUpdate)},
      {"address after blanks",
       R"({"body": "  {base}/next"})",
       true,
       "  " + base + "/next",
       {ok, said + "  " + base + "/next"}},
      {"status 404", R"({"status": 404, "body": "http://127.0.0.1/never-read"})", false, "",
       lines({"Http QueryInfoStatusCode:404", said}, noUpdate)},
      {"status 400", R"({"status": 400, "body": "http://127.0.0.1/never-read"})", false, "",
       lines({"Http QueryInfoStatusCode:400", said}, noUpdate)},
      {"status 399",
       R"({"status": 399, "body": "http://127.0.0.1/x"})",
       true,
       "http://127.0.0.1/x",
       {"Http QueryInfoStatusCode:399", said + "http://127.0.0.1/x"}},
      {"redirected",
       R"({"status": 302, "headers": {"Location": "/moved"}})",
       true,
       base + "/next",
       {ok, said + base + "/next"}},
      {"no Content-Length", R"({"body": "0", "content_length": null})", false, "",
       lines({ok, said + "0"}, noUpdate)},
      {"body shorter than announced",
       R"({"body": "{base}/n", "content_length": 200})",
       true,
       base + "/n",
       {ok, said + base + "/n"}},
      // The body runs until the server closes the connection, whatever
      // Content-Length announced: what came is the reply.
      {"body one byte short",
       R"({"body": "{base}/next", "close_after": )" + std::to_string(next.size() - 1) + "}",
       true,
       base + "/nex",
       {ok, said + base + "/nex"}},
      {"body longer than announced",
       R"({"body": "{base}/next", "content_length": 6})",
       true,
       base + "/next",
       {ok, said + base + "/next"}},
      {"connection closed mid-body", R"({"body": "{base}/next", "close_after": 4})", false, "",
       lines({ok, said + "http"}, noUpdate)},
      {"1 MB reply",
       R"({"fill": {"text": "A", "count": 1048576}})",
       true,
       bigReply,
       {ok, said + bigReply}},
      {"reply of the longest kept size",
       R"({"fill": {"text": "A", "count": 1023}})",
       true,
       bigReply,
       {ok, said + bigReply}},
      {"garbage up to a NUL byte", R"({"body_hex": "fffe00414243444546474849"})", false, "",
       lines({ok, said + "\uFFFD\uFFFD"}, noUpdate)},
      {"garbage without NUL",
       R"({"body_hex": "c328616263646566"})",
       true,
       "\uFFFD(abcdef",
       {ok, said + "\uFFFD(abcdef"}},
      {"connection reset mid-body", R"({"fill": {"text": "h", "count": 100000}, "reset_after": 3})",
       false, "",
       lines({ok, "Try Download File Exception", FailureTextMatching(kConnectionResetText), said},
             noUpdate)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    kv::test::ResetUpdateSandbox();
    server_.SetRoutes(R"({"/getClientVersion.php": )" + c.reply +
                      R"(, "/moved": {"body": "{base}/next"}})");
    CUpdateModule update = MakeUpdate();
    EXPECT_EQ(Check(base, update), c.update);
    EXPECT_EQ(update.DownloadUrl(), c.downloadUrl);
    EXPECT_EQ(update.CheckUrl(), base + "/getClientVersion.php?p=vexagame&g=kovr&v=1.0.0.0");
    kv::test::ExpectRunLog(c.log, c.name);
  }
  const auto requests = server_.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests[0].target, "/getClientVersion.php?p=vexagame&g=kovr&v=1.0.0.0");
  EXPECT_EQ(requests[0].userAgent, "korvane_unit_tests");
}

// Holds a listening socket whose accept queue is full, so that further
// connection attempts are neither accepted nor refused.
class UnansweredPort {
 public:
  UnansweredPort() {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::listen(listener_, 0);
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    for (int& filler : fillers_) {
      filler = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
      ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof address);
    }
  }
  ~UnansweredPort() {
    for (int filler : fillers_) {
      ::close(filler);
    }
    ::close(listener_);
  }
  UnansweredPort(const UnansweredPort&) = delete;
  UnansweredPort& operator=(const UnansweredPort&) = delete;
  int port() const { return port_; }

 private:
  int listener_ = -1;
  int fillers_[4] = {};
  int port_ = 0;
};

TEST_F(UpdateCheckTest, UnreachableServerMeansNoUpdate) {
  auto unreachable = [](const std::string& failurePattern) {
    return std::vector<std::string>{
        "Try Download File Exception", FailureTextMatching(failurePattern),
        "Server response check version msg:", "Finish Update.", "====================="};
  };
  {
    SCOPED_TRACE("connection refused");
    const int port = ScriptedServer::UnusedPort();
    CUpdateModule update = MakeUpdate();
    EXPECT_FALSE(Check("http://127.0.0.1:" + std::to_string(port), update));
    kv::test::ExpectRunLog(unreachable(kv::test::ConnectionRefusedText(port)),
                           "connection refused");
  }
  {
    SCOPED_TRACE("connection never accepted");
    kv::test::ResetUpdateSandbox();
    UnansweredPort port;
    const auto start = std::chrono::steady_clock::now();
    CUpdateModule update = MakeUpdate();
    EXPECT_FALSE(Check("http://127.0.0.1:" + std::to_string(port.port()), update));
    // The attempt waits for the 5-second connect limit; without one it would
    // run for minutes.
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(4500));
    EXPECT_LT(took, std::chrono::seconds(30));
    kv::test::ExpectRunLog(unreachable(kv::test::ConnectTimeoutText(port.port())),
                           "connection never accepted");
  }
}

}  // namespace

// Whole update attempts as the login runs them: log trimming, the request URL,
// the check, the download and the hand-over, with the run log checked line by line.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/FileUtil.h"
#include "app/RunLog.h"
#include "tests/support/HttpFailureTexts.h"
#include "tests/support/NoProxies.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/UpdateSandbox.h"
#include "update/UpdateDriver.h"

namespace {

namespace fs = std::filesystem;
using kv::test::FailureTextMatching;
using kv::test::ScriptedServer;

const std::string kQuery = "/getClientVersion.php?p=vexagame&g=kovr&v=1.0.0.0";

class UpdateDriverTest : public ::testing::Test {
 protected:
  struct Launch {
    std::string tempExe;
    std::string installedExe;
  };

  void SetUp() override {
    kv::test::ResetUpdateSandbox();
    ::setenv("KORVANE_UPDATE_URL", server_.BaseUrl().c_str(), 1);
    payloadFile_ = kv::test::UpdateSandboxDataHome() / "new-build";
    std::ofstream(payloadFile_, std::ios::binary) << std::string(70000, 'n') << "ew build";
    ASSERT_TRUE(kv::app::GetFileMd5(payloadFile_.string(), payloadMd5_));
  }

  void TearDown() override {
    ::unsetenv("KORVANE_UPDATE_URL");
    fs::remove(payloadFile_);
  }

  void Run() {
    kv::update::RunUpdateCheck([this](const std::string& tempExe, const std::string& installedExe) {
      launches_.push_back({tempExe, installedExe});
    });
  }

  // The version route answers `reply`; /file serves the new build.
  void SetVersionReply(const std::string& reply) {
    server_.SetRoutes(R"({"/getClientVersion.php": {"body": )" + ScriptedServer::JsonString(reply) +
                      R"(}, "/file": {"file": )" + ScriptedServer::JsonString(payloadFile_) + "}}");
  }

  std::vector<std::string> NoUpdate(const std::string& reply) const {
    return {server_.BaseUrl() + kQuery, "Http QueryInfoStatusCode:200",
            "Server response check version msg:" + reply, "Finish Update.",
            "====================="};
  }

  kv::test::NoProxies noProxies_;
  ScriptedServer server_;
  fs::path payloadFile_;
  std::string payloadMd5_;
  std::vector<Launch> launches_;
};

TEST_F(UpdateDriverTest, SuccessfulAttemptThenAnAttemptWithoutUpdate) {
  const std::string download = server_.BaseUrl() + "/file";
  const std::string size = std::to_string(fs::file_size(payloadFile_));
  const fs::path dataHome = kv::test::UpdateSandboxDataHome();
  const fs::path tempExe = dataHome / "cache/q7kovrtmp.exe";
  SetVersionReply("{base}/file");
  Run();

  ASSERT_EQ(launches_.size(), 1u);
  EXPECT_EQ(launches_[0].tempExe, tempExe.string());
  EXPECT_EQ(launches_[0].installedExe, (dataHome / "rozovizo_7/kovr/korvane_unit_tests").string());
  const std::vector<std::string> success = {server_.BaseUrl() + kQuery,
                                            "Http QueryInfoStatusCode:200",
                                            "Server response check version msg:" + download,
                                            "ExcuUpdate,URL=" + download,
                                            "Http QueryInfoStatusCode:200",
                                            "Content length:" + size,
                                            "Finish download,file size=" + size,
                                            "Finish download,file md5=" + payloadMd5_};
  kv::test::ExpectRunLog(success, "successful attempt");
  EXPECT_TRUE(fs::exists(tempExe));

  // The next attempt removes the earlier download before it asks the server.
  SetVersionReply("0");
  Run();
  EXPECT_EQ(launches_.size(), 1u);
  EXPECT_FALSE(fs::exists(tempExe));
  std::vector<std::string> both = success;
  for (const std::string& line : NoUpdate("0")) {
    both.push_back(line);
  }
  kv::test::ExpectRunLog(both, "second attempt");
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].target, kQuery);
  EXPECT_EQ(requests[1].target, "/file");
  EXPECT_EQ(requests[2].target, kQuery);
}

TEST_F(UpdateDriverTest, FailedDownloadReturnsToTheLogin) {
  struct Case {
    const char* name;
    std::string routes;
    std::vector<std::string> tail;  // after the request URL, status and reply lines
  };
  const std::string file = ScriptedServer::JsonString(payloadFile_);
  const std::string size = std::to_string(fs::file_size(payloadFile_));
  const std::string download = server_.BaseUrl() + "/file";
  const std::vector<std::string> downloadHead = {
      "ExcuUpdate,URL=" + download, "Http QueryInfoStatusCode:200", "Content length:" + size};
  const Case cases[] = {
      {"body one byte short",
       R"({"file": )" + file + R"(, "close_after": )" +
           std::to_string(fs::file_size(payloadFile_) - 1) + "}",
       downloadHead},
      {"status 404",
       R"({"status": 404})",
       {"ExcuUpdate,URL=" + download, "Http QueryInfoStatusCode:404"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    kv::test::ResetUpdateSandbox();
    server_.SetRoutes(R"({"/getClientVersion.php": {"body": "{base}/file"}, "/file": )" + c.routes +
                      "}");
    Run();
    EXPECT_TRUE(launches_.empty());
    std::vector<std::string> expected = {server_.BaseUrl() + kQuery, "Http QueryInfoStatusCode:200",
                                         "Server response check version msg:" + download};
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    kv::test::ExpectRunLog(expected, c.name);
  }
}

TEST_F(UpdateDriverTest, UnreachableServer) {
  const int port = ScriptedServer::UnusedPort();
  const std::string base = "http://127.0.0.1:" + std::to_string(port);
  ::setenv("KORVANE_UPDATE_URL", base.c_str(), 1);
  Run();
  EXPECT_TRUE(launches_.empty());
  kv::test::ExpectRunLog(
      {base + kQuery, "Try Download File Exception",
       FailureTextMatching(kv::test::ConnectionRefusedText(port)),
       "Server response check version msg:", "Finish Update.", "====================="},
      "unreachable server");
}

TEST_F(UpdateDriverTest, OversizedRunLogIsDeletedFirst) {
  SetVersionReply("-1");
  struct Case {
    const char* name;
    std::uintmax_t size;
    bool kept;
  };
  const Case cases[] = {
      {"one byte over the limit", 10485761, false},
      {"exactly at the limit", 10485760, true},
      {"small", 2, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    kv::test::ResetUpdateSandbox();
    const std::string earlier(c.size, 'x');
    std::ofstream(kv::app::GetRunLogPath(), std::ios::binary) << earlier;
    Run();
    std::ifstream stream(kv::app::GetRunLogPath(), std::ios::binary);
    std::string start(c.kept ? c.size : 0, '\0');
    stream.read(start.data(), static_cast<std::streamsize>(start.size()));
    EXPECT_TRUE(start == (c.kept ? earlier : "")) << "the earlier log was not kept as it was";
    kv::test::ExpectRunLog(NoUpdate("-1"), c.name, c.kept ? c.size : 0);
  }
}

}  // namespace

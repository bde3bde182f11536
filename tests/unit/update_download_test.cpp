// The download of a newer executable: every ending of a transfer, what it
// leaves on disk, what it logs, and whether the hand-over is started.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "app/FileUtil.h"
#include "tests/support/EnvOverride.h"
#include "tests/support/HttpFailureTexts.h"
#include "tests/support/NoProxies.h"
#include "tests/support/ScriptedServer.h"
#include "tests/support/UpdateSandbox.h"
#include "update/UpdateModule.h"

namespace {

namespace fs = std::filesystem;
using kv::test::FailureTextMatching;
using kv::test::kAnyFailureText;
using kv::test::ScriptedServer;
using kv::update::CUpdateModule;

std::string ReadFile(const fs::path& file) {
  std::ifstream stream(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << bytes;
}

class UpdateDownloadTest : public ::testing::Test {
 protected:
  struct Launch {
    std::string tempExe;
    std::string installedExe;
  };

  void SetUp() override {
    kv::test::ResetUpdateSandbox();
    // A payload of several body pieces that is not one repeated byte.
    std::mt19937 random(7);
    payload_.resize(300001);
    for (char& byte : payload_) {
      byte = static_cast<char>(random());
    }
    payloadFile_ = kv::test::UpdateSandboxDataHome() / "new-build";
    WriteFile(payloadFile_, payload_);
    ASSERT_TRUE(kv::app::GetFileMd5(payloadFile_.string(), payloadMd5_));
  }

  void TearDown() override { fs::remove(payloadFile_); }

  CUpdateModule MakeUpdate() {
    return CUpdateModule("/q7kovrtmp.exe", "/rozovizo_7/kovr/",
                         [this](const std::string& tempExe, const std::string& installedExe) {
                           launches_.push_back({tempExe, installedExe});
                         });
  }

  // The routes of the download server, with the payload served from /file.
  void SetRoutes(const std::string& reply) {
    server_.SetRoutes(R"({"/file": {"file": )" + ScriptedServer::JsonString(payloadFile_) +
                      "}, \"/get\": " + reply + "}");
  }

  std::vector<std::string> Head(const std::string& url) const {
    return {"ExcuUpdate,URL=" + url, "Http QueryInfoStatusCode:200",
            "Content length:" + std::to_string(payload_.size())};
  }

  kv::test::NoProxies noProxies_;
  ScriptedServer server_;
  std::string payload_;
  fs::path payloadFile_;
  std::string payloadMd5_;
  std::vector<Launch> launches_;
};

TEST_F(UpdateDownloadTest, CompleteTransferIsStartedInHandOverMode) {
  const std::string size = std::to_string(payload_.size());
  for (const char* name : {"served directly", "after a redirection"}) {
    SCOPED_TRACE(name);
    kv::test::ResetUpdateSandbox();
    launches_.clear();
    const bool redirected = std::string(name) != "served directly";
    SetRoutes(R"({"status": 307, "headers": {"Location": "{base}/file"}})");
    const std::string url = server_.BaseUrl() + (redirected ? "/get" : "/file");

    CUpdateModule update = MakeUpdate();
    update.DownloadAndRun(url);

    ASSERT_EQ(launches_.size(), 1u);
    EXPECT_EQ(launches_[0].tempExe, update.TempExe());
    EXPECT_EQ(launches_[0].installedExe, update.InstalledExe());
    EXPECT_TRUE(ReadFile(update.TempExe()) == payload_) << "downloaded bytes differ";
    EXPECT_EQ(fs::status(update.TempExe()).permissions() & fs::perms::all,
              fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                  fs::perms::others_read | fs::perms::others_exec);
    kv::test::ExpectRunLog(
        {"ExcuUpdate,URL=" + url, "Http QueryInfoStatusCode:200", "Content length:" + size,
         "Finish download,file size=" + size, "Finish download,file md5=" + payloadMd5_},
        name);
  }
}

TEST_F(UpdateDownloadTest, IncompleteTransferLeavesTheLauncherRunning) {
  const std::size_t size = payload_.size();
  const std::string base = server_.BaseUrl();
  const std::string file = ScriptedServer::JsonString(payloadFile_);
  enum class Target { kAbsent, kEmpty, kPartial, kWhole };
  struct Case {
    const char* name;
    std::string reply;  // JSON reply of /get
    std::string url;
    std::vector<std::string> log;
    Target target;
  };
  auto withTail = [](std::vector<std::string> head, const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
  };
  const std::string get = base + "/get";
  const int refusedPort = ScriptedServer::UnusedPort();
  const std::string refused = "http://127.0.0.1:" + std::to_string(refusedPort) + "/file";
  auto failed = [](const std::string& failurePattern) {
    return std::vector<std::string>{"Try Download File Exception",
                                    FailureTextMatching(failurePattern)};
  };
  const Case cases[] = {
      {"status 404",
       R"({"status": 404, "body": "missing"})",
       get,
       {"ExcuUpdate,URL=" + get, "Http QueryInfoStatusCode:404"},
       Target::kAbsent},
      {"no Content-Length",
       R"({"file": )" + file + R"(, "content_length": null})",
       get,
       {"ExcuUpdate,URL=" + get, "Http QueryInfoStatusCode:200", "Content length:0",
        "ERROR!Before download dwFileSize == dwToatlSize,exit"},
       Target::kEmpty},
      {"announced length 0",
       R"({"body": "", "content_length": 0})",
       get,
       {"ExcuUpdate,URL=" + get, "Http QueryInfoStatusCode:200", "Content length:0",
        "ERROR!Before download dwFileSize == dwToatlSize,exit"},
       Target::kEmpty},
      {"body one byte short",
       R"({"file": )" + file + R"(, "close_after": )" + std::to_string(size - 1) + "}", get,
       Head(get), Target::kPartial},
      {"connection closed mid-body",
       R"({"file": )" + file + R"(, "close_after": )" + std::to_string(size / 2) + "}", get,
       Head(get), Target::kPartial},
      {"body longer than announced",
       R"({"file": )" + file + R"(, "content_length": )" + std::to_string(size - 10) + "}",
       get,
       {"ExcuUpdate,URL=" + get, "Http QueryInfoStatusCode:200",
        "Content length:" + std::to_string(size - 10)},
       Target::kWhole},
      {"announced more than the file",
       R"({"file": )" + file + R"(, "content_length": )" + std::to_string(size + 1) + "}",
       get,
       {"ExcuUpdate,URL=" + get, "Http QueryInfoStatusCode:200",
        "Content length:" + std::to_string(size + 1)},
       Target::kWhole},
      {"connection reset mid-body",
       R"({"file": )" + file + R"(, "reset_after": )" + std::to_string(size / 2) + "}", get,
       withTail(Head(get), failed(kv::test::kConnectionResetText)), Target::kPartial},
      {"connection refused", "{}", refused,
       withTail({"ExcuUpdate,URL=" + refused},
                failed(kv::test::ConnectionRefusedText(refusedPort))),
       Target::kAbsent},
      {"reply that is no address", "{}", "123456",
       withTail({"ExcuUpdate,URL=123456"}, failed(kv::test::kBadSchemeText)), Target::kAbsent},
      {"address after blanks", "{}", "  " + base + "/file",
       withTail({"ExcuUpdate,URL=  " + base + "/file"}, failed(kv::test::kBadSchemeText)),
       Target::kAbsent},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    kv::test::ResetUpdateSandbox();
    launches_.clear();
    SetRoutes(c.reply);
    CUpdateModule update = MakeUpdate();
    update.DownloadAndRun(c.url);

    EXPECT_TRUE(launches_.empty());
    kv::test::ExpectRunLog(c.log, c.name);
    const std::string target = ReadFile(update.TempExe());
    switch (c.target) {
      case Target::kAbsent:
        EXPECT_FALSE(fs::exists(update.TempExe()));
        break;
      case Target::kEmpty:
        EXPECT_TRUE(fs::exists(update.TempExe()));
        EXPECT_EQ(target.size(), 0u);
        break;
      case Target::kPartial:
        EXPECT_LT(target.size(), size);
        EXPECT_TRUE(payload_.starts_with(target)) << "the partial target is not the body's start";
        break;
      case Target::kWhole:
        EXPECT_TRUE(target == payload_) << "target holds " << target.size() << " bytes";
        break;
    }
  }
}

TEST_F(UpdateDownloadTest, TargetLeftFromAnEarlierAttempt) {
  const std::string url = server_.BaseUrl() + "/file";
  SetRoutes("{}");
  {
    SCOPED_TRACE("already as long as announced");
    CUpdateModule update = MakeUpdate();
    const std::string earlier(payload_.size(), 'e');
    WriteFile(update.TempExe(), earlier);
    update.DownloadAndRun(url);
    EXPECT_TRUE(launches_.empty());
    EXPECT_TRUE(ReadFile(update.TempExe()) == earlier) << "the target was changed";
    std::vector<std::string> expected = Head(url);
    expected.push_back("ERROR!Before download dwFileSize == dwToatlSize,exit");
    kv::test::ExpectRunLog(expected, "already as long as announced");
  }
  {
    // The whole body is appended after what is there, so existing + written
    // exceeds the announced length and nothing is started.
    SCOPED_TRACE("shorter than announced");
    kv::test::ResetUpdateSandbox();
    CUpdateModule update = MakeUpdate();
    WriteFile(update.TempExe(), "stale");
    update.DownloadAndRun(url);
    EXPECT_TRUE(launches_.empty());
    EXPECT_TRUE(ReadFile(update.TempExe()) == "stale" + payload_) << "body not appended";
    kv::test::ExpectRunLog(Head(url), "shorter than announced");
  }
}

TEST_F(UpdateDownloadTest, TargetThatCannotBeWritten) {
  const std::string url = server_.BaseUrl() + "/file";
  SetRoutes("{}");
  {
    SCOPED_TRACE("target cannot be opened");
    CUpdateModule update = MakeUpdate();
    fs::create_directory(update.TempExe());
    update.DownloadAndRun(url);
    EXPECT_TRUE(launches_.empty());
    kv::test::ExpectRunLog(Head(url), "target cannot be opened");
  }
  {
    SCOPED_TRACE("write fails");
    kv::test::ResetUpdateSandbox();
    CUpdateModule update = MakeUpdate();
    // Every write to /dev/full fails with "no space left".
    fs::create_symlink("/dev/full", update.TempExe());
    update.DownloadAndRun(url);
    EXPECT_TRUE(launches_.empty());
    std::vector<std::string> expected = Head(url);
    expected.insert(expected.end(), {"Try Download File Exception",
                                     FailureTextMatching("No space left on device")});
    kv::test::ExpectRunLog(expected, "write fails");
  }
}

// The digest is only written to the log: when it fails, the line has an empty
// digest and the hand-over goes ahead all the same.
TEST_F(UpdateDownloadTest, FailedDigestIsLoggedEmptyAndTheHandOverGoesAhead) {
  const std::string url = server_.BaseUrl() + "/file";
  const std::string size = std::to_string(payload_.size());
  SetRoutes("{}");
  std::vector<std::string> digested;
  CUpdateModule update(
      "/q7kovrtmp.exe", "/rozovizo_7/kovr/",
      [this](const std::string& tempExe, const std::string& installedExe) {
        launches_.push_back({tempExe, installedExe});
      },
      [&digested](const std::string& path, std::string& digest) {
        digested.push_back(path);
        digest += "0123";  // a partial result that must not reach the log
        return false;
      });
  update.DownloadAndRun(url);

  EXPECT_EQ(digested, std::vector<std::string>{update.TempExe()});
  ASSERT_EQ(launches_.size(), 1u);
  EXPECT_EQ(launches_[0].tempExe, update.TempExe());
  EXPECT_EQ(launches_[0].installedExe, update.InstalledExe());
  EXPECT_TRUE(ReadFile(update.TempExe()) == payload_) << "downloaded bytes differ";
  kv::test::ExpectRunLog(
      {"ExcuUpdate,URL=" + url, "Http QueryInfoStatusCode:200", "Content length:" + size,
       "Finish download,file size=" + size, "Finish download,file md5="},
      "digest failed");
}

// The proxy's reply to CONNECT is no response of the update server: a tunnel
// that closes is logged as a failed transfer, with no status line.
TEST_F(UpdateDownloadTest, HttpsThroughAProxyWhoseTunnelCloses) {
  const std::string target = "127.0.0.1:" + std::to_string(ScriptedServer::UnusedPort());
  const std::string url = "https://" + target + "/file";
  server_.SetRoutes(R"({")" + target + R"(": {"status": 200}})");
  kv::test::EnvOverride noProxyLower("no_proxy", nullptr);
  kv::test::EnvOverride noProxyUpper("NO_PROXY", nullptr);
  kv::test::EnvOverride proxy("https_proxy", server_.BaseUrl().c_str());
  CUpdateModule update = MakeUpdate();
  update.DownloadAndRun(url);
  EXPECT_TRUE(launches_.empty());
  EXPECT_FALSE(fs::exists(update.TempExe()));
  kv::test::ExpectRunLog({"ExcuUpdate,URL=" + url, "Try Download File Exception", kAnyFailureText},
                         "tunnel closed");
  const auto requests = server_.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].target, target);
}

}  // namespace

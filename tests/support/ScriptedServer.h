#pragma once
// Runs tests/support/scripted_http_server.py on a loopback ephemeral port for
// the lifetime of the object. A test scripts its replies with SetRoutes (JSON
// as the server's documentation describes) and reads back what it was asked.

#include <filesystem>
#include <string>
#include <vector>

namespace kv::test {

class ScriptedServer {
 public:
  struct Request {
    std::string target;  // path and query, as sent
    std::string userAgent;
  };

  // Starts the server and waits until it listens; fails the test when it cannot.
  ScriptedServer();
  ~ScriptedServer();
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  // "http://127.0.0.1:<port>"; empty when the server did not start.
  const std::string& BaseUrl() const { return baseUrl_; }

  // Replaces the routes: `routesJson` is the JSON object of the "routes" key.
  void SetRoutes(const std::string& routesJson);

  // The requests received so far, oldest first.
  std::vector<Request> Requests() const;

  // A loopback port that nothing listens on: connections to it are refused.
  static int UnusedPort();

  // `text` as a JSON string literal, quotes included.
  static std::string JsonString(const std::string& text);

 private:
  std::filesystem::path folder_;
  std::string baseUrl_;
  int pid_ = -1;
};

}  // namespace kv::test

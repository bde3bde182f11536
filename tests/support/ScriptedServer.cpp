#include "tests/support/ScriptedServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

extern char** environ;

namespace kv::test {

namespace {

namespace fs = std::filesystem;

constexpr int kStartTimeoutMs = 15000;

// Reads one line from `fd`, waiting at most kStartTimeoutMs in all.
std::string ReadLine(int fd) {
  std::string line;
  char c = 0;
  while (true) {
    pollfd wanted{fd, POLLIN, 0};
    if (::poll(&wanted, 1, kStartTimeoutMs) <= 0 || ::read(fd, &c, 1) != 1 || c == '\n') {
      return line;
    }
    line += c;
  }
}

void WriteFileAtomically(const fs::path& file, const std::string& content) {
  const fs::path temporary = file.string() + ".tmp";
  {
    std::ofstream stream(temporary, std::ios::binary | std::ios::trunc);
    stream << content;
  }
  fs::rename(temporary, file);
}

// The value of "key": "..." in one JSON line written by Python's json.dumps.
std::string JsonField(const std::string& line, const std::string& key) {
  const std::string head = "\"" + key + "\": \"";
  const std::size_t at = line.find(head);
  if (at == std::string::npos) {
    return {};
  }
  std::string value;
  for (std::size_t i = at + head.size(); i < line.size() && line[i] != '"'; ++i) {
    if (line[i] == '\\' && i + 1 < line.size()) {
      ++i;
    }
    value += line[i];
  }
  return value;
}

}  // namespace

ScriptedServer::ScriptedServer() {
  std::string pattern = (fs::temp_directory_path() / "kv-http-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    ADD_FAILURE() << "cannot make a folder for the scripted server";
    return;
  }
  folder_ = pattern;
  SetRoutes("{}");

  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "cannot make a pipe";
    return;
  }
  std::string python = "python3";
  std::string unbuffered = "-u";
  std::string script = KORVANE_SOURCE_DIR "/tests/support/scripted_http_server.py";
  std::string scriptOption = "--script";
  std::string scriptFile = (folder_ / "script.json").string();
  std::string logOption = "--request-log";
  std::string logFile = (folder_ / "requests.jsonl").string();
  char* argv[] = {python.data(),     unbuffered.data(), script.data(),  scriptOption.data(),
                  scriptFile.data(), logOption.data(),  logFile.data(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  pid_t pid = -1;
  const int spawned = ::posix_spawnp(&pid, "python3", &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(pipeFds[1]);
  if (spawned != 0) {
    ::close(pipeFds[0]);
    ADD_FAILURE() << "cannot start python3";
    return;
  }
  pid_ = pid;
  const std::string line = ReadLine(pipeFds[0]);
  ::close(pipeFds[0]);
  if (!line.starts_with("PORT ")) {
    ADD_FAILURE() << "the scripted server did not report its port: '" << line << "'";
    return;
  }
  baseUrl_ = "http://127.0.0.1:" + line.substr(5);
}

ScriptedServer::~ScriptedServer() {
  if (pid_ > 0) {
    ::kill(pid_, SIGTERM);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  if (!folder_.empty()) {
    std::error_code error;
    fs::remove_all(folder_, error);
  }
}

void ScriptedServer::SetRoutes(const std::string& routesJson) {
  WriteFileAtomically(folder_ / "script.json", "{\"routes\": " + routesJson + "}\n");
}

std::vector<ScriptedServer::Request> ScriptedServer::Requests() const {
  std::vector<Request> requests;
  std::ifstream stream(folder_ / "requests.jsonl");
  std::string line;
  while (std::getline(stream, line)) {
    requests.push_back({JsonField(line, "target"), JsonField(line, "User-Agent")});
  }
  return requests;
}

int ScriptedServer::UnusedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(fd);
  return port;
}

std::string ScriptedServer::JsonString(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

}  // namespace kv::test

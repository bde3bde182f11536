#pragma once
// Test doubles for what the login windows ask of the launcher: update check,
// installation, the exit question and the end of the process, each recorded.

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "login/LoginServices.h"

namespace kv::test {

struct RecordedLoginServices {
  struct Question {
    platform::Window* owner = nullptr;
    std::string title;
    std::string text;
  };

  int updateChecks = 0;
  int setups = 0;
  // Runs inside the installation step, when set.
  std::function<void()> duringSetup;
  std::vector<Question> questions;
  // The answers the message box gives, front first; 2 (refused) when empty.
  std::deque<int> answers;
  std::vector<int> exitCodes;

  login::LoginServices Make() {
    login::LoginServices services;
    services.runUpdateCheck = [this] { ++updateChecks; };
    services.runFirstStartSetup = [this] {
      ++setups;
      if (duringSetup) {
        duringSetup();
      }
    };
    services.askQuestion = [this](platform::Window* owner, const std::string& title,
                                  const std::string& text) {
      questions.push_back({owner, title, text});
      if (answers.empty()) {
        return 2;
      }
      const int answer = answers.front();
      answers.pop_front();
      return answer;
    };
    services.exitProcess = [this](int code) { exitCodes.push_back(code); };
    return services;
  }
};

}  // namespace kv::test

#include "update/UpdateSupport.h"

#include "app/RunLog.h"
#include "app/Text.h"
#include "platform/Os.h"

namespace kv::update {

namespace {
constexpr std::size_t kFailureTextLimit = 254;
}

std::string AgentText() {
  return platform::ExecutablePath().stem().string();
}

void LogTransferFailure(std::string_view failure) {
  app::WriteLog("Try Download File Exception");
  app::WriteLog(app::CutToUtf16Units(failure, kFailureTextLimit));
}

std::string WithNumber(std::string_view head, long long number) {
  return std::string(head) + std::to_string(number);
}

}  // namespace kv::update

#pragma once
// Helpers shared by the version request and the download.

#include <string>
#include <string_view>

namespace kv::update {

// Replies and headers with a status of this or more count as no reply.
inline constexpr long kFirstErrorStatus = 400;

// The User-Agent text: the running executable's file name without extension.
std::string AgentText();

// Logs "Try Download File Exception" and then the failure's text, cut to 254 characters.
void LogTransferFailure(std::string_view failure);

// `head` followed by `number` in decimal, as "%ld" writes it.
std::string WithNumber(std::string_view head, long long number);

}  // namespace kv::update

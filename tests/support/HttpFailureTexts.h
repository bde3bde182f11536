#pragma once
// libcurl's own texts (as regular expressions, ECMAScript, matched against the
// whole text) for the failures the loopback tests provoke, so that a test shows
// which failure was reported, not only that some text was.

#include <string>

namespace kv::test {

// A connection to `port` on 127.0.0.1 was refused.
inline std::string ConnectionRefusedText(int port) {
  return "Failed to connect to 127\\.0\\.0\\.1 port " + std::to_string(port) +
         " after [0-9]+ ms: Couldn't connect to server";
}

// The server reset the connection while the body was being received.
inline const std::string kConnectionResetText = "Recv failure: Connection reset by peer";

// No connection to `port` on 127.0.0.1 was made within the connect limit.
inline std::string ConnectTimeoutText(int port) {
  return "Failed to connect to 127\\.0\\.0\\.1 port " + std::to_string(port) +
         " after [0-9]+ ms: Timeout was reached";
}

// An address without "http://" or "https://" (blanks in front, no scheme at all).
inline const std::string kBadSchemeText = "Bad scheme";

}  // namespace kv::test

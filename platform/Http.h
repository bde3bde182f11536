#pragma once
// HTTP GET as the self-update needs it: the final response's status and
// Content-Length, then the body streamed in bounded pieces to a listener that
// may stop the transfer at any point. The Linux implementation uses libcurl
// (platform/linux/HttpCurl.cpp).

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kv::platform {

// The largest body piece handed to HttpListener::OnBody.
inline constexpr std::size_t kHttpPieceSize = 16 * 1024;

class HttpListener {
 public:
  virtual ~HttpListener() = default;

  // Called once, when the headers of the final response are complete (after any
  // redirections were followed; a proxy's reply to CONNECT is not a response).
  // `status` is 0 when it is unknown; `contentLength` is the Content-Length
  // header's text as sent, or nullopt when there is none.
  // Returning false stops the transfer before any body is read.
  virtual bool OnResponse(long status, std::optional<std::string_view> contentLength) = 0;

  // Called for each piece of the body, in order, each at most kHttpPieceSize bytes.
  // Returning false stops the transfer.
  virtual bool OnBody(std::string_view piece) = 0;
};

struct HttpGetOptions {
  // The User-Agent text.
  std::string agent;
  // Limit for establishing the connection; nullopt leaves the library's default.
  std::optional<std::chrono::milliseconds> connectTimeout;
};

struct HttpResult {
  enum class Kind {
    kComplete,  // the body was read to its end
    kStopped,   // the listener stopped the transfer
    kFailed,    // the address, the connection or the transfer failed
  };
  Kind kind = Kind::kFailed;
  // For kFailed: the HTTP layer's own text for the failure.
  std::string failure;
};

// Sends a GET for `url` (an http:// or https:// address; redirections are followed)
// and reports the response to `listener`. The body is not framed by Content-Length:
// it is everything the server sends until it closes the connection (or the chunked
// end), so a body shorter or longer than announced ends normally and the listener
// sees exactly the bytes that came; a connection that breaks (reset, time-out)
// is a failure. A transfer that receives nothing for 60 seconds fails.
HttpResult HttpGet(const std::string& url, const HttpGetOptions& options, HttpListener& listener);

}  // namespace kv::platform

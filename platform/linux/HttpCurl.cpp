#include "platform/Http.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace kv::platform {

namespace {

struct CurlGlobal {
  CurlGlobal() { curl_global_init(CURL_GLOBAL_DEFAULT); }
  ~CurlGlobal() { curl_global_cleanup(); }
  CurlGlobal(const CurlGlobal&) = delete;
  CurlGlobal& operator=(const CurlGlobal&) = delete;
};

void EnsureCurlGlobal() {
  static CurlGlobal global;
}

struct EasyDeleter {
  void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct UrlDeleter {
  void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
struct SlistDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyPtr = std::unique_ptr<CURL, EasyDeleter>;
using UrlPtr = std::unique_ptr<CURLU, UrlDeleter>;
using SlistPtr = std::unique_ptr<curl_slist, SlistDeleter>;

constexpr long kMaxRedirections = 10;
// The receive buffer; pieces handed on are cut to kHttpPieceSize.
constexpr long kReceiveBufferSize = 64 * 1024;
// A transfer that moves less than one byte per second for this long has stalled.
constexpr long kStallSeconds = 60;

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  return text;
}

bool NameIs(std::string_view name, std::string_view expected) {
  return std::equal(name.begin(), name.end(), expected.begin(), expected.end(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == b;
  });
}

// Follows the header blocks of every response (interim ones, redirections, the
// final one) and tells the listener about the final one before its body.
class Transfer {
 public:
  explicit Transfer(HttpListener& listener) : listener_(listener) {}

  // The handle whose response codes are read; set before the transfer starts.
  void Attach(CURL* easy) { easy_ = easy; }

  bool stopped() const { return stopped_; }

  static size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    return static_cast<Transfer*>(user)->Header(std::string_view(data, size * count));
  }

  static size_t OnWrite(char* data, size_t size, size_t count, void* user) {
    return static_cast<Transfer*>(user)->Write(std::string_view(data, size * count));
  }

  // For a response that ended without its header block being seen complete.
  bool RespondIfNotYet() { return responded_ || Respond(); }

 private:
  size_t Header(std::string_view line) {
    const size_t taken = line.size();
    if (line.starts_with("HTTP/")) {
      contentLength_.reset();
      locationSeen_ = false;
      return taken;
    }
    const std::string_view text = TrimBlanks(line);
    if (text.empty()) {
      return EndOfBlock() ? taken : 0;
    }
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
      return taken;
    }
    const std::string_view name = text.substr(0, colon);
    const std::string_view value = TrimBlanks(text.substr(colon + 1));
    if (NameIs(name, "content-length")) {
      contentLength_ = std::string(value);
    } else if (NameIs(name, "location") && !value.empty()) {
      locationSeen_ = true;
    }
    return taken;
  }

  bool EndOfBlock() {
    long status = 0;
    curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
    // A block without a response code is no reply of the server: it is a
    // proxy's reply to CONNECT (which CURLOPT_SUPPRESS_CONNECT_HEADERS keeps
    // away), and a failed tunnel ends the transfer as a failure.
    const bool tunnel = status == 0;
    const bool interim = status >= 100 && status < 200;
    // libcurl follows every 3xx response that names a Location.
    const bool redirection = status >= 300 && status < 400 && locationSeen_;
    if (tunnel || interim || redirection || responded_) {
      return true;
    }
    return Respond();
  }

  bool Respond() {
    responded_ = true;
    long status = 0;
    curl_easy_getinfo(easy_, CURLINFO_RESPONSE_CODE, &status);
    std::optional<std::string_view> length;
    if (contentLength_) {
      length = *contentLength_;
    }
    stopped_ = !listener_.OnResponse(status, length);
    return !stopped_;
  }

  size_t Write(std::string_view body) {
    if (!RespondIfNotYet()) {
      return 0;
    }
    for (size_t at = 0; at < body.size(); at += kHttpPieceSize) {
      if (!listener_.OnBody(body.substr(at, kHttpPieceSize))) {
        stopped_ = true;
        return 0;
      }
    }
    return body.size();
  }

  CURL* easy_ = nullptr;
  HttpListener& listener_;
  bool responded_ = false;
  bool stopped_ = false;
  bool locationSeen_ = false;
  std::optional<std::string> contentLength_;
};

HttpResult Failure(std::string text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.pop_back();
  }
  return {HttpResult::Kind::kFailed, std::move(text)};
}

}  // namespace

HttpResult HttpGet(const std::string& url, const HttpGetOptions& options, HttpListener& listener) {
  EnsureCurlGlobal();

  // Parsed without guessing a scheme: an address that names none is refused
  // rather than tried as a host name.
  UrlPtr address(curl_url());
  if (!address) {
    return Failure(curl_easy_strerror(CURLE_OUT_OF_MEMORY));
  }
  if (const CURLUcode parsed = curl_url_set(address.get(), CURLUPART_URL, url.c_str(), 0);
      parsed != CURLUE_OK) {
    return Failure(curl_url_strerror(parsed));
  }

  // The body runs until the server closes the connection, so ask it to.
  SlistPtr headers(curl_slist_append(nullptr, "Connection: close"));
  char errorText[CURL_ERROR_SIZE] = {};
  Transfer transfer(listener);
  // Declared after everything the handle points at (address, header list,
  // error buffer, transfer), so that it is cleaned up before any of them goes.
  EasyPtr easy(curl_easy_init());
  if (!easy) {
    return Failure(curl_easy_strerror(CURLE_OUT_OF_MEMORY));
  }
  transfer.Attach(easy.get());

  CURL* h = easy.get();
  curl_easy_setopt(h, CURLOPT_CURLU, address.get());
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirections);
  curl_easy_setopt(h, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);
  // Through a proxy an https address is reached by a tunnel; the proxy's reply
  // to CONNECT is not the response the listener is told about.
  curl_easy_setopt(h, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
  // The listener compares the body with Content-Length itself: libcurl would
  // otherwise stop at the announced length and report a short body as an error.
  curl_easy_setopt(h, CURLOPT_IGNORE_CONTENT_LENGTH, 1L);
  curl_easy_setopt(h, CURLOPT_USERAGENT, options.agent.c_str());
  if (options.connectTimeout) {
    curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS,
                     static_cast<long>(options.connectTimeout->count()));
  }
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
  curl_easy_setopt(h, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, errorText);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Transfer::OnWrite);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &transfer);

  const CURLcode result = curl_easy_perform(h);
  if (transfer.stopped()) {
    return {HttpResult::Kind::kStopped, {}};
  }
  if (result != CURLE_OK) {
    return Failure(errorText[0] != '\0' ? errorText : curl_easy_strerror(result));
  }
  if (!transfer.RespondIfNotYet()) {
    return {HttpResult::Kind::kStopped, {}};
  }
  return {HttpResult::Kind::kComplete, {}};
}

}  // namespace kv::platform

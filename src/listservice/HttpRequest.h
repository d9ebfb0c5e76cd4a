// A small HTTP/1.1 request reader for the list service: one request per
// connection, bodies only by Content-Length, every part bounded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace novalune::listservice {

inline constexpr std::size_t kMaxHeaderBytes = std::size_t{8} * 1024;
inline constexpr std::size_t kMaxBodyBytes = std::size_t{64} * 1024;

struct HttpRequest {
  std::string method;
  std::string target;  // the path without its query
  std::string body;
};

enum class ParseState { NeedMore, Done, Failed };

class HttpRequestParser {
 public:
  // Takes the next bytes from the peer. Once Done or Failed, more bytes are ignored.
  ParseState Feed(std::string_view bytes);
  ParseState State() const { return state_; }
  const HttpRequest& Request() const { return request_; }
  // The status to refuse with after Failed (400, 411, 413, 431, 501).
  int FailureStatus() const { return failureStatus_; }

 private:
  ParseState Fail(int status);
  ParseState ReadHead();
  bool ReadRequestLine(std::string_view line);
  bool ReadHeader(std::string_view line);
  ParseState TakeBody(std::string_view bytes);

  ParseState state_ = ParseState::NeedMore;
  bool headDone_ = false;
  std::string head_;
  HttpRequest request_;
  std::size_t bodyLength_ = 0;
  bool lengthGiven_ = false;
  bool chunked_ = false;
  int failureStatus_ = 0;
};

// A complete response that closes the connection after it.
std::string HttpResponse(int status, std::string_view contentType, std::string_view body);

}  // namespace novalune::listservice

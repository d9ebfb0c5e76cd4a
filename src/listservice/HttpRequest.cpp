#include "listservice/HttpRequest.h"

#include <algorithm>

namespace novalune::listservice {

namespace {

constexpr std::string_view kHeadEnd = "\r\n\r\n";

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           const auto lower = [](char c) {
             return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
           };
           return lower(x) == lower(y);
         });
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Digits only, and stops counting well past the body cap so that no value overflows.
bool ParseLength(std::string_view text, std::size_t& length) {
  if (text.empty()) return false;
  length = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    if (length <= kMaxBodyBytes) length = length * 10 + static_cast<std::size_t>(c - '0');
  }
  return true;
}

const char* ReasonOf(int status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 411: return "Length Required";
    case 413: return "Content Too Large";
    case 431: return "Request Header Fields Too Large";
    case 501: return "Not Implemented";
    case 503: return "Service Unavailable";
    default: return "Error";
  }
}

}  // namespace

ParseState HttpRequestParser::Feed(std::string_view bytes) {
  if (state_ != ParseState::NeedMore) return state_;
  if (headDone_) return TakeBody(bytes);
  // The head is kept only up to its cap; what follows it waits in `bytes`.
  const std::size_t before = head_.size();
  const std::size_t taken = std::min(bytes.size(), kMaxHeaderBytes + kHeadEnd.size() - before);
  head_.append(bytes.substr(0, taken));
  const std::size_t end = head_.find(kHeadEnd, before < 3 ? 0 : before - 3);
  if (end == std::string::npos) {
    return head_.size() >= kMaxHeaderBytes + kHeadEnd.size() ? Fail(431) : ParseState::NeedMore;
  }
  const std::string rest = head_.substr(end + kHeadEnd.size()) + std::string(bytes.substr(taken));
  head_.resize(end);
  if (ReadHead() != ParseState::NeedMore) return state_;
  headDone_ = true;
  return TakeBody(rest);
}

ParseState HttpRequestParser::Fail(int status) {
  failureStatus_ = status;
  head_.clear();
  request_.body.clear();
  return state_ = ParseState::Failed;
}

ParseState HttpRequestParser::ReadHead() {
  std::string_view head = head_;
  std::size_t lineEnd = head.find("\r\n");
  if (!ReadRequestLine(head.substr(0, lineEnd))) return Fail(400);
  while (lineEnd != std::string_view::npos) {
    head.remove_prefix(lineEnd + 2);
    lineEnd = head.find("\r\n");
    if (!ReadHeader(head.substr(0, lineEnd))) return Fail(400);
  }
  if (chunked_) return Fail(501);
  if (bodyLength_ > kMaxBodyBytes) return Fail(413);
  if (request_.method == "POST" && !lengthGiven_) return Fail(411);
  return state_;
}

bool HttpRequestParser::ReadRequestLine(std::string_view line) {
  const std::size_t first = line.find(' ');
  const std::size_t second = line.find(' ', first == std::string_view::npos ? first : first + 1);
  if (first == 0 || first == std::string_view::npos || second == std::string_view::npos) return false;
  const std::string_view version = line.substr(second + 1);
  if (version != "HTTP/1.1" && version != "HTTP/1.0") return false;
  request_.method = line.substr(0, first);
  const std::string_view target = line.substr(first + 1, second - first - 1);
  if (target.empty() || target.front() != '/') return false;
  request_.target = target.substr(0, target.find('?'));
  return true;
}

bool HttpRequestParser::ReadHeader(std::string_view line) {
  const std::size_t colon = line.find(':');
  if (colon == 0 || colon == std::string_view::npos) return false;
  const std::string_view name = line.substr(0, colon);
  const std::string_view value = Trim(line.substr(colon + 1));
  if (EqualsNoCase(name, "Transfer-Encoding")) chunked_ = true;
  if (!EqualsNoCase(name, "Content-Length")) return true;
  std::size_t length = 0;
  if (!ParseLength(value, length) || (lengthGiven_ && length != bodyLength_)) return false;
  lengthGiven_ = true;
  bodyLength_ = length;
  return true;
}

ParseState HttpRequestParser::TakeBody(std::string_view bytes) {
  // Bytes past the declared length are dropped: the connection closes after the reply.
  request_.body.append(bytes.substr(0, bodyLength_ - request_.body.size()));
  if (request_.body.size() == bodyLength_) state_ = ParseState::Done;
  return state_;
}

std::string HttpResponse(int status, std::string_view contentType, std::string_view body) {
  std::string response = "HTTP/1.1 " + std::to_string(status) + ' ' + ReasonOf(status) + "\r\n";
  response += "Content-Type: ";
  response += contentType;
  response += "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
  if (status == 405) response += "Allow: GET, POST\r\n";
  response += "Connection: close\r\n\r\n";
  response += body;
  return response;
}

}  // namespace novalune::listservice

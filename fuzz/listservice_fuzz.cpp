// The list service on arbitrary bytes. The first byte picks where the rest is
// cut into reads; the request must read the same whole and in pieces, stay
// within its caps, and every answer must be one well-formed response. The
// bytes are also taken as a record (applied to a store whose file must read
// back unchanged) and as a data file of their own.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "listservice/HttpRequest.h"
#include "listservice/ListService.h"

using namespace novalune::listservice;

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "list service fuzz: %s\n", what);
  std::abort();
}

void Check(bool ok, const char* what) {
  if (!ok) Fail(what);
}

HttpRequestParser ReadInPieces(std::string_view bytes, std::size_t piece) {
  HttpRequestParser parser;
  while (!bytes.empty()) {
    parser.Feed(bytes.substr(0, piece));
    bytes.remove_prefix(std::min(piece, bytes.size()));
  }
  return parser;
}

void CheckResponse(const std::string& response) {
  Check(response.starts_with("HTTP/1.1 "), "response without status line");
  const std::size_t headEnd = response.find("\r\n\r\n");
  Check(headEnd != std::string::npos, "response without head end");
  const std::string length = "Content-Length: " + std::to_string(response.size() - headEnd - 4) + "\r\n";
  Check(response.find(length) < headEnd, "Content-Length does not match the body");
}

void CheckRequest(std::string_view bytes, std::size_t piece) {
  const HttpRequestParser whole = ReadInPieces(bytes, bytes.size() + 1);
  const HttpRequestParser pieces = ReadInPieces(bytes, piece);
  Check(whole.State() == pieces.State(), "the state depends on how the bytes were cut");
  if (whole.State() == ParseState::Failed) {
    Check(whole.FailureStatus() == pieces.FailureStatus(), "the refusal depends on how the bytes were cut");
    CheckResponse(ListService::Refusal(whole.FailureStatus()));
  }
  if (whole.State() != ParseState::Done) return;
  const HttpRequest& request = whole.Request();
  Check(request.body == pieces.Request().body && request.target == pieces.Request().target,
        "the request depends on how the bytes were cut");
  Check(request.body.size() <= kMaxBodyBytes, "body over its cap");
  ListService service(ServiceOptions{});
  CheckResponse(service.Handle(request, 1000).bytes);
}

void CheckRecordAndFile(std::string_view bytes) {
  ListService service(ServiceOptions{std::string("s"), 60});
  const std::string body(bytes);
  CheckResponse(service.Handle({"POST", "/register", body}, 1000).bytes);
  CheckResponse(service.Handle({"POST", "/register", "s<>" + body}, 1001).bytes);
  CheckResponse(service.Handle({"GET", "/", ""}, 1002).bytes);
  const std::string file = service.Store().Serialize();
  ListStore reloaded;
  reloaded.Load(file);
  Check(reloaded.Serialize() == file, "the data file does not read back");
  ListStore fromBytes;
  fromBytes.Load(bytes);
  Check(fromBytes.Entries().size() <= kMaxEntries, "a data file over the entry cap");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::size_t piece = data[0] % 32 + 1;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  CheckRequest(bytes, piece);
  CheckRecordAndFile(bytes);
  return 0;
}

// The list service's rules: a complete request and the time in, the response
// bytes out. No sockets, files or clocks: the adapter brings those.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "listservice/HttpRequest.h"
#include "listservice/ListStore.h"

namespace novalune::listservice {

struct ServiceOptions {
  std::optional<std::string> scriptPassword;  // none: every record's is accepted
  std::int64_t expireSeconds = std::int64_t{24} * 60 * 60;
};

struct ServiceReply {
  std::string bytes;
  bool storeChanged = false;  // the data file must be written
};

class ListService {
 public:
  explicit ListService(ServiceOptions options) : options_(std::move(options)) {}

  ServiceReply Handle(const HttpRequest& request, std::int64_t now);
  // The answer to a request that could not be read or came too slowly.
  static std::string Refusal(int status);

  ListStore& Store() { return store_; }

 private:
  ServiceReply Register(const std::string& body, std::int64_t now);

  ServiceOptions options_;
  ListStore store_;
};

}  // namespace novalune::listservice

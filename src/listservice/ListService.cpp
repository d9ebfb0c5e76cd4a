#include "listservice/ListService.h"

#include "listservice/ListPage.h"
#include "listservice/ListRecord.h"
#include "listservice/ListTexts.h"

namespace novalune::listservice {

namespace {

// A human line for whoever reads the answer, then the marker and the status last.
std::string Answer(std::string_view text, std::string_view status) {
  return HttpResponse(200, texts::kTextPlain,
                      std::string(text) + '\n' + std::string(texts::kMarker) + std::string(status));
}

std::string AnswerOf(ApplyResult result) {
  switch (result) {
    case ApplyResult::Started: return Answer(texts::kStarted, "ON");
    case ApplyResult::Stopped: return Answer(texts::kStopped, "OF");
    case ApplyResult::Deleted: return Answer(texts::kDeleted, "DE");
    case ApplyResult::NameHeld: return Answer(texts::kNameHeld, "1");
    case ApplyResult::Full: break;
  }
  return HttpResponse(503, texts::kTextPlain, texts::kFull);
}

}  // namespace

std::string ListService::Refusal(int status) {
  return HttpResponse(status, texts::kTextPlain, texts::RefusalText(status));
}

ServiceReply ListService::Handle(const HttpRequest& request, std::int64_t now) {
  ServiceReply reply;
  reply.storeChanged = store_.Expire(now, options_.expireSeconds);
  const bool isPage = request.target == "/" || request.target == "/index.html";
  const bool isText = request.target == "/list.txt";
  const bool isRegister = request.target == "/register";
  if (!isPage && !isText && !isRegister) {
    reply.bytes = Refusal(404);
  } else if (request.method != (isRegister ? "POST" : "GET")) {
    reply.bytes = Refusal(405);
  } else if (isRegister) {
    ServiceReply registered = Register(request.body, now);
    reply.bytes = std::move(registered.bytes);
    reply.storeChanged = reply.storeChanged || registered.storeChanged;
  } else if (isPage) {
    reply.bytes = HttpResponse(200, texts::kTextHtml, RenderListPage(store_.Entries()));
  } else {
    reply.bytes = HttpResponse(200, texts::kTextPlain, RenderListText(store_.Entries()));
  }
  return reply;
}

ServiceReply ListService::Register(const std::string& body, std::int64_t now) {
  const auto record = ParseRecord(body);
  if (!record) return {HttpResponse(400, texts::kTextPlain, texts::kBadRecord), false};
  if (options_.scriptPassword && !ConstantTimeEquals(record->scriptPassword, *options_.scriptPassword)) {
    return {Answer(texts::kScriptPassword, "2"), false};
  }
  const ApplyResult result = store_.Apply(*record, now);
  const bool changed = result != ApplyResult::NameHeld && result != ApplyResult::Full;
  return {AnswerOf(result), changed};
}

}  // namespace novalune::listservice

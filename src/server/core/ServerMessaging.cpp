// Messaging: PRIVMSG and DATA. The hot path: one line built and encoded
// once, the same bytes handed to every receiver.
#include "server/core/ServerImpl.h"
#include "server/core/ServerMessages.h"

namespace novalune::server {

using Impl = ServerCore::Impl;

void Impl::ServerCommand_PRIVMSG(const Sender& s, std::string_view args) {
  CmdView param;
  CommandCutNo(args, param, 2);
  const std::string_view target = param[0];
  std::string_view text = param[1];
  if (!text.empty() && text.front() == ':') text.remove_prefix(1);
  line.clear();
  msg::Privmsg(line, Row(s.id).nick, target, text);
  const MemberList* members = MembersOf(target);
  bool reached = false;
  if (members) {
    bool utf8Ready = false;
    for (const Member& m : *members) {
      if (m.id == s.id) continue;
      if (!reached) Encode();
      reached = true;
      SendToMember(m, utf8Ready);
    }
  }
  if (reached) return;
  // Nobody else in a room of that name: the first other user of that nick.
  if (const auto who = FindNick(target, s.id)) SendLineTo(*who);
}

void Impl::ServerCommand_DATA(const Sender& s, std::string_view args) {
  CmdView param;
  CommandCutNo(args, param, 2);
  line.clear();
  msg::Data(line, Row(s.id).nick, param[0], param[1]);
  SendLineToRoom(param[0], s.id);
}

}  // namespace novalune::server

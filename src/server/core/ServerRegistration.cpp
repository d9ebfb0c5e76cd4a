// Registration and liveness: IRCX, NICK, USER, ICON, PING, QUIT, and CAP,
// which marks a standard IRC client.
#include "server/core/ServerImpl.h"
#include "server/core/ServerMessages.h"

namespace novalune::server {

using Impl = ServerCore::Impl;

void Impl::ServerCommand_IRCX(const Sender& s, std::string_view) {
  line.clear();
  msg::IrcxOn(line);
  SendLineTo(s.id);
}

void Impl::ServerCommand_NICK(const Sender& s, std::string_view args) {
  CmdView param;
  CommandCut(args, param);
  const std::string_view nick = param[0];
  // Taken by anyone, the sender included: a change to one's own nick is refused too.
  if (nick.empty() || FindNick(nick, 0)) {
    line.clear();
    msg::NickInUse(line, nick);
    SendLineTo(s.id);
    return;
  }
  line.clear();
  const std::string& old = Row(s.id).nick;
  if (old.empty()) {
    msg::Welcome(line, nick);
    msg::EndOfMotd(line, nick);
    SendLineTo(s.id);
  } else {
    msg::NickChange(line, old, nick);
    SendLineToRoomKey(Link(s.id).roomKey);
  }
  SetUserNick(s.id, nick);
}

void Impl::ServerCommand_USER(const Sender& s, std::string_view args) {
  Row(s.id).name = args;
  tablesDirty = true;
}

void Impl::ServerCommand_ICON(const Sender& s, std::string_view args) {
  Row(s.id).icon = args;
  tablesDirty = true;
}

void Impl::ServerCommand_PING(const Sender& s, std::string_view args) {
  UserRow& row = Row(s.id);
  line.clear();
  if (Link(s.id).standard) {
    // Standard clients time their lag by the token coming back.
    msg::PlainPong(line, args.starts_with(':') ? args.substr(1) : args);
  } else {
    msg::Pong(line, row.ip, Link(s.id).localIp);
  }
  SendLineTo(s.id);
  if (row.count != 0) tablesDirty = true;
  row.count = 0;
}

void Impl::ServerCommand_QUIT(const Sender& s, std::string_view) { DropUser(s.id, true); }

// Our own client never sends CAP, so CAP before NICK tells a standard client
// from it. We offer no capability: the list is empty and every request is
// refused, and registration goes on as usual. CAP from one of our own
// registered connections is unknown, as it always was.
void Impl::ServerCommand_CAP(const Sender& s, std::string_view args) {
  const std::string& nick = Row(s.id).nick;
  if (!Link(s.id).standard) {
    if (!nick.empty()) return;
    SetUserStandard(s.id);
  }
  CmdView param;
  CommandCutNo(args, param, 2);
  const std::string_view me = nick.empty() ? std::string_view("*") : std::string_view(nick);
  line.clear();
  if (EqualsNoCase(param[0], "LS") || EqualsNoCase(param[0], "LIST")) {
    msg::CapList(line, me, AsciiUpper(param[0]));
  } else if (EqualsNoCase(param[0], "REQ")) {
    msg::CapNak(line, me, param[1].starts_with(':') ? param[1].substr(1) : param[1]);
  } else {
    return;  // END, and anything else, needs no answer
  }
  SendLineTo(s.id);
}

}  // namespace novalune::server

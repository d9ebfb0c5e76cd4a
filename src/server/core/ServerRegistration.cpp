// Registration and liveness: IRCX, NICK, USER, ICON, PING, QUIT.
#include "server/core/ServerImpl.h"
#include "server/core/ServerMessages.h"

namespace novalune::server {

using Impl = ServerCore::Impl;

void Impl::ServerCommand_IRCX(const Sender& s, std::string_view) {
  line.clear();
  msg::IrcxOn(line);
  SendLine(s.conn);
}

void Impl::ServerCommand_NICK(const Sender& s, std::string_view args) {
  CmdView param;
  CommandCut(args, param);
  const std::string_view nick = param[0];
  // Taken by anyone, the sender included: a change to one's own nick is refused too.
  if (nick.empty() || FindNick(nick, 0)) {
    line.clear();
    msg::NickInUse(line, nick);
    SendLine(s.conn);
    return;
  }
  line.clear();
  const std::string& old = Row(s.id).nick;
  if (old.empty()) {
    msg::Welcome(line, nick);
    msg::EndOfMotd(line, nick);
    SendLine(s.conn);
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

void Impl::ServerCommand_PING(const Sender& s, std::string_view) {
  UserRow& row = Row(s.id);
  line.clear();
  msg::Pong(line, row.ip, Link(s.id).localIp);
  SendLine(s.conn);
  if (row.count != 0) tablesDirty = true;
  row.count = 0;
}

void Impl::ServerCommand_QUIT(const Sender& s, std::string_view) { DropUser(s.id, true); }

}  // namespace novalune::server

// Every line the server writes, user port and host link, in one place.
// Each function appends one Shift-JIS line with its CR LF to `out`, so
// several lines for one receiver can be collected and encoded at once.
#pragma once

#include <charconv>
#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

#include "common/SjisText.h"

namespace novalune::server::msg {

inline constexpr std::string_view kServerName = "ZKWChatServer214";
inline constexpr std::string_view kOperatorNick = "Server_Message";
inline constexpr std::string_view kPasswordNick = "NOVALUNE";

namespace detail {

inline void Put(std::string& out, std::string_view text) { out.append(text); }

template <std::integral Number>
void Put(std::string& out, Number number) {
  char digits[24];
  const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  out.append(digits, end);
}

template <class... Pieces>
void Line(std::string& out, const Pieces&... pieces) {
  (Put(out, pieces), ...);
  out.append("\r\n");
}

}  // namespace detail

using detail::Line;
using std::string_view;
inline constexpr string_view S = kServerName;

// Registration and liveness.
inline void Welcome(std::string& o, string_view nick) {
  Line(o, ":", S, " 001 ", nick, " :Welcome to the Internet Relay Network ", nick);
}
inline void EndOfMotd(std::string& o, string_view nick) {
  Line(o, ":", S, " 376 ", nick, " :End of /MOTD command");
}
inline void NickInUse(std::string& o, string_view nick) {
  Line(o, ":", S, " 433 ", nick, " :Nicname is olready in use");
}
inline void NickChange(std::string& o, string_view oldNick, string_view newNick) {
  Line(o, ":", oldNick, "!x@x NICK :", newNick);
}
inline void Pong(std::string& o, string_view peerIp, string_view localIp) {
  Line(o, ":", peerIp, " PONG ", peerIp, " :", localIp);
}
inline void IrcxOn(std::string& o) { Line(o, ":", S, " 800 * 1 0 NTML,ANON 512 *"); }
inline void IrcxProbe(std::string& o) { Line(o, ":", S, " 800 * 0 0 NTML,ANON 512 *"); }
inline void Quit(std::string& o, string_view nick, string_view room) { Line(o, ":", nick, "! QUIT ", room); }

// Rooms.
inline void Part(std::string& o, string_view nick, string_view room) {
  Line(o, ":", nick, "!x@x PART ", room);
}
inline void Join(std::string& o, string_view nick, string_view room) {
  Line(o, ":", nick, "!x@x JOIN :", room);
}
inline void Mode(std::string& o, string_view source, string_view room, string_view flags,
                 string_view target) {
  Line(o, ":", source, "!x@x MODE ", room, " ", flags, " ", target);
}
// `names` is the list with its leading ":".
inline void Names(std::string& o, string_view nick, string_view room, string_view names) {
  Line(o, ":", S, " 353 ", nick, " = ", room, " ", names);
}
inline void EndOfNames(std::string& o, string_view nick, string_view room) {
  Line(o, ":", S, " 366 ", nick, " ", room, " :End of /NAMES list");
}
inline void Topic(std::string& o, string_view nick, string_view room, string_view topic) {
  Line(o, ":", nick, "!x@x TOPIC ", room, " :", topic);
}
inline void ListIcon(std::string& o, string_view nick, string_view icon) {
  Line(o, ":", S, " LISTICON ", nick, " ", icon);
}
inline void ChannelMode(std::string& o, string_view nick, string_view room) {
  Line(o, ":", S, " 324 ", nick, " ", room, " :");
}
inline void PasswordChanged(std::string& o, string_view nick, string_view room, string_view pass) {
  Line(o, ":", nick, "!x@x PRIVMSG ", room, " :", SysText("部屋のパスワードを"), pass,
       SysText("に設定しました"));
}
inline void PasswordOfRoom(std::string& o, string_view room, string_view pass) {
  Line(o, ":", kPasswordNick, "!x@x PRIVMSG ", room, " :", SysText("この部屋のパスワードは"), pass,
       SysText("です"));
}
inline void JoinIp(std::string& o, string_view asker, string_view nick, string_view ip) {
  Line(o, ":", asker, "!x@x JOINIP ", nick, " ", ip);
}

// Queries.
inline constexpr string_view kWhoFlags = "H@";  // ours: the same for every user
inline void WhoReply(std::string& o, string_view asker, string_view room, string_view user, string_view ip,
                     string_view host, string_view nick, string_view flags, string_view fullName) {
  Line(o, ":", S, " 352 ", asker, " ", room, " ", user, " ", ip, " ", host, " ", nick, " ", flags, " :0 ",
       fullName);
}
inline void EndOfWho(std::string& o, string_view nick) {
  Line(o, ":", S, " 315 ", nick, " :End of /WHO list");
}
inline void ListStart(std::string& o, string_view nick) {
  Line(o, ":", S, " 321 ", nick, " Channel :Users  Name");
}
inline void ListRoom(std::string& o, string_view nick, string_view room, int len, string_view topic) {
  Line(o, ":", S, " 322 ", nick, " ", room, " ", len, " :", topic);
}
inline void ListEnd(std::string& o, string_view nick) { Line(o, ":", S, " 323 ", nick, " :End of /LIST"); }
inline void ListXStart(std::string& o, string_view nick) {
  Line(o, ":", S, " 811 ", nick, " :Start of ListX");
}
inline void ListXRoom(std::string& o, string_view nick, string_view room, int len, string_view topic) {
  Line(o, ":", S, " 812 ", nick, " ", room, " +tn ", len, " 0 :", topic);
}
inline void ListXEnd(std::string& o, string_view nick) {
  Line(o, ":", S, " 816 ", nick, " :Truncation of /LISTX");
}
inline void Lusers(std::string& o, string_view nick, std::size_t users) {
  Line(o, ":", S, " 251 ", nick, " :There are ", users, " users and 0 invisible on 1 servers");
  Line(o, ":", S, " 252 ", nick, " 0 :operator(s) online");
  Line(o, ":", S, " 253 ", nick, " 0 :unknown connection(s)");
  Line(o, ":", S, " 254 ", nick, " 1 :channels formed");
  Line(o, ":", S, " 255 ", nick, " :I have ", users, " clients and 0 servers");
}

// Messaging and relay.
inline void Privmsg(std::string& o, string_view nick, string_view target, string_view text) {
  Line(o, ":", nick, "!x@x PRIVMSG ", target, " :", text);
}
inline void Data(std::string& o, string_view nick, string_view room, string_view data) {
  Line(o, ":", nick, "!x@x DATA ", room, " ", data);
}
// `address` is the decimal form of the server's address, or empty.
inline void RelayOffer(std::string& o, string_view nick, string_view receiver, string_view file,
                       string_view address, std::uint16_t port, string_view rest) {
  Line(o, ":", nick, "!x@x PRIVMSG ", receiver, " :", "\x01", "DCC SEND ", file, " ", address, " ", port, " ",
       rest, "\x01");
}
inline void RelayGo(std::string& o, std::uint16_t port) { Line(o, ":", S, "!x@x RELAYSEND ", port); }

// Standard IRC clients only: capability negotiation and the plain IRC form
// of replies whose form for our own client differs.
inline void CapList(std::string& o, string_view nick, string_view subcommand) {
  Line(o, ":", S, " CAP ", nick, " ", subcommand, " :");
}
inline void CapNak(std::string& o, string_view nick, string_view caps) {
  Line(o, ":", S, " CAP ", nick, " NAK :", caps);
}
inline void PlainPong(std::string& o, string_view token) { Line(o, ":", S, " PONG ", S, " :", token); }
inline void EndOfWhoMask(std::string& o, string_view nick, string_view mask) {
  Line(o, ":", S, " 315 ", nick, " ", mask, " :End of /WHO list");
}
inline void NoTopic(std::string& o, string_view nick, string_view room) {
  Line(o, ":", S, " 331 ", nick, " ", room, " :No topic is set");
}
inline void TopicIs(std::string& o, string_view nick, string_view room, string_view topic) {
  Line(o, ":", S, " 332 ", nick, " ", room, " :", topic);
}
inline void ServerMode(std::string& o, string_view room, string_view flags, string_view target) {
  Line(o, ":", S, " MODE ", room, " ", flags, " ", target);
}
inline void Kick(std::string& o, string_view kicker, string_view room, string_view victim,
                 string_view reason) {
  Line(o, ":", kicker, "!x@x KICK ", room, " ", victim, " :", reason);
}

// Operator messages.
inline void OperatorMessage(std::string& o, string_view room, string_view text) {
  Line(o, ":", kOperatorNick, "!x@x PRIVMSG ", room, " :", text);
}

// Host link (Shift-JIS as it is, no wire encoding). The first field of
// START and END is always empty.
inline void HostStart(std::string& o, string_view ip) { Line(o, "START  ", ip); }
inline void HostEnd(std::string& o, string_view ip) { Line(o, "END  ", ip); }
inline void HostJoin(std::string& o, string_view room, string_view nick) {
  Line(o, "JOIN ", room, " ", nick);
}
inline constexpr string_view kHostView = "VIEW";

}  // namespace novalune::server::msg

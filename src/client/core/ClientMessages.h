// Every line the client writes and every system text it fills, as typed
// builders: a missing or extra argument is a compile error, never an empty gap.
// The texts themselves stay in ClientTexts.h.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

#include "client/core/ClientTexts.h"
#include "common/SjisText.h"

namespace novalune::client {

namespace detail {

inline std::string Cat(std::initializer_list<std::string_view> pieces) {
  std::size_t size = 0;
  for (std::string_view piece : pieces) size += piece.size();
  std::string out;
  out.reserve(size);
  for (std::string_view piece : pieces) out.append(piece);
  return out;
}

consteval std::size_t Slots(std::string_view format) {
  std::size_t holes = 0;
  for (std::size_t i = 0; i + 1 < format.size(); ++i) {
    if (format[i] == '%' && format[i + 1] == 's') ++holes, ++i;
  }
  return holes;
}

// A text of ClientTexts.h with exactly `kArgs` "%s" slots; any other count
// fails to compile where the builder is written.
template <std::size_t kArgs>
struct Format {
  consteval Format(const char* text) : utf8(text) {  // NOLINT: implicit on purpose
    if (Slots(text) != kArgs) throw "the arguments do not match the slots of the text";
  }
  const char* utf8;
};

// Puts the arguments into the slots in order. 0x25 is never a Shift-JIS
// trail byte, so a converted text is filled safely.
inline std::string FillSlots(std::string_view format, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(format.size() + 32);
  auto next = args.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
      out += *next++;
      ++i;
      continue;
    }
    out += format[i];
  }
  return out;
}

// The ASCII texts are used as written.
template <class... Args>
std::string Fill(std::type_identity_t<Format<sizeof...(Args)>> format, const Args&... args) {
  return FillSlots(format.utf8, {std::string_view(args)...});
}

// The Japanese ones are converted once (SysText keeps the result) and filled.
template <class... Args>
std::string SysFill(std::type_identity_t<Format<sizeof...(Args)>> format, const Args&... args) {
  return FillSlots(SysText(format.utf8), {std::string_view(args)...});
}

}  // namespace detail

// Protocol lines the client writes; CommandSend adds CR LF.
namespace line {

using detail::Cat;
using std::string_view;

inline std::string User(string_view user, string_view realName) {
  return Cat({"USER ", user, " * * :", realName});
}
inline std::string Nick(string_view nick) { return Cat({"NICK ", nick}); }
inline std::string Icon(string_view icon) { return Cat({"ICON ", icon}); }
inline std::string ChgIcon(string_view nick) { return Cat({"CHGICON ", nick}); }
inline std::string ListIcon(string_view room) { return Cat({"LISTICON ", room}); }
inline std::string Pong(string_view server) { return Cat({"PONG ", server}); }
inline std::string Privmsg(string_view target, string_view text) {
  return Cat({"PRIVMSG ", target, " :", text});
}
inline std::string Join(string_view room) { return Cat({"JOIN ", room}); }
inline std::string JoinPass(string_view room, string_view pass) { return Cat({"JOIN ", room, " ", pass}); }
inline std::string Part(string_view room) { return Cat({"PART ", room}); }
inline std::string Topic(string_view room, string_view topic) { return Cat({"TOPIC ", room, " :", topic}); }
inline std::string GiveHost(string_view room, string_view nick) { return Cat({"MODE ", room, " +o ", nick}); }
inline std::string Kick(string_view room, string_view nick) { return Cat({"KICK ", room, " ", nick}); }
inline std::string JoinIp(string_view nick) { return Cat({"JOINIP ", nick}); }
inline std::string Quit(string_view room) { return Cat({"QUIT ", room}); }
inline constexpr string_view kList = "LIST";
inline constexpr string_view kWho = "WHO";
inline constexpr string_view kView = "VIEW";  // host link, no line end

// The 0x01-framed payloads of a PRIVMSG.
inline std::string CtcpAway(string_view message) {
  return Cat(
      {"\x01"
       "AWAY ",
       message, "\x01"});
}
inline constexpr string_view kCtcpBack =
    "\x01"
    "AWAY\x01";
inline std::string CtcpSound(string_view file) { return Cat({"\x01SOUND ", file, "\x01"}); }
// The away request with the built-in text, when the user has set none.
inline std::string CtcpDefaultAway() { return Cat({"\x01", SysText(text::kDefaultAway), "\x01"}); }

}  // namespace line

// System texts with slots, shown in the display, boxes and caption (Shift-JIS).
namespace shown {

using detail::SysFill;
using std::string_view;

inline std::string CaptionClosed(string_view nick) {
  return text::kCaptionBase + SysFill(text::kCaptionClosed, nick);
}
inline std::string CaptionConnected(string_view nick) {
  return text::kCaptionBase + SysFill(text::kCaptionConnected, nick);
}
inline std::string CaptionJoined(string_view nick, string_view room) {
  return text::kCaptionBase + SysFill(text::kCaptionJoined, nick, room);
}
inline std::string CaptionLeft(string_view nick) {
  return text::kCaptionBase + SysFill(text::kCaptionLeft, nick);
}

inline std::string Joined(string_view nick) { return SysFill(text::kJoined, nick); }
inline std::string Parted(string_view nick) { return SysFill(text::kParted, nick); }
inline std::string Quit(string_view nick) { return SysFill(text::kQuit, nick); }
inline std::string Renamed(string_view oldNick, string_view newNick) {
  return SysFill(text::kRenamed, oldNick, newNick);
}
inline std::string NickInUse(string_view nick) { return SysFill(text::kNickInUse, nick); }
// Entries of the user history: "<time> 入室 [nick]".
inline std::string HistoryIn(string_view stamp, string_view nick) {
  return detail::Cat({stamp, SysText(text::kHistoryIn), nick, "]"});
}
inline std::string HistoryOut(string_view stamp, string_view nick) {
  return detail::Cat({stamp, SysText(text::kHistoryOut), nick, "]"});
}
inline std::string HistoryQuit(string_view stamp, string_view nick) {
  return detail::Cat({stamp, SysText(text::kHistoryQuit), nick, "]"});
}
// Entry of the URL list: "<url>   [nick   <time>]".
inline std::string UrlEntry(string_view url, string_view nick, string_view stamp) {
  return detail::Cat({url, "   [", nick, "   ", stamp, "]"});
}

inline std::string SoundLine(string_view sender, string_view sound) {
  return detail::Fill(text::kSoundLine, sender, sound);
}
inline std::string Away(string_view nick) { return SysFill(text::kAway, nick); }
inline std::string Back(string_view nick) { return SysFill(text::kBack, nick); }
inline std::string NotInteger(string_view word) { return detail::Fill(text::kNotInteger, word); }

inline std::string KickQuestion(string_view nick) { return SysFill(text::kKickQuestion, nick); }

// `first` is the host link's first field, empty in what the server sends.
inline std::string HostStart(string_view first, string_view address) {
  return SysFill(text::kHostStart, first, address);
}
inline std::string HostEnd(string_view first, string_view address) {
  return SysFill(text::kHostEnd, first, address);
}
inline std::string HostJoin(string_view nick, string_view room) {
  return SysFill(text::kHostJoin, nick, room);
}

}  // namespace shown

}  // namespace novalune::client

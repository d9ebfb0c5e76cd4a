// The command table: one entry per command word the server accepts. "IRCX"
// is not here: only the whole line "IRCX" is that command (see Dispatch).
#include <array>
#include <string_view>

#include "common/SjisText.h"
#include "server/core/ServerImpl.h"

namespace novalune::server {

using Impl = ServerCore::Impl;

namespace {

struct CommandEntry {
  std::string_view word;
  Impl::Handler handler;
};

// Most frequent first: the lookup is a short linear scan.
constexpr std::array<CommandEntry, 22> kCommands{{
    {"PRIVMSG", &Impl::ServerCommand_PRIVMSG}, {"DATA", &Impl::ServerCommand_DATA},
    {"PING", &Impl::ServerCommand_PING},       {"JOIN", &Impl::ServerCommand_JOIN},
    {"PART", &Impl::ServerCommand_PART},       {"NICK", &Impl::ServerCommand_NICK},
    {"USER", &Impl::ServerCommand_USER},       {"ICON", &Impl::ServerCommand_ICON},
    {"QUIT", &Impl::ServerCommand_QUIT},       {"TOPIC", &Impl::ServerCommand_TOPIC},
    {"MODE", &Impl::ServerCommand_MODE},       {"KICK", &Impl::ServerCommand_KICK},
    {"JOINIP", &Impl::ServerCommand_JOINIP},   {"WHO", &Impl::ServerCommand_WHO},
    {"LIST", &Impl::ServerCommand_LIST},       {"LISTX", &Impl::ServerCommand_LISTX},
    {"LUSERS", &Impl::ServerCommand_LUSERS},   {"LISTICON", &Impl::ServerCommand_LISTICON},
    {"CHGICON", &Impl::ServerCommand_CHGICON}, {"RELAYSEND", &Impl::ServerCommand_RELAYSEND},
    {"CAP", &Impl::ServerCommand_CAP},         {"NAMES", &Impl::ServerCommand_NAMES},
}};

}  // namespace

Impl::Handler Impl::FindHandler(std::string_view word) {
  for (const CommandEntry& entry : kCommands) {
    if (entry.word.size() == word.size() && EqualsNoCase(entry.word, word)) return entry.handler;
  }
  return nullptr;
}

}  // namespace novalune::server

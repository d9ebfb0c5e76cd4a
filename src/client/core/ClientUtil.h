// Small text helpers of the client engine.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace novalune::client {

// Removes the first occurrence of `c`, wherever it is.
std::string RemoveFirst(std::string_view text, char c);

// Optional sign and decimal digits only, within the range of the type.
std::optional<std::int32_t> ParseInt32(std::string_view text);
std::optional<std::int64_t> ParseInt64(std::string_view text);
inline std::int32_t ParseInt32Def(std::string_view text, std::int32_t def = 0) {
  return ParseInt32(text).value_or(def);
}
inline std::int64_t ParseInt64Def(std::string_view text, std::int64_t def = 0) {
  return ParseInt64(text).value_or(def);
}

// The nick of a user prefix ":nick!x@x": the text between the leading ":"
// and the first "!" (the whole word after ":" when there is no "!").
std::string NickOfPrefix(std::string_view prefix);
inline bool HasBang(std::string_view word) { return word.find('!') != std::string_view::npos; }

// Cuts at the first CR, then at the first LF.
std::string_view CutLineEnd(std::string_view line);

// Stands for a line break inside one protocol line; the display turns it back.
inline constexpr std::string_view kLineBreakEscape = "\x10r\x10n";

// A value that becomes part of a protocol line: CR, LF and NUL would end or
// cut the line on the wire, so they are dropped.
std::string OneLineValue(std::string_view text);

// A typed or pasted statement as one line: every line break (CR LF, LF or a
// lone CR) becomes kLineBreakEscape, so the receivers see the sender's lines;
// NUL is dropped.
std::string EscapeLineBreaks(std::string_view text);

// The own address shown to peers: the source address of the default route
// when it is one of the machine's IPv4 addresses (so a container bridge or VPN
// address listed first is not taken), else the first non-loopback address of
// the list, else "127.0.0.1". Empty `routeSource` means no default route.
std::string ChooseMyAddress(const std::vector<std::string>& addresses, std::string_view routeSource);

// The sound history after `name` was chosen: an entry equal to it without
// regard to case gives way, the name goes on top, at most 20 entries stay.
std::vector<std::string> PushSoundHistory(std::vector<std::string> history, const std::string& name);

// The lowest 32 bits of the number as dotted IPv4, highest byte first.
std::string DottedAddress(std::int64_t number);

}  // namespace novalune::client

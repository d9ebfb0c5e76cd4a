#include "client/core/ClientUtil.h"

#include <algorithm>
#include <charconv>

#include "common/SettingsIni.h"
#include "common/SjisText.h"

namespace novalune::client {

std::string RemoveFirst(std::string_view text, char c) {
  std::string out(text);
  const std::size_t at = out.find(c);
  if (at != std::string::npos) out.erase(at, 1);
  return out;
}

namespace {

template <typename T>
std::optional<T> ParseSigned(std::string_view text) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  // from_chars accepts a leading '-' but no '+'; a second sign is rejected by it.
  if (text.front() == '+') return std::nullopt;
  T value{};
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value, 10);
  if (ec != std::errc() || ptr != end) return std::nullopt;
  return value;
}

}  // namespace

std::optional<std::int32_t> ParseInt32(std::string_view text) { return ParseSigned<std::int32_t>(text); }
std::optional<std::int64_t> ParseInt64(std::string_view text) { return ParseSigned<std::int64_t>(text); }

std::string NickOfPrefix(std::string_view prefix) {
  if (!prefix.empty() && prefix.front() == ':') prefix.remove_prefix(1);
  return std::string(prefix.substr(0, prefix.find('!')));
}

std::string_view CutLineEnd(std::string_view line) {
  line = line.substr(0, line.find('\r'));
  return line.substr(0, line.find('\n'));
}

// The settings store drops the same bytes from what it writes, so a value
// kept here equals the value stored.
std::string OneLineValue(std::string_view text) { return IniCleanValue(text); }

std::string EscapeLineBreaks(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r' || c == '\n') {
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      out += kLineBreakEscape;
    } else if (c != '\0') {
      out += c;
    }
  }
  return out;
}

namespace {

bool IsLoopback(std::string_view address) { return address.starts_with("127."); }

}  // namespace

std::string ChooseMyAddress(const std::vector<std::string>& addresses, std::string_view routeSource) {
  if (!routeSource.empty() && !IsLoopback(routeSource) &&
      std::find(addresses.begin(), addresses.end(), routeSource) != addresses.end()) {
    return std::string(routeSource);
  }
  for (const std::string& address : addresses) {
    if (!address.empty() && !IsLoopback(address)) return address;
  }
  return "127.0.0.1";
}

std::vector<std::string> PushSoundHistory(std::vector<std::string> history, const std::string& name) {
  constexpr std::size_t kMaxSoundHistory = 20;
  const auto same = std::find_if(history.begin(), history.end(),
                                 [&](const std::string& entry) { return EqualsNoCase(entry, name); });
  if (same != history.end()) history.erase(same);
  history.insert(history.begin(), name);
  if (history.size() > kMaxSoundHistory) history.pop_back();
  return history;
}

std::string DottedAddress(std::int64_t number) {
  const auto bits = static_cast<std::uint32_t>(static_cast<std::uint64_t>(number) & 0xFFFFFFFFu);
  return std::to_string(bits >> 24) + '.' + std::to_string((bits >> 16) & 0xFF) + '.' +
         std::to_string((bits >> 8) & 0xFF) + '.' + std::to_string(bits & 0xFF);
}

}  // namespace novalune::client

#include "client/core/ClientUtil.h"

#include <charconv>

#include "common/sjistext.h"

namespace novalune::client {

std::string Fmt(std::string_view format, std::initializer_list<std::string_view> args) {
  std::string out;
  out.reserve(format.size() + 32);
  auto next = args.begin();
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
      if (next != args.end()) out += *next++;
      ++i;
      continue;
    }
    out += format[i];
  }
  return out;
}

std::string SysFmt(const char* utf8Format, std::initializer_list<std::string_view> args) {
  return Fmt(SysText(utf8Format), args);
}

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

std::string DottedAddress(std::int64_t number) {
  const auto bits = static_cast<std::uint32_t>(static_cast<std::uint64_t>(number) & 0xFFFFFFFFu);
  return std::to_string(bits >> 24) + '.' + std::to_string((bits >> 16) & 0xFF) + '.' +
         std::to_string((bits >> 8) & 0xFF) + '.' + std::to_string(bits & 0xFF);
}

}  // namespace novalune::client

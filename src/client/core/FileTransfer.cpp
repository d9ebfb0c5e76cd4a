#include "client/core/FileTransfer.h"

#include <algorithm>
#include <charconv>

#include "client/core/ClientMessages.h"
#include "common/SjisText.h"

namespace novalune::client {

namespace {

constexpr std::size_t kMaxNameBytes = 255;
constexpr std::string_view kFallbackName = "received.bin";

bool IsControl(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

// Start of the last path component; a '\' that trails a Shift-JIS lead byte
// is part of a character (as in "表"), not a separator, but a '/' never is.
std::size_t BaseNameStart(std::string_view name) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (IsSjisPair(name, i)) {
      ++i;
      continue;
    }
    if (name[i] == '/' || name[i] == '\\') start = i + 1;
  }
  return start;
}

// Keeps whole characters only, within the byte limit.
std::string CutToLimit(const std::string& name) {
  std::size_t end = 0;
  while (end < name.size()) {
    const std::size_t width = IsSjisPair(name, end) ? 2 : 1;
    if (end + width > kMaxNameBytes) break;
    end += width;
  }
  return name.substr(0, end);
}

std::string ToDecimal(std::uint64_t value) {
  std::array<char, 24> digits{};
  const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
  return {digits.data(), result.ptr};
}

std::optional<std::uint64_t> ParseDigits(std::string_view word) {
  if (word.empty()) return std::nullopt;
  std::uint64_t value = 0;
  const auto result = std::from_chars(word.data(), word.data() + word.size(), value);
  if (result.ec != std::errc{} || result.ptr != word.data() + word.size()) return std::nullopt;
  return value;
}

}  // namespace

std::string ReduceFileName(std::string_view name) {
  std::string kept;
  for (const char c : name.substr(BaseNameStart(name))) {
    if (!IsControl(static_cast<unsigned char>(c))) kept += c;
  }
  kept.erase(0, kept.find_first_not_of('.'));
  kept = CutToLimit(kept);
  if (kept.empty()) return std::string(kFallbackName);
  return kept;
}

std::string OfferNameToken(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  std::string token(slash == std::string_view::npos ? path : path.substr(slash + 1));
  std::replace(token.begin(), token.end(), ' ', '*');
  return token;
}

std::string OfferNameShown(std::string_view token) {
  std::string shown(token);
  std::replace(shown.begin(), shown.end(), '*', ' ');
  return shown;
}

std::optional<std::uint32_t> OfferAddressNumber(std::string_view dotted) {
  std::uint32_t number = 0;
  for (int part = 0; part < 4; ++part) {
    const std::size_t dot = dotted.find('.');
    if ((part < 3) == (dot == std::string_view::npos)) return std::nullopt;
    const auto value = ParseDigits(dotted.substr(0, dot));
    if (!value) return std::nullopt;
    number = (number << 8) | static_cast<std::uint32_t>(*value & 0xFF);
    dotted = part < 3 ? dotted.substr(dot + 1) : std::string_view{};
  }
  return number;
}

std::optional<std::uint64_t> ParseOfferSize(std::string_view word) {
  const auto size = ParseDigits(word);
  if (!size || *size > kMaxOfferSize) return std::nullopt;
  return size;
}

std::string DccOfferLine(std::string_view nick, std::string_view nameToken, std::uint32_t address,
                         std::uint16_t port, std::uint64_t size) {
  // The 0x01 byte and the words after it are one piece of the payload.
  constexpr std::string_view kDccSend =
      "\x01"
      "DCC SEND ";
  return line::Privmsg(nick, detail::Cat({kDccSend, nameToken, " ", ToDecimal(address), " ", ToDecimal(port),
                                          " ", ToDecimal(size), "\x01"}));
}

std::string RelaySendLine(std::string_view nick, std::string_view nameToken, std::uint64_t size) {
  return detail::Cat({"RELAYSEND ", nick, " ", nameToken, " ", ToDecimal(size)});
}

std::array<char, 4> AckBytes(std::uint64_t total) {
  const auto low = static_cast<std::uint32_t>(total);
  return {static_cast<char>(low >> 24), static_cast<char>(low >> 16), static_cast<char>(low >> 8),
          static_cast<char>(low)};
}

std::uint64_t SendEngine::Allowance() const {
  if (sent_ >= size_) return 0;
  const std::uint64_t left = size_ - sent_;
  if (sendAhead_ == 0) return acked_ >= sent_ ? std::min<std::uint64_t>(left, kFileBlock) : 0;
  const std::uint64_t inFlight = sent_ - acked_;
  if (inFlight >= sendAhead_) return 0;
  return std::min(left, sendAhead_ - inFlight);
}

bool SendEngine::Received(std::string_view bytes) {
  const std::uint64_t before = acked_;
  for (const char c : bytes) {
    partial_[partialCount_++] = static_cast<unsigned char>(c);
    if (partialCount_ < partial_.size()) continue;
    partialCount_ = 0;
    TakeAck((std::uint32_t{partial_[0]} << 24) | (std::uint32_t{partial_[1]} << 16) |
            (std::uint32_t{partial_[2]} << 8) | partial_[3]);
  }
  return acked_ != before;
}

// The 32-bit ack names the one running total in [acked, sent] with those low
// bits; sends never run 4 GiB ahead, so that total is unique.
void SendEngine::TakeAck(std::uint32_t ack) {
  const std::uint32_t step = ack - static_cast<std::uint32_t>(acked_);
  if (step <= sent_ - acked_) acked_ += step;
}

std::uint64_t ReceiveEngine::Accept(std::uint64_t count) {
  const std::uint64_t taken = std::min(count, size_ - std::min(size_, received_));
  received_ += taken;
  return taken;
}

}  // namespace novalune::client

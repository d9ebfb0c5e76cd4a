// Line helpers and the latency histogram of the load generator. Header-only so
// that the tests use exactly what the tool runs.
#pragma once

#include <array>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string_view>

namespace loadgen {

inline std::uint64_t NowNs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return std::uint64_t(ts.tv_sec) * 1000000000u + std::uint64_t(ts.tv_nsec);
}

// Log-linear microsecond histogram: exact below 1024 us, then 512 buckets per
// power of two (about 0.2 % error), so millions of samples cost a few hundred KB.
class LatencyHistogram {
 public:
  void Add(std::uint64_t us) {
    ++counts_[Index(us)];
    ++total_;
  }
  std::uint64_t Total() const { return total_; }
  // Upper bound of the bucket holding the smallest value v with at least a
  // fraction q of the samples <= v.
  std::uint64_t Quantile(double q) const {
    if (total_ == 0) return 0;
    std::uint64_t want = std::uint64_t(q * double(total_) + 0.999999);
    if (want == 0) want = 1;
    std::uint64_t seen = 0;
    for (std::size_t i = 0; i < counts_.size(); ++i) {
      seen += counts_[i];
      if (seen >= want) return UpperBound(i);
    }
    return UpperBound(counts_.size() - 1);
  }

 private:
  static constexpr int kLinear = 1024;
  static constexpr int kPerOctave = 512;
  static constexpr int kOctaves = 30;
  static std::size_t Index(std::uint64_t us) {
    if (us < kLinear) return std::size_t(us);
    int octave = 63 - __builtin_clzll(us) - 9;  // us >> octave lies in [512, 1024)
    if (octave > kOctaves) return kLinear + std::size_t(kOctaves) * kPerOctave - 1;
    std::uint64_t mantissa = (us >> octave) - kPerOctave;
    return kLinear + std::size_t(octave - 1) * kPerOctave + std::size_t(mantissa);
  }
  static std::uint64_t UpperBound(std::size_t index) {
    if (index < kLinear) return index;
    std::size_t k = index - kLinear;
    int octave = int(k / kPerOctave) + 1;
    std::uint64_t mantissa = (k % kPerOctave) + kPerOctave;
    return ((mantissa + 1) << octave) - 1;
  }
  std::array<std::uint64_t, kLinear + kOctaves * kPerOctave> counts_{};
  std::uint64_t total_ = 0;
};

// The command word of a server line: the second word when a prefix leads.
inline std::string_view CommandOf(std::string_view line) {
  std::size_t start = 0;
  if (!line.empty() && line[0] == ':') {
    std::size_t sp = line.find(' ');
    if (sp == std::string_view::npos) return {};
    start = sp + 1;
  }
  std::size_t end = line.find(' ', start);
  return line.substr(start, end == std::string_view::npos ? line.size() - start : end - start);
}

// Everything after the command word and its blank.
inline std::string_view ParamsOf(std::string_view line) {
  std::string_view cmd = CommandOf(line);
  std::size_t after = std::size_t(cmd.data() - line.data()) + cmd.size();
  if (after >= line.size()) return {};
  return line.substr(after + 1);
}

inline bool ParseU64(std::string_view& s, std::uint64_t& out) {
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), out);
  if (ec != std::errc()) return false;
  s.remove_prefix(std::size_t(end - s.data()));
  return true;
}

// The parameters of a relayed flood line are "<target> :<seq> <timestamp-ns> padding".
inline bool ParseFloodText(std::string_view params, std::uint64_t& seq, std::uint64_t& stampNs) {
  std::size_t colon = params.find(" :");
  if (colon == std::string_view::npos) return false;
  std::string_view text = params.substr(colon + 2);
  if (!ParseU64(text, seq) || text.empty() || text[0] != ' ') return false;
  text.remove_prefix(1);
  return ParseU64(text, stampNs) && (text.empty() || text[0] == ' ');
}

}  // namespace loadgen

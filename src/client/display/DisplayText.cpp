#include "client/display/DisplayText.h"

#include <array>
#include <cstdio>

#include "common/SjisText.h"

namespace novalune::display {

namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string Indented(std::string_view line) {
  if (!line.empty() && line.front() == ' ') return std::string(line);
  std::string out = " ";
  out += line;
  return out;
}

std::string ReplaceEscapes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  for (std::size_t pos = text.find(kLineBreakEscape); pos != std::string_view::npos;
       pos = text.find(kLineBreakEscape, start)) {
    out += text.substr(start, pos - start);
    out += kCrLf;
    start = pos + kLineBreakEscape.size();
  }
  out += text.substr(start);
  return out;
}

constexpr std::array<std::string_view, 11> kSchemes = {
    "http:", "https:",    "ftp:",    "file:", "mailto:", "gopher:",
    "nntp:", "prospero:", "telnet:", "news:", "wais:"};

bool IsAsciiAlnum(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (LowerAscii(text[i]) != prefix[i]) return false;
  }
  return true;
}

bool IsPrintableAscii(unsigned char c) { return c >= 33 && c <= 126; }

// Characters that never belong to an address even inside a run of printable ASCII.
bool IsAddressStop(char c) { return c == '<' || c == '>' || c == '"' || c == '`'; }

bool IsTrailingPunctuation(char c) {
  return c == '.' || c == ',' || c == ';' || c == ':' || c == '!' || c == '?' || c == '\'' || c == ']' ||
         c == '}';
}

// Drops trailing punctuation, and closing parentheses that have no opening one
// in the address. Linear: the parentheses are counted once.
std::size_t TrimAddressEnd(std::string_view run, std::size_t begin, std::size_t end) {
  std::size_t open = 0, close = 0;
  for (char c : run.substr(begin, end - begin)) {
    open += c == '(';
    close += c == ')';
  }
  while (end > begin) {
    const char last = run[end - 1];
    if (IsTrailingPunctuation(last)) {
      --end;
    } else if (last == ')' && close > open) {
      --close;
      --end;
    } else {
      break;
    }
  }
  return end;
}

std::size_t MatchScheme(std::string_view rest) {
  for (std::string_view scheme : kSchemes) {
    if (StartsWithNoCase(rest, scheme)) return scheme.size();
  }
  return 0;
}

bool IsMailLocalChar(char c) {
  return IsAsciiAlnum(c) || c == '.' || c == '_' || c == '%' || c == '+' || c == '-';
}

bool IsDomainChar(char c) { return IsAsciiAlnum(c) || c == '.' || c == '-'; }

// A domain of at least two non-empty labels, none starting or ending with '-'.
bool IsMailDomain(std::string_view domain) {
  std::size_t labels = 0;
  std::size_t start = 0;
  while (start <= domain.size()) {
    std::size_t dot = domain.find('.', start);
    if (dot == std::string_view::npos) dot = domain.size();
    const std::string_view label = domain.substr(start, dot - start);
    if (label.empty() || label.front() == '-' || label.back() == '-') return false;
    ++labels;
    start = dot + 1;
  }
  return labels >= 2;
}

struct Span {
  std::size_t begin;
  std::size_t end;
  std::string target;
};

// Addresses inside one run of printable single-byte characters.
void FindInRun(std::string_view run, std::size_t offset, std::vector<Span>& found) {
  std::size_t floor = 0;  // the end of the last address: nothing before it is reused
  std::size_t i = 0;
  while (i < run.size()) {
    const bool boundary = i == 0 || !IsAsciiAlnum(run[i - 1]);
    const std::size_t schemeLength = boundary ? MatchScheme(run.substr(i)) : 0;
    if (schemeLength > 0) {
      std::size_t end = i + schemeLength;
      while (end < run.size() && !IsAddressStop(run[end])) ++end;
      end = TrimAddressEnd(run, i, end);
      // Trimming may eat into the scheme itself ("http:" then punctuation).
      const std::string_view body =
          end > i + schemeLength ? run.substr(i + schemeLength, end - i - schemeLength) : std::string_view();
      if (body.find_first_not_of('/') != std::string_view::npos) {
        found.push_back({offset + i, offset + end, std::string(run.substr(i, end - i))});
        floor = i = end;
        continue;
      }
    }
    if (run[i] == '@') {
      std::size_t begin = i;
      while (begin > floor && IsMailLocalChar(run[begin - 1])) --begin;
      while (begin < i && run[begin] == '.') ++begin;
      std::size_t end = i + 1;
      while (end < run.size() && IsDomainChar(run[end])) ++end;
      while (end > i + 1 && (run[end - 1] == '.' || run[end - 1] == '-')) --end;
      const std::string_view local = run.substr(begin, i - begin);
      const std::string_view domain = run.substr(i + 1, end - i - 1);
      if (!local.empty() && local.back() != '.' && IsMailDomain(domain)) {
        found.push_back(
            {offset + begin, offset + end, "mailto:" + std::string(run.substr(begin, end - begin))});
        floor = i = end;
        continue;
      }
    }
    ++i;
  }
}

}  // namespace

std::vector<std::string> SplitDisplayLines(std::string_view text) {
  if (text.find(kLineBreakEscape) == std::string_view::npos) return {std::string(text)};
  const std::string replaced = ReplaceEscapes(text);
  const std::string_view all = replaced;
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t pos = all.find(kCrLf); pos != std::string_view::npos; pos = all.find(kCrLf, start)) {
    lines.push_back(Indented(all.substr(start, pos - start)));
    start = pos + kCrLf.size();
  }
  if (start < all.size()) lines.push_back(Indented(all.substr(start)));
  return lines;
}

std::vector<TextPiece> SplitAddresses(std::string_view text) {
  std::vector<Span> found;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (IsSjisPair(text, i)) {
      i += 2;  // a double-byte character: its trail byte may look like ASCII
      continue;
    }
    if (!IsPrintableAscii(byte)) {
      ++i;
      continue;
    }
    const std::size_t begin = i;
    while (i < text.size() && IsPrintableAscii(static_cast<unsigned char>(text[i]))) ++i;
    FindInRun(text.substr(begin, i - begin), begin, found);
  }
  std::vector<TextPiece> pieces;
  std::size_t at = 0;
  for (Span& span : found) {
    if (span.begin > at) pieces.push_back({at, span.begin - at, {}});
    pieces.push_back({span.begin, span.end - span.begin, std::move(span.target)});
    at = span.end;
  }
  if (at < text.size() || pieces.empty()) pieces.push_back({at, text.size() - at, {}});
  return pieces;
}

std::string LogFileStem(int year, int month, int day, int hour, int minute) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%02d%02d%02d_%02d%02d", ((year % 100) + 100) % 100, month, day, hour,
                minute);
  return buffer;
}

bool IsRtfLogName(std::string_view fileName) {
  constexpr std::string_view kRtf = ".rtf";
  if (fileName.size() < kRtf.size()) return false;
  return StartsWithNoCase(fileName.substr(fileName.size() - kRtf.size()), kRtf);
}

}  // namespace novalune::display

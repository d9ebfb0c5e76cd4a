// A small RTF reader for the tests: groups, control words and symbols, \'xx
// bytes, the font and colour tables, and the character state of each run.
#pragma once

#include <cctype>
#include <cstdlib>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace novalune::test {

struct RtfFont {
  std::string name;  // bytes, \'xx decoded
  int charset = -1;
};

struct RtfState {
  int font = 0;
  int halfPoints = 24;
  int color = 0;  // index into the colour table, 0 is automatic
  bool bold = false, italic = false, underline = false, strike = false;
  bool operator==(const RtfState&) const = default;
};

struct RtfRun {
  RtfState state;
  std::string text;  // bytes
};

struct RtfDocument {
  std::string header;  // control words of the document before the first table
  std::map<int, RtfFont> fonts;
  std::vector<int> colors;  // 0x00BBGGRR; colors[0] is the automatic entry
  std::vector<std::vector<RtfRun>> paragraphs;
};

class RtfReader {
 public:
  static RtfDocument Parse(const std::string& rtf) {
    RtfReader reader(rtf);
    reader.Document();
    return reader.doc_;
  }

 private:
  explicit RtfReader(const std::string& rtf) : in_(rtf) {}

  enum class Dest { kBody, kFontTable, kFont, kColorTable, kSkip };

  struct Frame {
    RtfState state;
    Dest dest;
  };

  void Fail(const char* what) { throw std::runtime_error(std::string(what) + " at " + std::to_string(pos_)); }

  void Document() {
    if (in_.compare(0, 6, "{\\rtf1") != 0) Fail("no rtf1 header");
    stack_.push_back({RtfState{}, Dest::kBody});
    ++pos_;
    while (pos_ < in_.size() && !stack_.empty()) Step();
    if (!stack_.empty()) Fail("unbalanced groups");
    if (!current_.empty()) doc_.paragraphs.push_back(current_);
  }

  void Step() {
    const char c = in_[pos_];
    if (c == '{') {
      ++pos_;
      stack_.push_back(stack_.back());
      groupStart_ = true;
      return;
    }
    if (c == '}') {
      ++pos_;
      if (stack_.back().dest == Dest::kFont) EndFont();
      stack_.pop_back();
      return;
    }
    if (c == '\\') {
      ControlWord();
      return;
    }
    ++pos_;
    groupStart_ = false;
    if (c == '\r' || c == '\n') return;
    Text(std::string(1, c));
  }

  void ControlWord() {
    ++pos_;
    if (pos_ >= in_.size()) Fail("backslash at end");
    const char c = in_[pos_];
    if (c == '\'') {
      const std::string hex = in_.substr(pos_ + 1, 2);
      pos_ += 3;
      Text(std::string(1, static_cast<char>(std::strtol(hex.c_str(), nullptr, 16))));
      return;
    }
    if (!std::isalpha(static_cast<unsigned char>(c))) {
      ++pos_;
      if (c == '*') stack_.back().dest = Dest::kSkip;
      else Text(std::string(1, c));
      return;
    }
    std::string word;
    while (pos_ < in_.size() && std::isalpha(static_cast<unsigned char>(in_[pos_]))) word += in_[pos_++];
    bool hasNumber = false;
    int number = 0;
    const std::size_t numberStart = pos_;
    if (pos_ < in_.size() && (in_[pos_] == '-' || std::isdigit(static_cast<unsigned char>(in_[pos_])))) {
      ++pos_;
      while (pos_ < in_.size() && std::isdigit(static_cast<unsigned char>(in_[pos_]))) ++pos_;
      number = std::atoi(in_.substr(numberStart, pos_ - numberStart).c_str());
      hasNumber = true;
    }
    if (pos_ < in_.size() && in_[pos_] == ' ') ++pos_;
    Apply(word, hasNumber, number);
    groupStart_ = false;
  }

  void Apply(const std::string& word, bool hasNumber, int n) {
    Frame& frame = stack_.back();
    RtfState& s = frame.state;
    const bool on = !hasNumber || n != 0;
    if (word == "fonttbl") frame.dest = Dest::kFontTable;
    else if (word == "colortbl") {
      frame.dest = Dest::kColorTable;
      doc_.colors.clear();
      color_ = 0;
    } else if (frame.dest == Dest::kFontTable && word == "f") {
      frame.dest = Dest::kFont;
      fontIndex_ = n;
      font_ = RtfFont{};
    } else if (frame.dest == Dest::kFont && word == "fcharset") font_.charset = n;
    else if (frame.dest == Dest::kColorTable && word == "red") color_ = (color_ & ~0xFF) | n;
    else if (frame.dest == Dest::kColorTable && word == "green") color_ = (color_ & ~0xFF00) | (n << 8);
    else if (frame.dest == Dest::kColorTable && word == "blue") color_ = (color_ & ~0xFF0000) | (n << 16);
    else if (frame.dest != Dest::kBody) return;
    else if (word == "plain") s = RtfState{};
    else if (word == "pard") {
    } else if (word == "par") {
      doc_.paragraphs.push_back(current_);
      current_.clear();
    } else if (word == "line") Text("\n");
    else if (word == "tab") Text("\t");
    else if (word == "f") s.font = n;
    else if (word == "fs") s.halfPoints = n;
    else if (word == "cf") s.color = n;
    else if (word == "b") s.bold = on;
    else if (word == "i") s.italic = on;
    else if (word == "ul") s.underline = on;
    else if (word == "ulnone") s.underline = false;
    else if (word == "strike") s.strike = on;
    else if (doc_.fonts.empty() && doc_.paragraphs.empty())
      doc_.header += "\\" + word + (hasNumber ? std::to_string(n) : "");
  }

  void Text(const std::string& bytes) {
    Frame& frame = stack_.back();
    switch (frame.dest) {
      case Dest::kFont: font_.name += bytes; return;
      case Dest::kColorTable:
        for (char c : bytes) {
          if (c == ';') {
            doc_.colors.push_back(color_);
            color_ = 0;
          }
        }
        return;
      case Dest::kBody:
        if (current_.empty() || !(current_.back().state == frame.state))
          current_.push_back({frame.state, {}});
        current_.back().text += bytes;
        return;
      default: return;
    }
  }

  void EndFont() {
    if (!font_.name.empty() && font_.name.back() == ';') font_.name.pop_back();
    doc_.fonts[fontIndex_] = font_;
  }

  const std::string& in_;
  std::size_t pos_ = 0;
  std::vector<Frame> stack_;
  bool groupStart_ = false;
  RtfDocument doc_;
  std::vector<RtfRun> current_;
  RtfFont font_;
  int fontIndex_ = 0;
  int color_ = 0;
};

}  // namespace novalune::test

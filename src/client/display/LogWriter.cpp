#include "client/display/LogWriter.h"

#include <algorithm>
#include <cstdio>

#include "common/SjisText.h"

namespace novalune::display {

namespace {

// Font and colour tables: each distinct face and colour once, in order of first use.
struct RtfTables {
  struct Face {
    std::string name;
    bool japanese = false;
  };
  std::vector<Face> faces;
  std::vector<int> colors;

  std::size_t FaceIndex(const std::string& name) {
    auto it = std::find_if(faces.begin(), faces.end(), [&](const Face& f) { return f.name == name; });
    if (it != faces.end()) return static_cast<std::size_t>(it - faces.begin());
    faces.push_back({name, false});
    return faces.size() - 1;
  }
  // Index in \colortbl; entry 0 is the reader's automatic colour, so ours start at 1.
  std::size_t ColorIndex(int color) {
    auto it = std::find(colors.begin(), colors.end(), color);
    if (it != colors.end()) return static_cast<std::size_t>(it - colors.begin()) + 1;
    colors.push_back(color);
    return colors.size();
  }
};

bool HasNonAscii(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

void AppendHexByte(std::string& out, unsigned char byte) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "\\'%02x", byte);
  out += buffer;
}

// Text as RTF: the specials escaped, both bytes of a double-byte character as
// \'xx (a trail byte may be '\\', '{' or '}'), other high bytes and control
// bytes as \'xx, LF as \line.
void AppendRtfText(std::string& out, std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (IsSjisPair(text, i)) {
      AppendHexByte(out, byte);
      AppendHexByte(out, static_cast<unsigned char>(text[++i]));
    } else if (byte == '\\' || byte == '{' || byte == '}') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (byte == '\n') {
      out += "\\line ";
    } else if (byte == '\t') {
      out += "\\tab ";
    } else if (byte < 0x20 || byte >= 0x7F) {
      AppendHexByte(out, byte);
    } else {
      out += static_cast<char>(byte);
    }
  }
}

void AppendFaceName(std::string& out, const std::string& name) {
  // A face name ends at ';' in the table, so one inside the name cannot be kept.
  std::string cleaned = name;
  std::replace(cleaned.begin(), cleaned.end(), ';', ' ');
  AppendRtfText(out, cleaned);
}

int ClampedHalfPoints(int points) { return std::clamp(points, 1, 1638) * 2; }

void AppendRunFormat(std::string& out, RtfTables& tables, const FontSetting& font) {
  out += "\\plain\\f" + std::to_string(tables.FaceIndex(font.name));
  out += "\\fs" + std::to_string(ClampedHalfPoints(font.size));
  out += "\\cf" + std::to_string(tables.ColorIndex(font.color));
  if (font.bold) out += "\\b";
  if (font.italic) out += "\\i";
  if (font.underline) out += "\\ul";
  if (font.strikeout) out += "\\strike";
  out += ' ';
}

std::string Body(const std::vector<LogParagraph>& paragraphs, RtfTables& tables) {
  std::string body;
  for (const LogParagraph& paragraph : paragraphs) {
    body += "\\pard";
    if (paragraph.runs.empty()) AppendRunFormat(body, tables, paragraph.font);
    for (const LogRun& run : paragraph.runs) {
      AppendRunFormat(body, tables, run.font);
      if (HasNonAscii(run.text)) tables.faces[tables.FaceIndex(run.font.name)].japanese = true;
      AppendRtfText(body, run.text);
    }
    body += "\\par\r\n";
  }
  return body;
}

std::string FontTable(const RtfTables& tables) {
  std::string out = "{\\fonttbl";
  for (std::size_t i = 0; i < tables.faces.size(); ++i) {
    const auto& face = tables.faces[i];
    const bool japanese = face.japanese || HasNonAscii(face.name);
    out += "{\\f" + std::to_string(i) + "\\fnil\\fcharset" + (japanese ? "128" : "0") + ' ';
    AppendFaceName(out, face.name);
    out += ";}";
  }
  out += "}\r\n";
  return out;
}

std::string ColorTable(const RtfTables& tables) {
  std::string out = "{\\colortbl ;";
  for (int color : tables.colors) {
    out += "\\red" + std::to_string(color & 0xFF) + "\\green" + std::to_string((color >> 8) & 0xFF) +
           "\\blue" + std::to_string((color >> 16) & 0xFF) + ';';
  }
  out += "}\r\n";
  return out;
}

}  // namespace

std::string WriteRtfLog(const std::vector<LogParagraph>& paragraphs) {
  RtfTables tables;
  tables.FaceIndex(paragraphs.empty() ? std::string() : paragraphs.front().font.name);
  const std::string body = Body(paragraphs, tables);
  std::string out = "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1041";
  out += FontTable(tables);
  out += ColorTable(tables);
  out += "\\viewkind4\\uc1\r\n";
  out += body;
  out += "}\r\n";
  return out;
}

std::string WriteTextLog(const std::vector<LogParagraph>& paragraphs) {
  std::string out;
  for (const LogParagraph& paragraph : paragraphs) {
    for (const LogRun& run : paragraph.runs) {
      for (char c : run.text) {
        if (c == '\n') {
          out += "\r\n";
        } else {
          out += c;
        }
      }
    }
    out += "\r\n";
  }
  return out;
}

}  // namespace novalune::display

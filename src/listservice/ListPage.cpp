#include "listservice/ListPage.h"

#include "common/SjisText.h"
#include "listservice/ListTexts.h"

namespace novalune::listservice {

namespace {

constexpr std::string_view kLineBreak = "<BR>";

std::string Shown(std::string_view sjis) { return HtmlEscape(SjisToUtf8(sjis)); }

// The publisher's line breaks become the page's; everything else stays text.
std::string ShownMessage(std::string_view sjis) {
  std::string out;
  for (std::size_t cut = sjis.find(kLineBreak); cut != std::string_view::npos; cut = sjis.find(kLineBreak)) {
    out += Shown(sjis.substr(0, cut)) + "<br>";
    sjis.remove_prefix(cut + kLineBreak.size());
  }
  return out + Shown(sjis);
}

bool IsWebAddress(std::string_view text) {
  const std::string upper = AsciiUpper(text.substr(0, 8));
  return upper.starts_with("HTTP://") || upper.starts_with("HTTPS://");
}

// Only web addresses become links: a "javascript:" home page stays text.
std::string ShownHomePage(std::string_view sjis) {
  const std::string text = Shown(sjis);
  return IsWebAddress(sjis) ? "<a href=\"" + text + "\">" + text + "</a>" : text;
}

std::string ChatLink(const ListEntry& entry) {
  const std::string link = Shown("ZKWC2://" + entry.Address() + "/" + entry.room);
  return "<a href=\"" + link + "\">" + link + "</a>";
}

std::string Cell(std::string_view html) { return "<td>" + std::string(html) + "</td>"; }

std::string Row(const ListEntry& entry) {
  return "<tr>" + Cell(Shown(entry.name)) + Cell(Shown(entry.room)) + Cell(ShownHomePage(entry.homePage)) +
         Cell(ShownMessage(entry.message)) + Cell(entry.running ? texts::kRunning : texts::kStoppedState) +
         Cell(entry.running ? ChatLink(entry) : "") + "</tr>\n";
}

// A tab or line break inside a field would break the line format.
std::string OneField(std::string_view sjis) {
  std::string utf8 = SjisToUtf8(sjis);
  for (char& c : utf8) {
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  return utf8;
}

}  // namespace

std::string HtmlEscape(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string RenderListPage(const std::vector<ListEntry>& entries) {
  std::string page = "<!DOCTYPE html>\n<html lang=\"ja\">\n<head><meta charset=\"UTF-8\"><title>";
  page += texts::kPageTitle;
  page += "</title></head>\n<body>\n<h1>";
  page += texts::kPageTitle;
  page += "</h1>\n";
  if (entries.empty()) return page + "<p>" + std::string(texts::kNoServers) + "</p>\n</body>\n</html>\n";
  page += "<table border=\"1\">\n<tr>";
  for (std::string_view column : {texts::kColumnName, texts::kColumnRoom, texts::kColumnHomePage,
                                  texts::kColumnMessage, texts::kColumnState, texts::kColumnLink}) {
    page += "<th>" + std::string(column) + "</th>";
  }
  page += "</tr>\n";
  for (const ListEntry& entry : entries) page += Row(entry);
  return page + "</table>\n</body>\n</html>\n";
}

std::string RenderListText(const std::vector<ListEntry>& entries) {
  std::string text;
  for (const ListEntry& entry : entries) {
    text += OneField(entry.name) + '\t' + OneField(entry.Address()) + '\t' + OneField(entry.room) + '\n';
  }
  return text;
}

}  // namespace novalune::listservice

#include "client/display/DisplayFormat.h"

#include <QFontMetrics>
#include <QPalette>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace novalune::display {

namespace {

// Where an address keeps the look of the text around it, for the logs.
constexpr int kBaseColorProperty = QTextFormat::UserProperty + 1;
constexpr int kBaseUnderlineProperty = QTextFormat::UserProperty + 2;

constexpr int kLinkColor = 0xFF0000;  // blue, 0x00BBGGRR

}  // namespace

QColor ColorFromSetting(int color) { return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF); }

int SettingFromColor(const QColor& color) {
  return color.red() | (color.green() << 8) | (color.blue() << 16);
}

int ShownPointSize(int points) { return std::clamp(points, 1, 1638); }

QFont FontFromSetting(const FontSetting& font) {
  QFont qfont;
  if (!font.name.empty()) qfont.setFamilies({FromSjis(font.name)});
  qfont.setPointSize(ShownPointSize(font.size));
  qfont.setBold(font.bold);
  qfont.setItalic(font.italic);
  qfont.setUnderline(font.underline);
  qfont.setStrikeOut(font.strikeout);
  return qfont;
}

FontSetting SettingFromFont(const QFont& font, int color) {
  FontSetting setting;
  setting.name = ToSjis(font.families().isEmpty() ? font.family() : font.families().front());
  setting.size = font.pointSize() > 0 ? font.pointSize() : static_cast<int>(std::lround(font.pointSizeF()));
  setting.bold = font.bold();
  setting.italic = font.italic();
  setting.underline = font.underline();
  setting.strikeout = font.strikeOut();
  setting.color = color;
  return setting;
}

QTextCharFormat CharFormatFromSetting(const FontSetting& font) {
  QTextCharFormat format;
  if (!font.name.empty()) format.setFontFamilies(QStringList{FromSjis(font.name)});
  format.setFontPointSize(ShownPointSize(font.size));
  format.setFontWeight(font.bold ? QFont::Bold : QFont::Normal);
  format.setFontItalic(font.italic);
  format.setFontUnderline(font.underline);
  format.setFontStrikeOut(font.strikeout);
  format.setForeground(ColorFromSetting(font.color));
  return format;
}

FontSetting SettingFromCharFormat(const QTextCharFormat& format) {
  FontSetting setting;
  const QStringList families = format.fontFamilies().toStringList();
  setting.name = families.isEmpty() ? std::string() : ToSjis(families.front());
  setting.size = static_cast<int>(std::lround(format.fontPointSize()));
  setting.bold = format.fontWeight() >= QFont::Bold;
  setting.italic = format.fontItalic();
  setting.strikeout = format.fontStrikeOut();
  if (format.hasProperty(kBaseColorProperty)) {
    setting.color = format.intProperty(kBaseColorProperty);
    setting.underline = format.boolProperty(kBaseUnderlineProperty);
  } else {
    setting.color = SettingFromColor(format.foreground().color());
    setting.underline = format.fontUnderline();
  }
  return setting;
}

QTextCharFormat AddressFormat(const QTextCharFormat& base, const QString& target) {
  QTextCharFormat format = base;
  format.setProperty(kBaseColorProperty, SettingFromColor(base.foreground().color()));
  format.setProperty(kBaseUnderlineProperty, base.fontUnderline());
  format.setAnchor(true);
  format.setAnchorHref(target);
  format.setForeground(ColorFromSetting(kLinkColor));
  format.setFontUnderline(true);
  return format;
}

void ApplyFontSetting(QWidget& widget, const FontSetting& font) {
  widget.setFont(FontFromSetting(font));
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Text, ColorFromSetting(font.color));
  palette.setColor(QPalette::WindowText, ColorFromSetting(font.color));
  widget.setPalette(palette);
}

int FontPixelHeight(const FontSetting& font) { return QFontMetrics(FontFromSetting(font)).height(); }

void ApplyBackColor(QWidget& widget, int color) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Base, ColorFromSetting(color));
  widget.setPalette(palette);
}

}  // namespace novalune::display

// Conversions at the widget boundary: Shift-JIS text to QString and back,
// stored colours (0x00BBGGRR) to QColor, FontSetting to Qt fonts and char
// formats. The helpers here are also what the main window uses to give the
// input line and the member tree the display's look.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QTextCharFormat>
#include <string>
#include <string_view>

#include "common/Settings.h"
#include "qtsupport/WidgetText.h"

class QWidget;

namespace novalune::display {

using qtsupport::FromSjis;
using qtsupport::ToSjis;

QColor ColorFromSetting(int color);
int SettingFromColor(const QColor& color);

// The point size that is shown: the stored one within 1..1638.
int ShownPointSize(int points);

QFont FontFromSetting(const FontSetting& font);
// Face, size and style of `font`; `color` is kept as given.
FontSetting SettingFromFont(const QFont& font, int color);

// The char format of a display style: face (none when empty), size, style, colour.
QTextCharFormat CharFormatFromSetting(const FontSetting& font);
// The look a char format carries; an address keeps the look of its paragraph.
FontSetting SettingFromCharFormat(const QTextCharFormat& format);
// An address inside text of look `base`: blue, underlined, pointing to `target`.
QTextCharFormat AddressFormat(const QTextCharFormat& base, const QString& target);

// Gives a widget (the input line, the memo field) the face, size, style and colour.
void ApplyFontSetting(QWidget& widget, const FontSetting& font);
// The absolute font height in pixels of the style, as the widget would show it.
int FontPixelHeight(const FontSetting& font);
// Background of a text widget (the display, the input line, the member tree).
void ApplyBackColor(QWidget& widget, int color);

}  // namespace novalune::display

// Text at the widget edge: the program holds Shift-JIS, Qt shows UTF-16, and
// the captions in the sources are UTF-8.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace novalune::qtsupport {

// A caption or message written in the sources.
QString Ui(const char* utf8);

QString FromSjis(std::string_view sjis);
// Characters Shift-JIS lacks become '?'; nothing else is dropped.
std::string ToSjis(const QString& text);

}  // namespace novalune::qtsupport

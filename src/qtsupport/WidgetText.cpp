#include "qtsupport/WidgetText.h"

#include "common/SjisText.h"

namespace novalune::qtsupport {

QString Ui(const char* utf8) { return QString::fromUtf8(utf8); }

QString FromSjis(std::string_view sjis) { return QString::fromStdString(SjisToUtf8(sjis)); }

std::string ToSjis(const QString& text) { return Utf8ToSjis(text.toStdString()); }

}  // namespace novalune::qtsupport

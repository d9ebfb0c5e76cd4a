// Small helpers the dialogs share: Shift-JIS at the widget boundary, the
// OK/cancel row, and running an OK step whose file writes may fail.
#pragma once

#include <QString>
#include <functional>
#include <string>

#include "qtsupport/WidgetText.h"
#include "settings/ClientMessage.h"

class QBoxLayout;
class QDialog;
class QPushButton;

namespace novalune::settings::detail {

using qtsupport::FromSjis;
using qtsupport::Ui;
// The text of a one-line field. Every dialog reads its one-line fields here,
// so none returns CR, LF or NUL (a pasted line break would otherwise end a
// protocol line early).
std::string ToSjis(const QString& text);
// The text of a multi-line field: line breaks kept, NUL dropped.
std::string TextToSjis(const QString& text);

// A right-aligned row with the OK button (default) and the cancel button.
QBoxLayout* OkCancelRow(QDialog* owner, const char* okCaption, const char* cancelCaption, QPushButton** ok,
                        QPushButton** cancel);

// Runs `step`; an error (a settings file that cannot be written) is shown as a
// notice with its text and the dialog stays open. True when the step ran through.
bool RunReporting(const NoticeFn& notice, const std::function<void()>& step);

// The notice to use: the given one, or the client's notice box over `owner`.
NoticeFn NoticeOrBox(NoticeFn notice, QWidget* owner);

}  // namespace novalune::settings::detail

// ShowClientMessage: the client's one way to tell the user something.
//
// For the main window: TZKWChatForm::ShowClientMessage (ClientView) is
//   return novalune::settings::ShowClientMessage(this, text, kind);
// and every notice of a dialog goes through a NoticeFn, which the main window
// builds with ClientNotice(this) (tests pass their own to see the messages).
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace novalune::settings {

// Kind 1: the notice box, returns 1. Kind 2: the question box, returns 1 for
// "はい" and 2 for "いいえ", Escape or closing. Any other kind shows nothing
// and returns 0. `text` is Shift-JIS. Modal: the event loop keeps running.
int ShowClientMessage(QWidget* parent, const std::string& text, int kind);

// How a dialog reports invalid input (Shift-JIS text, kind 1).
using NoticeFn = std::function<void(const std::string& text)>;
NoticeFn ClientNotice(QWidget* parent);

}  // namespace novalune::settings

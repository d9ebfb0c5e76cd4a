// The conversation display of the client main window and the read-only rich
// text view it shares with the log viewer.
//
// Use from the main window (TZKWChatForm):
//   auto* Memo = new TChatDisplay(parent);
//   Memo->SetFontSetting(kind, font);      // SystemRead, the font menu (kinds 1..4)
//   Memo->SetBackColor(color);             // SystemRead, the background menu
//   Memo->SetAddressHandler(f);            // MemoURLClick: consent, then open
//   Memo->DspMessage(kind, sjisText);      // ClientView::DspMessage
//   Memo->BackColor()                      // SystemWrite "BackColor"
// Logs, the log viewer and the dialogs are in DisplayCommands.h.
#pragma once

#include <QTextBrowser>
#include <QTextCharFormat>
#include <QTextCursor>
#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "client/display/LogWriter.h"
#include "common/Settings.h"

namespace novalune::display {

// Read-only rich text with clickable addresses, no undo, Japanese as its
// language and a context menu with one entry "コピー".
class TRichView : public QTextBrowser {
  Q_OBJECT

 public:
  explicit TRichView(QWidget* parent = nullptr);

  // Called with the address of a clicked link ("http://...", "mailto:...").
  // Without a handler the address is handed to the desktop (QDesktopServices).
  void SetAddressHandler(std::function<void(const std::string& address)> handler);

  // MemoCopyMenuClick: the selection to the clipboard.
  void MemoCopyMenuClick();

  void SetBackColor(int color);
  int BackColor() const { return backColor_; }

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void AddressClicked(const QUrl& url);

  std::function<void(const std::string&)> addressHandler_;
  int backColor_ = 0xFFFFFF;
};

// Display styles of DspMessage.
inline constexpr int kStyleCount = 4;

class TChatDisplay : public TRichView {
  Q_OBJECT

 public:
  explicit TChatDisplay(QWidget* parent = nullptr);
  ~TChatDisplay() override;

  // Appends Shift-JIS text in style `kind` (1..4; any other value keeps the
  // style set last). A text with the line-break escape becomes one paragraph
  // per line, each indented by one space; addresses become links. The text is
  // in the document at once; layout and the scroll to the end follow when the
  // current event is done.
  void DspMessage(int kind, const std::string& text);
  // Makes style `kind` the style of the next appended text; other kinds change nothing.
  void DspTextFontSet(int kind);

  // The look of a style; text already shown keeps its look.
  void SetFontSetting(int kind, const FontSetting& font);
  const FontSetting& GetFontSetting(int kind) const;

  // MenuClsClick after the question: removes all text. Use this, not
  // QTextEdit::clear(), which would not reset the paragraph count.
  void ClearLog();
  std::size_t ParagraphCount() const { return paragraphs_; }

  // Every paragraph with the look of each stretch, for the log files.
  std::vector<LogParagraph> LogParagraphs() const;

 private:
  void AppendParagraph(const std::string& line);
  void OpenBatch();
  void CloseBatch();

  std::array<FontSetting, kStyleCount> fonts_{};
  std::array<QTextCharFormat, kStyleCount> formats_{};
  QTextCharFormat current_;
  std::size_t paragraphs_ = 0;
  // The messages of one event form one edit of the document: the text is in
  // place at once, layout and scrolling happen once when the event is done.
  QTextCursor batch_;
  bool batchOpen_ = false;
};

}  // namespace novalune::display

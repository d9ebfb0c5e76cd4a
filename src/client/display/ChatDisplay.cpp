#include "client/display/ChatDisplay.h"

#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QLocale>
#include <QMenu>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include "client/display/DisplayFormat.h"
#include "client/display/DisplayText.h"
#include "client/display/DisplayTexts.h"

namespace novalune::display {

namespace {

bool IsStyle(int kind) { return kind >= 1 && kind <= kStyleCount; }

// A line break inside one paragraph stays inside it: Qt would start a new block at '\n'.
QString ParagraphText(std::string_view sjis) {
  QString text = FromSjis(sjis);
  text.replace(QStringLiteral("\r\n"), QString(QChar::LineSeparator));
  text.replace(QChar('\n'), QChar::LineSeparator);
  text.replace(QChar('\r'), QChar::LineSeparator);
  return text;
}

// The Shift-JIS text of a stretch; a line break inside the paragraph becomes LF.
std::string RunText(const QString& text) {
  QString plain = text;
  plain.replace(QChar::LineSeparator, QChar('\n'));
  plain.replace(QChar::ParagraphSeparator, QChar('\n'));
  return ToSjis(plain);
}

void AddRun(LogParagraph& paragraph, FontSetting font, std::string text) {
  if (!paragraph.runs.empty() && paragraph.runs.back().font == font) {
    paragraph.runs.back().text += text;
    return;
  }
  paragraph.runs.push_back({std::move(font), std::move(text)});
}

}  // namespace

TRichView::TRichView(QWidget* parent) : QTextBrowser(parent) {
  setReadOnly(true);
  setUndoRedoEnabled(false);
  document()->setUndoRedoEnabled(false);
  setOpenLinks(false);
  setOpenExternalLinks(false);
  setLocale(QLocale(QLocale::Japanese, QLocale::Japan));
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  connect(this, &QTextBrowser::anchorClicked, this, &TRichView::AddressClicked);
  SetBackColor(backColor_);
}

void TRichView::SetAddressHandler(std::function<void(const std::string&)> handler) {
  addressHandler_ = std::move(handler);
}

void TRichView::AddressClicked(const QUrl& url) {
  if (addressHandler_) {
    addressHandler_(url.toString().toStdString());
  } else {
    QDesktopServices::openUrl(url);
  }
}

void TRichView::MemoCopyMenuClick() { copy(); }

void TRichView::SetBackColor(int color) {
  backColor_ = color;
  ApplyBackColor(*this, color);
}

void TRichView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  QAction* copyAction = menu.addAction(QString::fromUtf8(text::kCopy));
  copyAction->setEnabled(textCursor().hasSelection());
  connect(copyAction, &QAction::triggered, this, &TRichView::MemoCopyMenuClick);
  menu.exec(event->globalPos());
}

TChatDisplay::TChatDisplay(QWidget* parent) : TRichView(parent) {
  for (int kind = 1; kind <= kStyleCount; ++kind) SetFontSetting(kind, FontSetting{});
  current_ = formats_[0];
}

TChatDisplay::~TChatDisplay() { CloseBatch(); }

void TChatDisplay::SetFontSetting(int kind, const FontSetting& font) {
  if (!IsStyle(kind)) return;
  fonts_[kind - 1] = font;
  formats_[kind - 1] = CharFormatFromSetting(font);
}

const FontSetting& TChatDisplay::GetFontSetting(int kind) const {
  return fonts_[IsStyle(kind) ? kind - 1 : 0];
}

void TChatDisplay::DspTextFontSet(int kind) {
  if (IsStyle(kind)) current_ = formats_[kind - 1];
}

void TChatDisplay::DspMessage(int kind, const std::string& text) {
  OpenBatch();
  DspTextFontSet(kind);
  for (const std::string& line : SplitDisplayLines(text)) AppendParagraph(line);
}

void TChatDisplay::AppendParagraph(const std::string& line) {
  QTextCursor cursor(document());
  cursor.movePosition(QTextCursor::End);
  if (paragraphs_ == 0) {
    cursor.setBlockCharFormat(current_);
  } else {
    cursor.insertBlock(QTextBlockFormat(), current_);
  }
  for (const TextPiece& piece : SplitAddresses(line)) {
    const QString text = ParagraphText(std::string_view(line).substr(piece.begin, piece.length));
    if (piece.target.empty()) {
      cursor.insertText(text, current_);
    } else {
      cursor.insertText(text, AddressFormat(current_, QString::fromStdString(piece.target)));
    }
  }
  ++paragraphs_;
}

void TChatDisplay::OpenBatch() {
  if (batchOpen_) return;
  batchOpen_ = true;
  batch_ = QTextCursor(document());
  batch_.beginEditBlock();
  QTimer::singleShot(0, this, &TChatDisplay::CloseBatch);
}

// Lays out what the event appended and brings the end into view.
void TChatDisplay::CloseBatch() {
  if (!batchOpen_) return;
  batchOpen_ = false;
  batch_.endEditBlock();
  batch_ = QTextCursor();
  QScrollBar* bar = verticalScrollBar();
  bar->setValue(bar->maximum());
}

void TChatDisplay::ClearLog() {
  CloseBatch();
  clear();
  paragraphs_ = 0;
}

std::vector<LogParagraph> TChatDisplay::LogParagraphs() const {
  std::vector<LogParagraph> paragraphs;
  if (paragraphs_ == 0) return paragraphs;
  paragraphs.reserve(paragraphs_);
  for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
    LogParagraph paragraph;
    paragraph.font = SettingFromCharFormat(block.charFormat());
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (fragment.isValid())
        AddRun(paragraph, SettingFromCharFormat(fragment.charFormat()), RunText(fragment.text()));
    }
    paragraphs.push_back(std::move(paragraph));
  }
  return paragraphs;
}

}  // namespace novalune::display

// The main window's side of whispers: one TPrivateBoxForm per member row,
// kept in step with the engine's member list, and the records the windows
// leave (send, sound, save).
#include <QApplication>
#include <QLineEdit>
#include <exception>

#include "client/core/ClientUtil.h"
#include "client/ui/ChatForm.h"
#include "client/ui/ChatTreeView.h"
#include "client/ui/PrivateBoxForm.h"
#include "client/ui/WhisperNotice.h"
#include "qtsupport/WidgetText.h"

namespace novalune::ui {

namespace {

// What a desktop notification shows of a whisper: its first line.
std::string FirstLine(const std::string& text) {
  std::size_t end = text.find(client::kLineBreakEscape);
  end = std::min(end, text.find_first_of("\r\n"));
  return text.substr(0, end);
}

}  // namespace

std::unique_ptr<TPrivateBoxForm> TZKWChatForm::NewPrivateBox(std::size_t row) {
  PrivateBoxHooks hooks;
  hooks.mainWindow = this;
  hooks.send = [this](const std::string& partner, const std::string& text) {
    Command([&] { core_->WMPrivateMsg(partner, text); });
  };
  hooks.beep = [this](const std::string& partner) { Command([&] { core_->WMPrivateBeep(partner); }); };
  hooks.save = [this](const std::string& partner, const std::vector<display::LogParagraph>& text) {
    WMPrivateSave(partner, text);
  };
  hooks.seen = [this](const std::string& partner) {
    if (const auto found = core_->Members().FindFirst(partner)) core_->Members().MarkRead(*found);
  };
  hooks.chooseFile = displayCommands_->Hooks().chooseFile;
  hooks.now = displayCommands_->Hooks().now;
  hooks.notice = [this](const std::string& text) { ShowClientMessage(text, client::kNotice); };
  auto box = std::make_unique<TPrivateBoxForm>(std::move(hooks), this);
  const client::MemberList& members = core_->Members();
  box->SetMyNick(members.MyNick());
  box->SetPartner(members.Row(row).nick);
  box->SetTemplates(members.Templates());
  return box;
}

TPrivateBoxForm* TZKWChatForm::PrivateBox(std::size_t row) const {
  return row < privateBoxes_.size() ? privateBoxes_[row].get() : nullptr;
}

void TZKWChatForm::MemberInserted(std::size_t row) {
  privateBoxes_.insert(privateBoxes_.begin() + static_cast<std::ptrdiff_t>(row), NewPrivateBox(row));
  ListView->RowsChanged();
}

// The window may be the source of the event being handled: it goes later.
void TZKWChatForm::MemberRemoving(std::size_t row) {
  if (row < privateBoxes_.size()) {
    const auto at = privateBoxes_.begin() + static_cast<std::ptrdiff_t>(row);
    TPrivateBoxForm* box = at->release();
    privateBoxes_.erase(at);
    box->FormDestroy();
    box->hide();
    box->deleteLater();
  }
  ListView->RowsChanged();
}

void TZKWChatForm::MemberRenamed(std::size_t row) {
  if (TPrivateBoxForm* box = PrivateBox(row)) box->SetPartner(core_->Members().Row(row).nick);
  ListView->RowChanged(row);
}

void TZKWChatForm::MyNickChanged() {
  for (const auto& box : privateBoxes_) box->SetMyNick(core_->Members().MyNick());
}

void TZKWChatForm::TemplateChanged(client::TemplateField field) {
  for (const auto& box : privateBoxes_) box->ApplyTemplate(field, core_->Members().Templates());
}

void TZKWChatForm::ShowPrivateBox(std::size_t row) {
  if (TPrivateBoxForm* box = PrivateBox(row)) box->FormShow();
}

// An arriving whisper shows its window without taking the keyboard from
// where the user is typing.
void TZKWChatForm::PrivateMessage(std::size_t row, int style, const std::string& text) {
  TPrivateBoxForm* box = PrivateBox(row);
  if (!box) return;
  if (!box->isVisible()) {
    box->setAttribute(Qt::WA_ShowWithoutActivating, true);
    box->show();
    box->setAttribute(Qt::WA_ShowWithoutActivating, false);
  }
  box->AppendText(client::kStyleComment, core_->Members().Row(row).nick);
  box->AppendText(style, " " + text);
  ListView->RowChanged(row);
  NotifyWhisper(row, text);
}

void TZKWChatForm::NotifyWhisper(std::size_t row, const std::string& text) {
  if (options_.noWhisperNotice || QApplication::activeWindow()) return;
  const std::string nick = core_->Members().Row(row).nick;
  auto show = [this, nick] {
    if (const auto found = core_->Members().FindFirst(nick)) ShowPrivateBox(*found);
  };
  if (setup_.notifyWhisper) {
    setup_.notifyWhisper(nick, FirstLine(text), show);
    return;
  }
  if (!whisperNotice_) whisperNotice_ = new WhisperNotice(this);
  whisperNotice_->Show(qtsupport::FromSjis(nick), qtsupport::FromSjis(FirstLine(text)), show);
}

void TZKWChatForm::WMPrivateSave(const std::string& partner, const std::vector<display::LogParagraph>& text) {
  try {
    displayCommands_->WMPrivateSave(partner, text, options_.autoSave);
  } catch (const std::exception& error) {
    ShowClientMessage(error.what(), client::kNotice);
  }
}

// Closing asks for each conversation here, once: the windows then hold
// nothing that their own going would ask about again.
void TZKWChatForm::SavePrivateBoxes() {
  for (const auto& box : privateBoxes_) {
    if (!box->HasText()) continue;
    WMPrivateSave(box->PartnerNick(), box->Content());
    box->Memo->ClearLog();
  }
}

}  // namespace novalune::ui

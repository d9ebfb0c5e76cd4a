#include "settings/RoomTopicDlg.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "settings/AddressBook.h"
#include "settings/DialogParts.h"
#include "settings/DialogRules.h"
#include "settings/SettingsTexts.h"

namespace novalune::settings {

using detail::Ui;

TRoomTopicDlg::TRoomTopicDlg(NoticeFn notice, QWidget* parent)
    : TopMostDialog(parent),
      notice_(detail::NoticeOrBox(std::move(notice), this)),
      topic_(new QPlainTextEdit(this)) {
  setObjectName("RoomTopicDlg");
  setWindowTitle(Ui(text::kRoomTopicCaption));
  topic_->setObjectName("Topic");
  topic_->setTabChangesFocus(true);
  auto* label = new QLabel(Ui(text::kRoomTopicLabel), this);
  label->setBuddy(topic_);

  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
  QBoxLayout* buttons = detail::OkCancelRow(this, text::kOk, text::kCancel, &ok, &cancel);
  connect(ok, &QPushButton::clicked, this, &TRoomTopicDlg::OKBtnClick);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(label);
  layout->addWidget(topic_);
  layout->addLayout(buttons);
  resize(360, 200);

  if (auto stored = LoadRoomTopic()) SetTopic(*stored);
}

std::string TRoomTopicDlg::Topic() const { return detail::TextToSjis(topic_->toPlainText()); }

void TRoomTopicDlg::SetTopic(const std::string& text) { topic_->setPlainText(detail::FromSjis(text)); }

std::string TRoomTopicDlg::TopicLine() const { return RemoveLineBreaks(Topic()); }

void TRoomTopicDlg::OKBtnClick() {
  if (detail::RunReporting(notice_, [this] { SaveRoomTopic(Topic()); })) accept();
}

}  // namespace novalune::settings

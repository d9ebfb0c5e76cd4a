#include "settings/SetJoinDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "settings/AddressBook.h"
#include "settings/DialogParts.h"
#include "settings/RoomNameBox.h"
#include "settings/SettingsTexts.h"

namespace novalune::settings {

using detail::FromSjis;
using detail::ToSjis;
using detail::Ui;

namespace {

QLineEdit* NewLineEdit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(name);
  return edit;
}

}  // namespace

TSetJoinDlg::TSetJoinDlg(NoticeFn notice, QWidget* parent)
    : TopMostDialog(parent),
      notice_(detail::NoticeOrBox(std::move(notice), this)),
      pages_(new QTabWidget(this)),
      roomNameBox_(detail::NewEditableBox(this, "RoomNameBox")),
      passEdit_(NewLineEdit(this, "PassEdit")),
      topic_(new QPlainTextEdit(this)),
      serverNameBox_(detail::NewEditableBox(this, "ServerNameBox")),
      serverIPEdit_(NewLineEdit(this, "ServerIPEdit")),
      joinMeCheckBtn_(new QCheckBox(Ui(text::kJoinMeCheck), this)),
      nickEdit_(NewLineEdit(this, "NickEdit")),
      hpEdit_(NewLineEdit(this, "HPEdit")),
      mailEdit_(NewLineEdit(this, "MailEdit")) {
  setObjectName("SetJoinDlg");
  setWindowTitle(Ui(text::kSetJoinCaption));
  topic_->setObjectName("Topic");
  topic_->setTabChangesFocus(true);
  joinMeCheckBtn_->setObjectName("JoinMeCheckBtn");
  BuildLayout();

  connect(joinMeCheckBtn_, &QCheckBox::toggled, this, &TSetJoinDlg::JoinMeCheckBtnClick);
  connect(serverNameBox_, &QComboBox::editTextChanged, this, &TSetJoinDlg::ServerNameBoxChange);
  LoadStored();
  JoinMeCheckBtnClick();
}

void TSetJoinDlg::BuildLayout() {
  auto* room = new QGroupBox(Ui(text::kRoomGroup), this);
  auto* roomForm = new QFormLayout(room);
  roomForm->addRow(Ui(text::kRoomNameLabel), roomNameBox_);
  roomForm->addRow(Ui(text::kPasswordLabel), passEdit_);
  roomForm->addRow(Ui(text::kTopicLabel), topic_);

  auto* partner = new QGroupBox(Ui(text::kPartnerGroup), this);
  auto* partnerForm = new QFormLayout(partner);
  partnerForm->addRow(Ui(text::kServerNameLabel), serverNameBox_);
  partnerForm->addRow(Ui(text::kServerIPLabel), serverIPEdit_);
  partnerForm->addRow(joinMeCheckBtn_);

  auto* connectPage = new QWidget(pages_);
  connectPage->setObjectName("ConnectSheet");
  auto* connectLayout = new QVBoxLayout(connectPage);
  connectLayout->addWidget(room);
  connectLayout->addWidget(partner);

  auto* personalPage = new QWidget(pages_);
  personalPage->setObjectName("PersonalSheet");
  auto* personalForm = new QFormLayout(personalPage);
  personalForm->addRow(Ui(text::kNickLabel), nickEdit_);
  personalForm->addRow(Ui(text::kHomePageLabel), hpEdit_);
  personalForm->addRow(Ui(text::kMailLabel), mailEdit_);

  pages_->setObjectName("PageControl");
  pages_->addTab(connectPage, Ui(text::kConnectPage));
  pages_->addTab(personalPage, Ui(text::kPersonalPage));

  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
  QBoxLayout* buttons = detail::OkCancelRow(this, text::kOk, text::kCancelHalf, &ok, &cancel);
  connect(ok, &QPushButton::clicked, this, &TSetJoinDlg::OKBtnClick);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages_);
  layout->addLayout(buttons);
  resize(420, 440);
}

void TSetJoinDlg::LoadStored() {
  addressLines_ = LoadAddressBook();
  detail::FillBox(serverNameBox_, AddressNames(addressLines_));
  detail::FillBox(roomNameBox_, LoadRoomNames());
  // The keys and the description file, read as at start-up.
  const JoinSettings stored = LoadJoinSettings();
  SetJoinMe(stored.joinMe);
  SetServerName(stored.serverName);
  SetServerIP(stored.serverIP);
  SetRoomName(stored.roomName);
  SetNick(stored.nick);
  SetHomePage(stored.homePage);
  SetMail(stored.mail);
  SetTopic(stored.topic);
}

bool TSetJoinDlg::JoinMe() const { return joinMeCheckBtn_->isChecked(); }
std::string TSetJoinDlg::ServerName() const { return ToSjis(serverNameBox_->currentText()); }
std::string TSetJoinDlg::ServerIP() const { return ToSjis(serverIPEdit_->text()); }
std::string TSetJoinDlg::RoomName() const { return ToSjis(roomNameBox_->currentText()); }
std::string TSetJoinDlg::RoomPass() const { return ToSjis(passEdit_->text()); }
std::string TSetJoinDlg::Topic() const { return detail::TextToSjis(topic_->toPlainText()); }
std::string TSetJoinDlg::Nick() const { return ToSjis(nickEdit_->text()); }
std::string TSetJoinDlg::HomePage() const { return ToSjis(hpEdit_->text()); }
std::string TSetJoinDlg::Mail() const { return ToSjis(mailEdit_->text()); }

void TSetJoinDlg::SetJoinMe(bool on) { joinMeCheckBtn_->setChecked(on); }
void TSetJoinDlg::SetServerName(const std::string& name) { serverNameBox_->setEditText(FromSjis(name)); }
void TSetJoinDlg::SetServerIP(const std::string& address) { serverIPEdit_->setText(FromSjis(address)); }
void TSetJoinDlg::SetRoomName(const std::string& room) { roomNameBox_->setEditText(FromSjis(room)); }
void TSetJoinDlg::SetRoomPass(const std::string& password) { passEdit_->setText(FromSjis(password)); }
void TSetJoinDlg::SetTopic(const std::string& text) { topic_->setPlainText(FromSjis(text)); }
void TSetJoinDlg::SetNick(const std::string& nick) { nickEdit_->setText(FromSjis(nick)); }
void TSetJoinDlg::SetHomePage(const std::string& address) { hpEdit_->setText(FromSjis(address)); }
void TSetJoinDlg::SetMail(const std::string& address) { mailEdit_->setText(FromSjis(address)); }

JoinPage TSetJoinDlg::CurrentPage() const {
  return pages_->currentIndex() == static_cast<int>(JoinPage::kPersonal) ? JoinPage::kPersonal
                                                                         : JoinPage::kConnect;
}

void TSetJoinDlg::ShowPage(JoinPage page) { pages_->setCurrentIndex(static_cast<int>(page)); }

void TSetJoinDlg::JoinMeCheckBtnClick() {
  const bool me = JoinMe();
  // Disabled fields are drawn greyed by the style.
  serverNameBox_->setEnabled(!me);
  serverIPEdit_->setEnabled(!me);
  serverIPEdit_->setReadOnly(me);
  topic_->setEnabled(me);
}

void TSetJoinDlg::ServerNameBoxChange() {
  if (auto address = AddressOf(addressLines_, ServerName())) SetServerIP(*address);
}

void TSetJoinDlg::OKBtnClick() {
  if (auto failure = CheckJoinFields(Nick(), RoomName(), RoomPass())) {
    ShowPage(failure->page);
    notice_(failure->message);
    return;
  }
  if (detail::RunReporting(notice_, [this] { Store(); })) accept();
}

void TSetJoinDlg::Store() {
  const std::string name = ServerName();
  if (!name.empty()) {
    addressLines_ = StoreAddressEntry(addressLines_, name, ServerIP());
    SaveAddressBook(addressLines_);
  }
  const std::string room = RoomName();
  if (!room.empty()) SaveRoomNames(StoreRoomName(detail::BoxEntries(roomNameBox_), room));
  JoinSettings keys;
  keys.joinMe = JoinMe();
  keys.serverName = name;
  keys.serverIP = ServerIP();
  keys.roomName = room;
  keys.nick = Nick();
  keys.homePage = HomePage();
  keys.mail = Mail();
  SaveJoinKeys(keys);
  SaveRoomTopic(Topic());
}

}  // namespace novalune::settings

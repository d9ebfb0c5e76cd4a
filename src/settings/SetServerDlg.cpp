#include "settings/SetServerDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>

#include "client/core/PublicationTexts.h"
#include "common/SjisText.h"
#include "settings/DialogParts.h"
#include "settings/SettingsTexts.h"
#include "settings/TimeEdit.h"

namespace novalune::settings {

using detail::Ui;
namespace ptext = client::publication_text;

namespace {

constexpr int kMarkColumn = 0;
constexpr int kAddressColumn = 1;
constexpr int kPasswordColumn = 2;

template <typename T>
T* Named(T* widget, const char* name) {
  widget->setObjectName(name);
  return widget;
}

QPushButton* Button(QWidget* owner, const char* caption, const char* name) {
  return Named(new QPushButton(Ui(caption), owner), name);
}

// The message pages hold LF; the files and the records CR LF.
std::string MessageOf(const QPlainTextEdit& edit) {
  return client::ToCrLf(detail::TextToSjis(edit.toPlainText()));
}

QString CellText(const QTableWidget& grid, int row, int column) {
  const QTableWidgetItem* item = grid.item(row, column);
  return item != nullptr ? item->text() : QString();
}

void SetCell(QTableWidget& grid, int row, int column, const QString& text) {
  if (grid.item(row, column) == nullptr) grid.setItem(row, column, new QTableWidgetItem);
  grid.item(row, column)->setText(text);
}

}  // namespace

TSetServerDlg::TSetServerDlg(PublicationWeb web, HttpAccessGate& gate, std::string ownAddress,
                             NoticeFn notice, QWidget* parent)
    : TopMostDialog(parent),
      web_(std::move(web)),
      gate_(gate),
      ownAddress_(std::move(ownAddress)),
      notice_(detail::NoticeOrBox(std::move(notice), this)),
      nameEdit_(Named(new QLineEdit(this), "NameEdit")),
      passEdit_(Named(new QLineEdit(this), "PassEdit")),
      urlEdit_(Named(new QLineEdit(this), "UrlEdit")),
      mailEdit_(Named(new QLineEdit(this), "MailEdit")),
      roomEdit_(Named(new QLineEdit(this), "RoomEdit")),
      startMessage_(Named(new QPlainTextEdit(this), "StartMessage")),
      stopMessage_(Named(new QPlainTextEdit(this), "StopMessage")),
      autoHTMLCheck_(Named(new QCheckBox(Ui(ptext::kPublish), this), "AutoHTMLCheck")),
      autoTimeCheck_(Named(new QCheckBox(Ui(ptext::kPublish), this), "AutoTimeCheck")),
      autoStrTime_(Named(new TTimeEdit(this), "AutoStrTime")),
      autoEndTime_(Named(new TTimeEdit(this), "AutoEndTime")),
      cgiGrid_(Named(new QTableWidget(static_cast<int>(client::kCgiRows), 3, this), "CgiGrid")),
      useStaticIP_(Named(new QCheckBox(Ui(ptext::kUseStaticIP), this), "UseStaticIP")),
      staticIP_(Named(new QLineEdit(this), "StaticIP")) {
  setObjectName("SetServerDlg");
  setWindowTitle(Ui(ptext::kSetServerCaption));
  auto* pages = new QTabWidget(this);
  pages->addTab(ContentsPage(), Ui(ptext::kPageContents));
  pages->addTab(CgiPage(), Ui(ptext::kPageCgi));
  pages->addTab(OtherPage(), Ui(ptext::kPageOther));

  auto* buttons = new QHBoxLayout;
  const std::pair<const char*, const char*> captions[] = {{ptext::kOnBtn, "ONBtn"},
                                                          {ptext::kOffBtn, "OffBtn"},
                                                          {ptext::kDelBtn, "DelBtn"},
                                                          {ptext::kViewBtn, "ViewBtn"},
                                                          {ptext::kCloseBtn, "CloseBtn"}};
  const std::function<void()> actions[] = {[this] { ONBtnClick(); }, [this] { OffBtnClick(); },
                                           [this] { DelBtnClick(); }, [this] { ViewBtnClick(); },
                                           [this] { CloseBtnClick(); }};
  buttons->addStretch();
  for (std::size_t i = 0; i < std::size(captions); ++i) {
    QPushButton* button = Button(this, captions[i].first, captions[i].second);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this, actions[i]);
    buttons->addWidget(button);
  }
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(pages);
  layout->addLayout(buttons);

  connect(autoTimeCheck_, &QCheckBox::toggled, this, &TSetServerDlg::AutoTimeCheckClick);
  connect(useStaticIP_, &QCheckBox::toggled, this, &TSetServerDlg::UseStaticIPClick);
  connect(cgiGrid_, &QTableWidget::cellClicked, this, [this](int row, int) { CgiGridClick(row); });
  connect(qApp, &QApplication::focusChanged, this, &TSetServerDlg::FocusChanged);
  Load();
}

// Stored whether the dialog was shown or not; a running post must not come
// back to a dialog that is gone.
TSetServerDlg::~TSetServerDlg() {
  if (web_.abort) web_.abort();
  Store();
}

QWidget* TSetServerDlg::ContentsPage() {
  auto* page = new QWidget(this);
  auto* group = new QGroupBox(Ui(ptext::kGroupPublished), page);
  auto* form = new QFormLayout(group);
  form->addRow(Ui(ptext::kName), nameEdit_);
  form->addRow(Ui(ptext::kPassword), passEdit_);
  form->addRow(Ui(ptext::kHomePage), urlEdit_);
  form->addRow(Ui(ptext::kMail), mailEdit_);
  form->addRow(Ui(ptext::kRoom), roomEdit_);
  auto* messages = new QTabWidget(page);
  messages->addTab(startMessage_, Ui(ptext::kStartMessage));
  messages->addTab(stopMessage_, Ui(ptext::kStopMessage));
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(group);
  layout->addWidget(messages);
  return page;
}

QWidget* TSetServerDlg::CgiPage() {
  auto* page = new QWidget(this);
  auto* startExit = new QGroupBox(Ui(ptext::kGroupStartExit), page);
  (new QVBoxLayout(startExit))->addWidget(autoHTMLCheck_);
  auto* time = new QGroupBox(Ui(ptext::kGroupTime), page);
  auto* timeRow = new QHBoxLayout(time);
  timeRow->addWidget(autoTimeCheck_);
  timeRow->addWidget(autoStrTime_);
  timeRow->addWidget(new QLabel(Ui(ptext::kTimeDash), time));
  timeRow->addWidget(autoEndTime_);
  auto* cgi = new QGroupBox(Ui(ptext::kGroupCgi), page);
  (new QVBoxLayout(cgi))->addWidget(cgiGrid_);
  cgiGrid_->verticalHeader()->hide();
  cgiGrid_->horizontalHeader()->setStretchLastSection(true);
  cgiGrid_->setColumnWidth(kMarkColumn, 24);
  cgiGrid_->setColumnWidth(kAddressColumn, 260);
  cgiGrid_->setSelectionMode(QAbstractItemView::SingleSelection);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(startExit);
  layout->addWidget(time);
  layout->addWidget(cgi);
  return page;
}

QWidget* TSetServerDlg::OtherPage() {
  auto* page = new QWidget(this);
  auto* group = new QGroupBox(Ui(ptext::kGroupAddress), page);
  auto* groupLayout = new QVBoxLayout(group);
  groupLayout->addWidget(useStaticIP_);
  groupLayout->addWidget(staticIP_);
  auto* layout = new QVBoxLayout(page);
  layout->addWidget(group);
  layout->addStretch();
  return page;
}

// FormCreate.
void TSetServerDlg::Load() {
  const client::PublicationValues values = client::LoadPublicationValues();
  nameEdit_->setText(detail::FromSjis(values.name));
  passEdit_->setText(detail::FromSjis(values.password));
  urlEdit_->setText(detail::FromSjis(values.homePage));
  mailEdit_->setText(detail::FromSjis(values.mail));
  roomEdit_->setText(detail::FromSjis(values.room));
  startMessage_->setPlainText(detail::FromSjis(values.startMessage));
  stopMessage_->setPlainText(detail::FromSjis(values.stopMessage));
  autoHTMLCheck_->setChecked(values.autoOnOf);
  autoTimeCheck_->setChecked(values.autoTime);
  autoStrTime_->setText(detail::FromSjis(values.autoStrTime));
  autoEndTime_->setText(detail::FromSjis(values.autoEndTime));
  useStaticIP_->setChecked(values.useStaticIP);
  staticIP_->setText(detail::FromSjis(values.staticIP));
  AutoTimeCheckClick();
  UseStaticIPClick();
  CgiListRead();
}

// FormDestroy. An unwritable file is reported; the dialog goes all the same.
void TSetServerDlg::Store() {
  CgiGridExit();
  const client::PublicationValues values = Values();
  detail::RunReporting(notice_, [this, &values] {
    CgiListWrite();
    client::SavePublicationValues(values);
  });
}

void TSetServerDlg::showEvent(QShowEvent* event) {
  TopMostDialog::showEvent(event);
  cgiGrid_->setHorizontalHeaderLabels({QString(), Ui(ptext::kCgiHeader), Ui(ptext::kPassHeader)});
  MarkSelected();
  UseStaticIPClick();
}

client::PublicationValues TSetServerDlg::Values() const {
  client::PublicationValues values;
  values.name = detail::ToSjis(nameEdit_->text());
  values.password = detail::ToSjis(passEdit_->text());
  values.homePage = detail::ToSjis(urlEdit_->text());
  values.mail = detail::ToSjis(mailEdit_->text());
  values.room = detail::ToSjis(roomEdit_->text());
  values.startMessage = MessageOf(*startMessage_);
  values.stopMessage = MessageOf(*stopMessage_);
  values.autoOnOf = autoHTMLCheck_->isChecked();
  values.autoTime = autoTimeCheck_->isChecked();
  values.autoStrTime = detail::ToSjis(autoStrTime_->text());
  values.autoEndTime = detail::ToSjis(autoEndTime_->text());
  values.useStaticIP = useStaticIP_->isChecked();
  values.staticIP = detail::ToSjis(staticIP_->text());
  return values;
}

client::CgiTable TSetServerDlg::Table() const {
  client::CgiTable table;
  for (std::size_t row = 0; row < table.size(); ++row) {
    const int r = static_cast<int>(row);
    table[row] = {detail::ToSjis(CellText(*cgiGrid_, r, kAddressColumn)),
                  detail::ToSjis(CellText(*cgiGrid_, r, kPasswordColumn))};
  }
  return table;
}

void TSetServerDlg::CgiListRead() {
  const client::CgiTable table = client::LoadCgiTable();
  for (std::size_t row = 0; row < table.size(); ++row) {
    const int r = static_cast<int>(row);
    SetCell(*cgiGrid_, r, kAddressColumn, detail::FromSjis(table[row].address));
    SetCell(*cgiGrid_, r, kPasswordColumn, detail::FromSjis(table[row].password));
    auto* mark = new QTableWidgetItem;
    mark->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    cgiGrid_->setItem(r, kMarkColumn, mark);
  }
  MarkSelected();
}

void TSetServerDlg::CgiListWrite() { client::SaveCgiTable(Table()); }

void TSetServerDlg::MarkSelected() {
  for (int row = 0; row < cgiGrid_->rowCount(); ++row)
    cgiGrid_->item(row, kMarkColumn)->setText(row == selected_ ? Ui(ptext::kSelectedMark) : QString());
}

void TSetServerDlg::CgiGridClick(int row) {
  if (row < 0 || row >= cgiGrid_->rowCount()) return;
  selected_ = row;
  MarkSelected();
}

void TSetServerDlg::CgiGridExit() {
  client::CgiTable table = Table();
  client::TrimCgiTable(table);
  for (std::size_t row = 0; row < table.size(); ++row) {
    const int r = static_cast<int>(row);
    SetCell(*cgiGrid_, r, kAddressColumn, detail::FromSjis(table[row].address));
    SetCell(*cgiGrid_, r, kPasswordColumn, detail::FromSjis(table[row].password));
  }
}

// Leaving the table means the focus goes from it, or from its cell editor,
// to anything else.
void TSetServerDlg::FocusChanged(QWidget* from, QWidget* to) {
  const auto inGrid = [this](QWidget* widget) { return widget != nullptr && cgiGrid_->isAncestorOf(widget); };
  if ((from == cgiGrid_ || inGrid(from)) && to != cgiGrid_ && !inGrid(to)) CgiGridExit();
}

void TSetServerDlg::AutoTimeCheckClick() {
  autoStrTime_->setEnabled(autoTimeCheck_->isChecked());
  autoEndTime_->setEnabled(autoTimeCheck_->isChecked());
}

void TSetServerDlg::UseStaticIPClick() { staticIP_->setEnabled(useStaticIP_->isChecked()); }

// The button check, then the one question before web access.
bool TSetServerDlg::Checked(const client::PublicationValues& values) {
  if (const auto failure = client::CheckPublication(values)) {
    notice_(*failure);
    return false;
  }
  return gate_.ConfirmHttpAccess(SysText(text::kHttpAskUrl));
}

void TSetServerDlg::Send(std::vector<client::PublishPost> posts) {
  if (!web_.post) return;
  web_.post(std::move(posts), [this](const std::optional<std::string>& body) {
    if (!body) return;
    if (const auto notice = client::AnswerNotice(*body)) notice_(*notice);
  });
}

void TSetServerDlg::ONBtnClick() {
  const client::PublicationValues values = Values();
  if (!Checked(values)) return;
  Send(client::PublishPosts(client::RecordKind::kStart, values, Table(), ownAddress_));
}

void TSetServerDlg::OffBtnClick() {
  const client::PublicationValues values = Values();
  if (!Checked(values)) return;
  Send(client::PublishPosts(client::RecordKind::kStop, values, Table(), ownAddress_));
}

void TSetServerDlg::DelBtnClick() {
  const client::PublicationValues values = Values();
  if (!Checked(values)) return;
  Send(client::DeletePosts(values, Table(), static_cast<std::size_t>(selected_), ownAddress_));
}

// UrlView: the selected script's own page.
void TSetServerDlg::ViewBtnClick() {
  if (!Checked(Values())) return;
  const std::string address = Table()[static_cast<std::size_t>(selected_)].address;
  if (!address.empty() && web_.open) web_.open(address);
}

void TSetServerDlg::CloseBtnClick() {
  if (web_.abort) web_.abort();
  reject();
}

}  // namespace novalune::settings

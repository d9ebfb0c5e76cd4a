#include "settings/ProxySetDlg.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/IntEdit.h"
#include "settings/DialogParts.h"
#include "settings/SettingsTexts.h"

namespace novalune::settings {

using detail::Ui;

TProxySetDlg::TProxySetDlg(NoticeFn notice, QWidget* parent)
    : TopMostDialog(parent),
      notice_(detail::NoticeOrBox(std::move(notice), this)),
      useProxy_(new QCheckBox(Ui(text::kUseProxy), this)),
      hostEdit_(new QLineEdit(this)),
      portEdit_(new controls::IntEdit(this)),
      httpNotOut_(new QCheckBox(Ui(text::kHttpNotOut), this)),
      mesConect_(new QCheckBox(Ui(text::kMesConect), this)),
      httpTime_(new controls::IntEdit(this)),
      messageUrl_(new QLineEdit(this)) {
  setObjectName("ProxySetDlg");
  setWindowTitle(Ui(text::kProxySetCaption));
  useProxy_->setObjectName("UseProxy");
  hostEdit_->setObjectName("HostEdit");
  portEdit_->setObjectName("PortEdit");
  httpNotOut_->setObjectName("HttpNotOut");
  mesConect_->setObjectName("MesConect");
  httpTime_->setObjectName("HttpTime");
  httpTime_->setMaximumWidth(80);
  messageUrl_->setObjectName("MessageUrlEdit");

  auto* proxy = new QGroupBox(Ui(text::kProxyGroup), this);
  auto* proxyForm = new QFormLayout(proxy);
  proxyForm->addRow(useProxy_);
  proxyForm->addRow(Ui(text::kProxyHostLabel), hostEdit_);
  proxyForm->addRow(Ui(text::kProxyPortLabel), portEdit_);

  auto* http = new QGroupBox(Ui(text::kHttpGroup), this);
  auto* httpLayout = new QVBoxLayout(http);
  httpLayout->addWidget(httpNotOut_);
  httpLayout->addWidget(mesConect_);
  auto* timeRow = new QHBoxLayout;
  timeRow->addWidget(new QLabel(Ui(text::kHttpTimeLabel), http));
  timeRow->addWidget(httpTime_);
  timeRow->addWidget(new QLabel(Ui(text::kSeconds), http));
  timeRow->addStretch();
  httpLayout->addLayout(timeRow);
  auto* messageRow = new QHBoxLayout;
  messageRow->addWidget(new QLabel(Ui(text::kMessageUrlLabel), http));
  messageRow->addWidget(messageUrl_, 1);
  httpLayout->addLayout(messageRow);

  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
  QBoxLayout* buttons = detail::OkCancelRow(this, text::kOk, text::kCancel, &ok, &cancel);
  connect(ok, &QPushButton::clicked, this, &TProxySetDlg::OKBtnClick);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(proxy);
  layout->addWidget(http);
  layout->addLayout(buttons);

  connect(useProxy_, &QCheckBox::toggled, this, &TProxySetDlg::UseProxyClick);
  connect(httpNotOut_, &QCheckBox::toggled, this, &TProxySetDlg::HttpNotOutClick);
  SetValues(LoadHttpSettings());
}

HttpSettings TProxySetDlg::Values() const {
  HttpSettings values;
  values.httpNotOut = httpNotOut_->isChecked();
  values.mesConect = mesConect_->isChecked();
  values.timeSeconds = httpTime_->Value();
  values.useProxy = useProxy_->isChecked();
  values.proxyHost = detail::ToSjis(hostEdit_->text());
  values.proxyPort = portEdit_->Value();
  values.messageUrl = detail::ToSjis(messageUrl_->text().trimmed());
  return values;
}

void TProxySetDlg::SetValues(const HttpSettings& values) {
  httpNotOut_->setChecked(values.httpNotOut);
  mesConect_->setChecked(values.mesConect);
  httpTime_->SetValue(values.timeSeconds);
  useProxy_->setChecked(values.useProxy);
  hostEdit_->setText(detail::FromSjis(values.proxyHost));
  portEdit_->SetValue(values.proxyPort);
  messageUrl_->setText(detail::FromSjis(values.messageUrl));
  UseProxyClick();
  HttpNotOutClick();
}

void TProxySetDlg::UseProxyClick() {
  const bool on = useProxy_->isChecked();
  hostEdit_->setEnabled(on);
  portEdit_->setEnabled(on);
}

void TProxySetDlg::HttpNotOutClick() {
  const bool off = !httpNotOut_->isChecked();
  mesConect_->setEnabled(off);
  httpTime_->setEnabled(off);
}

void TProxySetDlg::OKBtnClick() {
  if (detail::RunReporting(notice_, [this] { SaveHttpSettings(Values()); })) accept();
}

}  // namespace novalune::settings

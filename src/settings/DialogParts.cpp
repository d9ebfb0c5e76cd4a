#include "settings/DialogParts.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>
#include <exception>

#include "common/SjisText.h"
#include "settings/DialogRules.h"

namespace novalune::settings::detail {

std::string ToSjis(const QString& text) { return RemoveLineBreaks(qtsupport::ToSjis(text)); }

std::string TextToSjis(const QString& text) { return RemoveNul(qtsupport::ToSjis(text)); }

QBoxLayout* OkCancelRow(QDialog* owner, const char* okCaption, const char* cancelCaption, QPushButton** ok,
                        QPushButton** cancel) {
  auto* row = new QHBoxLayout;
  row->addStretch();
  *ok = new QPushButton(Ui(okCaption), owner);
  (*ok)->setObjectName("OKBtn");
  (*ok)->setDefault(true);
  *cancel = new QPushButton(Ui(cancelCaption), owner);
  (*cancel)->setObjectName("CancelBtn");
  (*cancel)->setAutoDefault(false);
  QObject::connect(*cancel, &QPushButton::clicked, owner, &QDialog::reject);
  row->addWidget(*ok);
  row->addWidget(*cancel);
  return row;
}

bool RunReporting(const NoticeFn& notice, const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const std::exception& error) {
    if (notice) notice(Utf8ToSjis(error.what()));
    return false;
  }
}

NoticeFn NoticeOrBox(NoticeFn notice, QWidget* owner) {
  return notice ? std::move(notice) : ClientNotice(owner);
}

}  // namespace novalune::settings::detail

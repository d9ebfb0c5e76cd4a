#include "settings/ClientMessage.h"

#include <QPointer>
#include <QString>

#include "common/SjisText.h"
#include "settings/Mes1Dlg.h"
#include "settings/Mes2Dlg.h"

namespace novalune::settings {

int ShowClientMessage(QWidget* parent, const std::string& text, int kind) {
  const QString message = QString::fromStdString(SjisToUtf8(text));
  // On the heap behind a guard: if the parent goes while the box is open (the
  // event loop keeps running), the parent deletes the box and we must not.
  if (kind == 1) {
    QPointer<TMes1Dlg> box = new TMes1Dlg(message, parent);
    box->exec();
    delete box.data();
    return TMes1Dlg::kUnderstood;
  }
  if (kind == 2) {
    QPointer<TMes2Dlg> box = new TMes2Dlg(message, parent);
    const int answer = box->exec();
    delete box.data();
    return answer == TMes2Dlg::kYes ? TMes2Dlg::kYes : TMes2Dlg::kNo;
  }
  return 0;
}

NoticeFn ClientNotice(QWidget* parent) {
  // The parent may go before the function does; the box then has none.
  QPointer<QWidget> owner(parent);
  return [owner](const std::string& text) { ShowClientMessage(owner.data(), text, 1); };
}

}  // namespace novalune::settings

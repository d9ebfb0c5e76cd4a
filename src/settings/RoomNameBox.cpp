#include "settings/RoomNameBox.h"

#include <QComboBox>

#include "settings/DialogParts.h"

namespace novalune::settings::detail {

QComboBox* NewEditableBox(QWidget* parent, const char* objectName) {
  auto* box = new QComboBox(parent);
  box->setObjectName(objectName);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setDuplicatesEnabled(true);
  box->setMinimumWidth(180);
  return box;
}

void FillBox(QComboBox* box, const std::vector<std::string>& entries) {
  const QString typed = box->currentText();
  box->clear();
  for (const std::string& entry : entries) box->addItem(FromSjis(entry));
  box->setEditText(typed);
}

std::vector<std::string> BoxEntries(const QComboBox* box) {
  std::vector<std::string> entries;
  entries.reserve(box->count());
  for (int i = 0; i < box->count(); ++i) entries.push_back(ToSjis(box->itemText(i)));
  return entries;
}

}  // namespace novalune::settings::detail

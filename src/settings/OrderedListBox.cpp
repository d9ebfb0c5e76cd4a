#include "settings/OrderedListBox.h"

#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>

#include "settings/DialogParts.h"

namespace novalune::settings {

OrderedListBox::OrderedListBox(QListWidget& list, QLineEdit& edit, QPushButton& addBtn, QPushButton& delBtn)
    : QObject(&list), list_(list), edit_(edit), addBtn_(addBtn), delBtn_(delBtn) {
  connect(&addBtn_, &QPushButton::clicked, this, &OrderedListBox::Add);
  connect(&delBtn_, &QPushButton::clicked, this, &OrderedListBox::Delete);
  connect(&edit_, &QLineEdit::textChanged, this, &OrderedListBox::UpdateButtons);
  connect(&list_, &QListWidget::itemClicked, this, &OrderedListBox::Clicked);
  connect(&list_, &QListWidget::currentRowChanged, this, &OrderedListBox::UpdateButtons);
  viewport_ = list_.viewport();
  viewport_->installEventFilter(this);
}

std::vector<std::string> OrderedListBox::Entries() const {
  std::vector<std::string> entries;
  entries.reserve(static_cast<std::size_t>(list_.count()));
  for (int row = 0; row < list_.count(); ++row) entries.push_back(detail::ToSjis(list_.item(row)->text()));
  return entries;
}

void OrderedListBox::SetEntries(const std::vector<std::string>& entries) {
  list_.clear();
  for (const std::string& entry : entries) list_.addItem(detail::FromSjis(entry));
  list_.setCurrentRow(-1);
  UpdateButtons();
}

int OrderedListBox::SelectedIndex() const {
  const QListWidgetItem* item = list_.currentItem();
  return item != nullptr && item->isSelected() ? list_.row(item) : -1;
}

void OrderedListBox::Select(int row) {
  if (row >= 0 && row < list_.count()) list_.setCurrentRow(row);
  UpdateButtons();
}

void OrderedListBox::UpdateButtons() {
  delBtn_.setEnabled(SelectedIndex() >= 0);
  const QString edit = edit_.text();
  addBtn_.setEnabled(!edit.isEmpty() &&
                     list_.findItems(edit, Qt::MatchExactly | Qt::MatchCaseSensitive).isEmpty());
  emit Changed();
}

void OrderedListBox::Add() {
  const QString entry = edit_.text().trimmed();
  edit_.setText(entry);
  const int selected = SelectedIndex();
  list_.insertItem(selected >= 0 ? selected : list_.count(), entry);
  UpdateButtons();
}

void OrderedListBox::Delete() {
  const int selected = SelectedIndex();
  if (selected < 0) return;
  delete list_.takeItem(selected);
  list_.setCurrentRow(-1);
  edit_.clear();
  UpdateButtons();
}

void OrderedListBox::Clicked() {
  const QListWidgetItem* item = list_.currentItem();
  if (item != nullptr && item->text() != edit_.text()) edit_.setText(item->text());
}

// Reordering: a press remembers the entry; moving with the left button held
// over another entry moves it there.
bool OrderedListBox::eventFilter(QObject* watched, QEvent* event) {
  if (watched == viewport_) {
    if (event->type() == QEvent::MouseButtonPress) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->button() == Qt::LeftButton) dragged_ = list_.row(list_.itemAt(mouse->position().toPoint()));
    } else if (event->type() == QEvent::MouseMove) {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      if (mouse->buttons() & Qt::LeftButton)
        MoveDragged(list_.row(list_.itemAt(mouse->position().toPoint())));
    }
  }
  return QObject::eventFilter(watched, event);
}

void OrderedListBox::MoveDragged(int to) {
  if (dragged_ < 0 || to < 0 || to == dragged_ || dragged_ >= list_.count()) return;
  QListWidgetItem* item = list_.takeItem(dragged_);
  list_.insertItem(to, item);
  list_.setCurrentRow(to);
  dragged_ = to;
}

}  // namespace novalune::settings

// The editable room-name list of the room and connect dialogs.
#pragma once

#include <string>
#include <vector>

class QComboBox;
class QWidget;

namespace novalune::settings::detail {

// Editable, never adds what is typed to its entries by itself.
QComboBox* NewEditableBox(QWidget* parent, const char* objectName);
void FillBox(QComboBox* box, const std::vector<std::string>& entries);
std::vector<std::string> BoxEntries(const QComboBox* box);

}  // namespace novalune::settings::detail

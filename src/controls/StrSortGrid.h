// A read-only grid of Shift-JIS text that sorts by a column when its header is
// clicked. Rows are selected whole; columns can be resized.
//
// Rules (ControlRules.h): the key is the cell with ASCII letters folded to
// capitals, compared byte by byte. One direction flag serves all columns; it
// starts ascending and every header click flips it before sorting, so the
// first click sorts descending. The sorted column's header shows an arrow
// 10 pixels after its text: up for ascending, down for descending.
//
// The grid keeps its own row count. With no rows it still shows one empty row
// under the header, and that row is selected; its cells read as "".
#pragma once

#include <QTableView>
#include <string>
#include <vector>

#include "controls/ControlRules.h"

namespace novalune::controls {

class StrSortGridModel;
class SortHeader;

class StrSortGrid : public QTableView {
  Q_OBJECT
 public:
  explicit StrSortGrid(QWidget* parent = nullptr);
  ~StrSortGrid() override;

  void SetColumns(const QStringList& headers);
  void SetColumnAlignment(int column, Qt::Alignment alignment);

  // Row count 0: one empty row shows.
  void ClearRows();
  // Raises the row count by one and fills the new last row (Shift-JIS cells).
  void AddRow(GridRow row);
  int RowCount() const;
  // "" for a cell that does not exist, the empty row included.
  std::string Cell(int row, int column) const;

  // The selected row (0 when nothing is selected: the first row under the header).
  int CurrentRow() const;
  void SetCurrentRow(int row);
  std::string CurrentCell(int column) const;

  // What a click on the header cell of `column` does.
  void SortByColumn(int column);
  // -1 until the first sort.
  int SortColumn() const { return sortColumn_; }
  bool Descending() const { return direction_.Descending(); }

 private:
  void KeepSelection(int row);

  StrSortGridModel* model_;
  SortHeader* header_;
  SortDirection direction_;
  int sortColumn_ = -1;
};

}  // namespace novalune::controls

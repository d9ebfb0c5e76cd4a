#include "controls/StrSortGrid.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QPainter>
#include <QPolygon>
#include <utility>

#include "common/SjisText.h"

namespace novalune::controls {

// The rows as the grid's model: an empty list still has one (empty) row.
class StrSortGridModel : public QAbstractTableModel {
 public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : std::max<int>(1, static_cast<int>(rows_.size()));
  }
  int columnCount(const QModelIndex& parent = {}) const override {
    return parent.isValid() ? 0 : static_cast<int>(headers_.size());
  }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return QString::fromStdString(SjisToUtf8(Cell(index.row(), index.column())));
    if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Alignment(index.column()));
    return {};
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation != Qt::Horizontal || section < 0 || section >= headers_.size()) return {};
    if (role == Qt::DisplayRole) return headers_[section];
    return {};
  }

  void SetHeaders(const QStringList& headers) {
    beginResetModel();
    headers_ = headers;
    alignments_.assign(headers.size(), Qt::AlignLeft | Qt::AlignVCenter);
    endResetModel();
  }

  void SetAlignment(int column, Qt::Alignment alignment) {
    if (column < 0 || column >= static_cast<int>(alignments_.size())) return;
    alignments_[column] = alignment | Qt::AlignVCenter;
  }

  void Clear() {
    beginResetModel();
    rows_.clear();
    endResetModel();
  }

  void Append(GridRow row) {
    if (rows_.empty()) {
      // The empty row becomes the first real one: same row count.
      rows_.push_back(std::move(row));
      emit dataChanged(index(0, 0), index(0, std::max(0, columnCount() - 1)));
      return;
    }
    const int at = static_cast<int>(rows_.size());
    beginInsertRows({}, at, at);
    rows_.push_back(std::move(row));
    endInsertRows();
  }

  void Sort(std::size_t column, bool descending) {
    beginResetModel();
    SortRows(rows_, column, descending);
    endResetModel();
  }

  int RowCount() const { return static_cast<int>(rows_.size()); }

  std::string Cell(int row, int column) const {
    if (row < 0 || column < 0 || row >= RowCount()) return {};
    const GridRow& cells = rows_[row];
    return column < static_cast<int>(cells.size()) ? cells[column] : std::string();
  }

 private:
  Qt::Alignment Alignment(int column) const {
    if (column < 0 || column >= static_cast<int>(alignments_.size())) return Qt::AlignLeft | Qt::AlignVCenter;
    return alignments_[column];
  }

  QStringList headers_;
  std::vector<Qt::Alignment> alignments_;
  std::vector<GridRow> rows_;
};

// Header that draws the sort arrow 10 pixels after the sorted column's text.
class SortHeader : public QHeaderView {
 public:
  explicit SortHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {
    setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSectionsClickable(true);
    setSectionResizeMode(QHeaderView::Interactive);
    setHighlightSections(false);
  }

  void SetArrow(int column, bool descending) {
    column_ = column;
    descending_ = descending;
    viewport()->update();
  }

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
    QHeaderView::paintSection(painter, rect, logicalIndex);
    if (logicalIndex != column_ || model() == nullptr) return;
    const QString label = model()->headerData(logicalIndex, Qt::Horizontal, Qt::DisplayRole).toString();
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    const int x = rect.left() + margin + fontMetrics().horizontalAdvance(label) + kArrowGap;
    const int half = kArrowSize / 2;
    const int y = rect.center().y();
    QPolygon arrow;
    if (descending_) {
      arrow << QPoint(x, y - half / 2) << QPoint(x + kArrowSize, y - half / 2) << QPoint(x + half, y + half);
    } else {
      arrow << QPoint(x, y + half / 2) << QPoint(x + kArrowSize, y + half / 2) << QPoint(x + half, y - half);
    }
    painter->save();
    painter->setClipRect(rect);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(palette().color(QPalette::ButtonText));
    painter->drawPolygon(arrow);
    painter->restore();
  }

 private:
  static constexpr int kArrowGap = 10;
  static constexpr int kArrowSize = 8;
  int column_ = -1;
  bool descending_ = false;
};

StrSortGrid::StrSortGrid(QWidget* parent)
    : QTableView(parent), model_(new StrSortGridModel(this)), header_(new SortHeader(this)) {
  setHorizontalHeader(header_);
  setModel(model_);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);
  setWordWrap(false);
  verticalHeader()->hide();
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
  connect(header_, &QHeaderView::sectionClicked, this, &StrSortGrid::SortByColumn);
  KeepSelection(0);
}

StrSortGrid::~StrSortGrid() = default;

void StrSortGrid::SetColumns(const QStringList& headers) {
  model_->SetHeaders(headers);
  sortColumn_ = -1;
  header_->SetArrow(-1, false);
  KeepSelection(0);
}

void StrSortGrid::SetColumnAlignment(int column, Qt::Alignment alignment) {
  model_->SetAlignment(column, alignment);
  viewport()->update();
}

void StrSortGrid::ClearRows() {
  model_->Clear();
  KeepSelection(0);
}

void StrSortGrid::AddRow(GridRow row) {
  const int current = CurrentRow();
  model_->Append(std::move(row));
  KeepSelection(current);
}

int StrSortGrid::RowCount() const { return model_->RowCount(); }

std::string StrSortGrid::Cell(int row, int column) const { return model_->Cell(row, column); }

int StrSortGrid::CurrentRow() const {
  const QModelIndex current = currentIndex();
  return current.isValid() ? current.row() : 0;
}

void StrSortGrid::SetCurrentRow(int row) { KeepSelection(row); }

std::string StrSortGrid::CurrentCell(int column) const { return Cell(CurrentRow(), column); }

void StrSortGrid::SortByColumn(int column) {
  if (column < 0 || column >= model_->columnCount()) return;
  const int current = CurrentRow();
  const bool descending = direction_.Flip();
  sortColumn_ = column;
  model_->Sort(static_cast<std::size_t>(column), descending);
  header_->SetArrow(column, descending);
  // The selection stays on the same line of the grid, as a row index.
  KeepSelection(current);
}

void StrSortGrid::KeepSelection(int row) {
  const int rows = model_->rowCount();
  if (row < 0 || row >= rows) row = 0;
  if (model_->columnCount() == 0) return;
  setCurrentIndex(model_->index(row, 0));
  selectRow(row);
}

}  // namespace novalune::controls

// The rules behind the small controls, without widgets: how a sortable grid
// orders its rows and how a number field reads its text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace novalune::controls {

// One grid row: its cells, Shift-JIS.
using GridRow = std::vector<std::string>;

// The sort key of a cell: ASCII letters folded to capitals, every other
// character (a double-byte one as a whole) unchanged; keys compare byte by byte.
std::string SortKey(std::string_view cell);

// Sorts by one column; a row without that cell sorts as an empty cell.
// Descending is the ascending order reversed. Equal keys keep their order.
void SortRows(std::vector<GridRow>& rows, std::size_t column, bool descending);

// One direction for all columns: ascending at creation, flipped before every
// sort, so the first header click sorts descending.
class SortDirection {
 public:
  // Flips the direction and returns true when it is now descending.
  bool Flip() {
    descending_ = !descending_;
    return descending_;
  }
  bool Descending() const { return descending_; }

 private:
  bool descending_ = false;
};

// The value of a number field: an optional sign and decimal digits that fit
// an int; anything else (empty, letters, overflow) counts as 0.
int ParseIntOrZero(std::string_view text);

}  // namespace novalune::controls

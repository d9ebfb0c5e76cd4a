#include "controls/ControlRules.h"

#include <algorithm>
#include <charconv>

#include "common/SjisText.h"

namespace novalune::controls {

std::string SortKey(std::string_view cell) { return AsciiUpper(cell); }

namespace {

std::string_view CellOf(const GridRow& row, std::size_t column) {
  return column < row.size() ? std::string_view(row[column]) : std::string_view();
}

}  // namespace

void SortRows(std::vector<GridRow>& rows, std::size_t column, bool descending) {
  // Keys once per row instead of once per comparison.
  std::vector<std::pair<std::string, std::size_t>> keyed;
  keyed.reserve(rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) keyed.emplace_back(SortKey(CellOf(rows[i], column)), i);
  std::stable_sort(keyed.begin(), keyed.end(), [descending](const auto& a, const auto& b) {
    return descending ? b.first < a.first : a.first < b.first;
  });
  std::vector<GridRow> sorted;
  sorted.reserve(rows.size());
  for (const auto& entry : keyed) sorted.push_back(std::move(rows[entry.second]));
  rows = std::move(sorted);
}

int ParseIntOrZero(std::string_view text) {
  if (!text.empty() && text.front() == '+') {
    text.remove_prefix(1);
    if (!text.empty() && text.front() == '-') return 0;
  }
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return 0;
  return value;
}

}  // namespace novalune::controls

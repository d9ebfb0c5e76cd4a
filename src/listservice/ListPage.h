// What GET shows of the list: a Japanese HTML page and a tab-separated text
// for scripts, both UTF-8, from the Shift-JIS entries.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "listservice/ListStore.h"

namespace novalune::listservice {

std::string HtmlEscape(std::string_view utf8);
std::string RenderListPage(const std::vector<ListEntry>& entries);
// One line per entry: name, address and room, separated by tabs.
std::string RenderListText(const std::vector<ListEntry>& entries);

}  // namespace novalune::listservice

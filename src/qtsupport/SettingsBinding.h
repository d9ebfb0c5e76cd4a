// A group of settings as one table of (section, key, field): the same table
// loads and saves the group, so the two directions cannot drift apart and the
// keys are written in the order they are listed. Standard C++ only.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "common/Settings.h"

namespace novalune::qtsupport {

template <typename Values>
struct SettingField {
  std::string_view section;
  std::string_view key;
  std::variant<bool Values::*, int Values::*, std::string Values::*> field;
};

namespace binding_detail {

inline void Read(std::string_view section, std::string_view key, bool& flag) {
  flag = ReadSettingFlag(section, key);
}
inline void Read(std::string_view section, std::string_view key, int& number) {
  number = ReadSettingInt(section, key);
}
inline void Read(std::string_view section, std::string_view key, std::string& text) {
  text = ReadSettingString(section, key);
}
inline void Write(std::string_view section, std::string_view key, bool flag) {
  WriteSettingFlag(section, key, flag);
}
inline void Write(std::string_view section, std::string_view key, int number) {
  WriteSettingInt(section, key, number);
}
inline void Write(std::string_view section, std::string_view key, const std::string& text) {
  WriteSettingString(section, key, text);
}

}  // namespace binding_detail

template <typename Values, typename Fields>
void LoadSettingFields(Values& values, const Fields& fields) {
  for (const SettingField<Values>& entry : fields) {
    std::visit([&](auto member) { binding_detail::Read(entry.section, entry.key, values.*member); },
               entry.field);
  }
}

template <typename Values, typename Fields>
void SaveSettingFields(const Values& values, const Fields& fields) {
  for (const SettingField<Values>& entry : fields) {
    std::visit([&](auto member) { binding_detail::Write(entry.section, entry.key, values.*member); },
               entry.field);
  }
}

}  // namespace novalune::qtsupport

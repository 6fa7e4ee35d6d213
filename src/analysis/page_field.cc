#include "analysis/page_field.h"

namespace mirune {
namespace {

std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

PageField PageField::FromName(std::string_view name) {
  name = TrimSpaces(name);
  PageField field;
  if (name.empty()) return field;
  if (!AllDigits(name)) {
    field.text_ = std::string(name);
    return field;
  }
  size_t lead = 0;
  while (lead + 1 < name.size() && name[lead] == '0') ++lead;
  field.text_ = std::string(name.substr(lead));
  if (field.text_.size() <= kMaxPageDigits) {
    double value = 0;
    for (char c : field.text_) value = value * 10 + (c - '0');  // exact below 2^53
    field.number_ = value;
  }
  return field;
}

}  // namespace mirune

#include "TypInfo.h"

std::optional<int> TEnumInfo::IndexOf(const std::string& name) const {
  for (size_t i = 0; i < Names.size(); ++i)
    if (Names[i] == name) return static_cast<int>(i);
  return std::nullopt;
}

bool TPropInfo::IsStored(const TPersistent& instance) const {
  if (Stored && !Stored(instance)) return false;
  if (Default && GetOrd && GetOrd(instance) == *Default) return false;
  return true;
}

namespace {

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

}  // namespace

// A property the class publishes again (with another default, say) keeps its base's place.
TPropertyTable::TPropertyTable(const TPropertyTable* base, std::vector<TPropInfo> own) {
  if (base) all_ = base->all_;
  for (TPropInfo& info : own) {
    TPropInfo* inherited = const_cast<TPropInfo*>(Find(info.Name));
    if (inherited)
      *inherited = std::move(info);
    else
      all_.push_back(std::move(info));
  }
}

// Property names compare as the form reader compares them: ASCII letters without regard to case.
const TPropInfo* TPropertyTable::Find(const std::string& name) const {
  for (const TPropInfo& info : all_)
    if (SameNameIgnoringCase(info.Name, name)) return &info;
  return nullptr;
}

const TPropertyTable& TPersistent::Properties() const {
  static const TPropertyTable table(nullptr, {});
  return table;
}

#include "Lists.h"

#include <windows.h>

#include "FileRead.h"
#include "NameValue.h"
#include "SysUtils.h"

namespace {

[[noreturn]] void RaiseIndexError(int index) {
  throw EListError("List index out of bounds (" + std::to_string(index) + ")");
}

template <typename Vector>
void CheckIndex(const Vector& items, int index) {
  if (index < 0 || static_cast<size_t>(index) >= items.size()) RaiseIndexError(index);
}

bool SameNameInUserLocale(std::string_view a, std::string_view b) {
  return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) == CSTR_EQUAL;
}

}  // namespace

void* TList::Items(int index) const {
  CheckIndex(items_, index);
  return items_[static_cast<size_t>(index)];
}

int TList::Add(void* item) {
  items_.push_back(item);
  return Count() - 1;
}

void TList::Insert(int index, void* item) {
  if (index < 0 || index > Count()) RaiseIndexError(index);
  items_.insert(items_.begin() + index, item);
}

void TList::Delete(int index) {
  CheckIndex(items_, index);
  items_.erase(items_.begin() + index);
}

int TList::Remove(void* item) {
  const int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

int TList::IndexOf(void* item) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i] == item) return static_cast<int>(i);
  return -1;
}

const std::string& TStringList::Strings(int index) const {
  CheckIndex(lines_, index);
  return lines_[static_cast<size_t>(index)];
}

int TStringList::Add(const std::string& line) {
  lines_.push_back(line);
  return Count() - 1;
}

std::string TStringList::Text() const {
  std::string text;
  for (const std::string& line : lines_) text += line + "\r\n";
  return text;
}

void TStringList::SetText(const std::string& text) { lines_ = SplitLines(text); }

void TStringList::LoadFromFile(const std::string& fileName) { SetText(ReadWholeFile(fileName)); }

int TStringList::IndexOfName(const std::string& name) const { return ::IndexOfName(lines_, name, SameNameInUserLocale); }

std::string TStringList::Values(const std::string& name) const {
  return ValueOfName(lines_, name, SameNameInUserLocale);
}

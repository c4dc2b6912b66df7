// The class library's lists: TList of untyped pointers, TStringList of text lines.
#pragma once

#include <string>
#include <vector>

// A list of pointers that owns nothing it holds. An index outside the list raises
// EListError "List index out of bounds (<index>)".
class TList {
public:
  int Count() const { return static_cast<int>(items_.size()); }
  void* Items(int index) const;
  void* operator[](int index) const { return Items(index); }

  // Appends `item`; returns its index.
  int Add(void* item);
  // Puts `item` at `index` (0 to Count), moving the later items up.
  void Insert(int index, void* item);
  void Delete(int index);
  // Deletes the first occurrence of `item`; returns the index it had, or -1.
  int Remove(void* item);
  // Index of the first occurrence of `item`, or -1.
  int IndexOf(void* item) const;
  void Clear() { items_.clear(); }

private:
  std::vector<void*> items_;
};

// Lines of text with the name=value lookup of configuration files. Names are compared
// as CompareStringA does under the user's default locale, ignoring case.
class TStringList {
public:
  int Count() const { return static_cast<int>(lines_.size()); }
  // Raises EListError for an index outside the list.
  const std::string& Strings(int index) const;
  // Appends a line; returns its index.
  int Add(const std::string& line);
  void Clear() { lines_.clear(); }

  // Every line followed by CR LF.
  std::string Text() const;
  // Replaces the lines with those of `text` (broken at CR, LF and CR LF; a NUL ends it).
  void SetText(const std::string& text);
  // The file's text, read whole; raises EFOpenError naming the file when it cannot be
  // opened for reading with write access denied to others.
  void LoadFromFile(const std::string& fileName);

  // Index of the first line "name=..." whose name equals `name`; -1 when there is none.
  int IndexOfName(const std::string& name) const;
  // The rest of that line after its first "=", untrimmed; "" when there is none.
  std::string Values(const std::string& name) const;

private:
  std::vector<std::string> lines_;
};

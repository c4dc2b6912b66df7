#include "NameValue.h"

#include <algorithm>

std::vector<std::string> SplitLines(std::string_view text) {
  text = text.substr(0, text.find('\0'));
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t end = std::min(text.find_first_of("\r\n", pos), text.size());
    lines.emplace_back(text.substr(pos, end - pos));
    pos = end;
    if (pos < text.size() && text[pos] == '\r') ++pos;
    if (pos < text.size() && text[pos] == '\n') ++pos;
  }
  return lines;
}

int IndexOfName(const std::vector<std::string>& lines, std::string_view name, NameEquals equals) {
  for (size_t i = 0; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    const size_t equalsSign = line.find('=');
    if (equalsSign != std::string_view::npos && equals(line.substr(0, equalsSign), name))
      return static_cast<int>(i);
  }
  return -1;
}

std::string ValueOfName(const std::vector<std::string>& lines, std::string_view name, NameEquals equals) {
  const int index = IndexOfName(lines, name, equals);
  if (index < 0) return "";
  const std::string& line = lines[static_cast<size_t>(index)];
  return line.substr(line.find('=') + 1);
}

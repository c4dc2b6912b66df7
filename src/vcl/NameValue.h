// Lines of a text and their name=value lookup, as the string list does it, without any
// operating-system call: the comparison of names is handed in.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// Whether two names denote the same key.
using NameEquals = bool (*)(std::string_view a, std::string_view b);

// The lines of a text, broken at CR, at LF and at CR LF. A NUL ends the text; a break at
// the very end opens no further line.
std::vector<std::string> SplitLines(std::string_view text);

// Index of the first line that holds "=" and whose text before its first "=" equals
// `name` by `equals`; -1 when there is none.
int IndexOfName(const std::vector<std::string>& lines, std::string_view name, NameEquals equals);

// The rest of that line after its first "=", nothing trimmed; "" when there is none.
std::string ValueOfName(const std::vector<std::string>& lines, std::string_view name, NameEquals equals);

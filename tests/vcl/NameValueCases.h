// Name=value lookups in configuration texts, shared by the portable lookup's tests and
// the string list's tests under the system's own name comparison.
#pragma once

#include <string_view>

struct NameValueCase {
  const char* what;
  std::string_view text;
  const char* name;
  int index;  // line found, -1 for none
  const char* value;
};

using namespace std::string_view_literals;

inline const NameValueCase kNameValueCases[] = {
    {"key in capitals", "INITFILE=logo.jpg\r\ntime=3\r\n"sv, "initfile", 0, "logo.jpg"},
    {"key in mixed case", "initfile=logo.jpg\r\nTime=3\r\n"sv, "time", 1, "3"},
    {"blank before the sign", "initfile = logo.jpg\r\n"sv, "initfile", -1, ""},
    {"blanks around the value kept", "initfile= logo.jpg \r\ntime=3"sv, "initfile", 0, " logo.jpg "},
    {"first of two lines", "time=3\r\ntime=5\r\n"sv, "time", 0, "3"},
    {"longer key is another key", "timeout=9\r\ntime=3"sv, "time", 1, "3"},
    {"section, remark and bare key skipped", "[time]\r\n; time\r\ntime\r\n\r\ntime=4"sv, "time", 4, "4"},
    {"sign inside the value", "initfile=a=b.jpg"sv, "initfile", 0, "a=b.jpg"},
    {"name ends at the first sign", "a=b=c"sv, "a=b", -1, ""},
    {"empty name skipped", "=x\r\ntime=3"sv, "time", 1, "3"},
    {"empty name looked up", "=x\r\ntime=3"sv, "", 0, "x"},
    {"CR line ends", "a=1\rtime=2\rb=3"sv, "time", 1, "2"},
    {"LF line ends", "a=1\ntime=2\nb=3"sv, "time", 1, "2"},
    {"CR LF line ends", "a=1\r\ntime=2\r\nb=3"sv, "time", 1, "2"},
    {"mixed line ends", "a=1\r\nb=2\nc=3\rtime=4\r"sv, "time", 3, "4"},
    {"LF CR is two breaks", "a=1\n\rtime=2"sv, "time", 2, "2"},
    {"blank lines count", "\r\n\n\rtime=2"sv, "time", 3, "2"},
    {"NUL ends the text", "a=1\0time=2"sv, "time", -1, ""},
    {"NUL ends the value", "time=3\0 and more"sv, "time", 0, "3"},
    {"empty value", "time=\r\ninitfile=x"sv, "time", 0, ""},
    {"empty text", ""sv, "time", -1, ""},
};

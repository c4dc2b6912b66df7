// The dialog driver's output: one "key=value" line per field, in UTF-8.
#pragma once

#include <string>

#include "DialogProbe.h"

std::string Utf8(const std::wstring& text);

// CR as \r, LF as \n and the backslash as \\, so that a text stays on one line.
std::string EscapeText(const std::string& text);

// caption, text, icon, buttons (joined by '|') and centred, each line ending in LF.
std::string FormatReport(const DialogInfo& info);

// The class library's modal message dialog of the warning kind.
#pragma once

#include <windows.h>

#include <string>

// `bytes` as UTF-16, read in `codePage` (for instance 1250) whatever the system's ANSI
// code page is. Raises EConvertError when the code page cannot convert them.
std::wstring DecodeCodePage(const std::string& bytes, UINT codePage);

// A task-modal box with the exclamation icon, `text` under `caption` (both bytes in
// `codePage`) and one "OK" button, centred on the screen; returns when it is dismissed.
void ShowWarning(const std::string& caption, const std::string& text, UINT codePage);

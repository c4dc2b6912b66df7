#include "Dialogs.h"

#include "SysUtils.h"

std::wstring DecodeCodePage(const std::string& bytes, UINT codePage) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  if (length == 0)
    throw EConvertError("Cannot convert text from code page " + std::to_string(codePage) + ": error " +
                        std::to_string(GetLastError()));
  std::wstring text(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), size, text.data(), length);
  return text;
}

void ShowWarning(const std::string& caption, const std::string& text, UINT codePage) {
  MessageBoxW(nullptr, DecodeCodePage(text, codePage).c_str(), DecodeCodePage(caption, codePage).c_str(),
              MB_OK | MB_ICONEXCLAMATION | MB_TASKMODAL);
}

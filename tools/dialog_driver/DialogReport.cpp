#include "DialogReport.h"

#include <windows.h>

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  std::string bytes(WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, bytes.data(), static_cast<int>(bytes.size()), nullptr, nullptr);
  return bytes;
}

std::string EscapeText(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '\r': escaped += "\\r"; break;
      case '\n': escaped += "\\n"; break;
      case '\\': escaped += "\\\\"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string FormatReport(const DialogInfo& info) {
  std::string buttons;
  for (const std::wstring& button : info.buttons) {
    if (!buttons.empty()) buttons += '|';
    buttons += Utf8(button);
  }
  return "caption=" + Utf8(info.caption) + "\n" +
         "text=" + EscapeText(Utf8(info.text)) + "\n" +
         "icon=" + info.icon + "\n" +
         "buttons=" + buttons + "\n" +
         "centred=" + (info.centred ? "1" : "0") + "\n";
}

#include "LauncherPaths.h"

std::string CompanionPathOf(const std::string& ownPath) {
  const size_t position = ownPath.size() >= 4 ? ownPath.size() - 4 : 0;
  return ownPath.substr(0, position) + "a" + ownPath.substr(position);
}

std::string AppDirOf(const std::string& ownPath) {
  const size_t cut = ownPath.find_last_of("\\:");
  std::string folder = cut == std::string::npos ? std::string() : ownPath.substr(0, cut + 1);
  if (folder.empty() || folder.back() != '\\') folder += '\\';
  return folder;
}

std::string IntroExtensionOf(const std::string& introFile) {
  const size_t dot = introFile.find_last_of('.');
  if (dot == std::string::npos || introFile.find_first_of("\\:", dot) != std::string::npos) return "";
  std::string extension = introFile.substr(dot);
  for (char& c : extension)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + ('a' - 'A'));
  return extension;
}

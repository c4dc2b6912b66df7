#include "Registry.h"

#include <cstring>
#include <vector>

#include "SysUtils.h"

void TRegistry::SetRootKey(HKEY rootKey) {
  if (rootKey == rootKey_) return;
  CloseKey();
  rootKey_ = rootKey;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
  const char* path = key.c_str();
  if (*path == '\\') ++path;
  HKEY opened = nullptr;
  DWORD disposition = 0;
  const LSTATUS status = canCreate ? RegCreateKeyExA(rootKey_, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                     KEY_ALL_ACCESS, nullptr, &opened, &disposition)
                                   : RegOpenKeyExA(rootKey_, path, 0, KEY_ALL_ACCESS, &opened);
  if (status != ERROR_SUCCESS) return false;
  CloseKey();
  currentKey_ = opened;
  return true;
}

void TRegistry::CloseKey() {
  if (!currentKey_) return;
  RegCloseKey(currentKey_);
  currentKey_ = nullptr;
}

bool TRegistry::ValueExists(const std::string& name) const {
  return currentKey_ &&
         RegQueryValueExA(currentKey_, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::string TRegistry::ReadString(const std::string& name) const {
  DWORD type = 0;
  DWORD size = 0;
  LSTATUS status = RegQueryValueExA(currentKey_, name.c_str(), nullptr, &type, nullptr, &size);
  std::vector<char> data;
  // The value may grow between the size query and the read: ask again until it fits.
  // The spare byte stays a NUL after stored bytes that do not end in one.
  while (status == ERROR_SUCCESS || status == ERROR_MORE_DATA) {
    data.assign(size + 1, '\0');
    DWORD capacity = size;
    status = RegQueryValueExA(currentKey_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()),
                              &capacity);
    if (status == ERROR_SUCCESS) {
      if (type != REG_SZ && type != REG_EXPAND_SZ) throw ERegistryException("Invalid data type for '" + name + "'");
      return std::string(data.data(), strnlen(data.data(), capacity));
    }
    size = capacity;
  }
  if (status == ERROR_FILE_NOT_FOUND) return "";
  throw ERegistryException("Failed to get data for '" + name + "'");
}

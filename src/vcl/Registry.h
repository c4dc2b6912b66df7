// The class library's registry access: one open key under a root key.
#pragma once

#include <windows.h>

#include <string>

class TRegistry {
public:
  TRegistry() = default;
  ~TRegistry() { CloseKey(); }
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  HKEY RootKey() const { return rootKey_; }
  // Closes the open key when the root changes.
  void SetRootKey(HKEY rootKey);
  // The open key; nullptr when none is open.
  HKEY CurrentKey() const { return currentKey_; }

  // Opens the path `key` under RootKey (a leading backslash is allowed) with all access,
  // creating it when `canCreate` is set and it is missing. On success the new key
  // replaces the one open before, which is closed; on failure that one stays open.
  bool OpenKey(const std::string& key, bool canCreate);
  void CloseKey();

  // Whether the open key holds a value named `name`.
  bool ValueExists(const std::string& name) const;
  // A string value as stored (REG_SZ or REG_EXPAND_SZ, unexpanded) up to its first NUL;
  // "" when there is no such value. Raises ERegistryException "Invalid data type for
  // '<name>'" for a value of another type and "Failed to get data for '<name>'" when
  // the value cannot be read.
  std::string ReadString(const std::string& name) const;

private:
  HKEY rootKey_ = HKEY_CURRENT_USER;
  HKEY currentKey_ = nullptr;
};

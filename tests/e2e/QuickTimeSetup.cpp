#include "QuickTimeSetup.h"

#include <windows.h>

#include <cstdio>
#include <stdexcept>

namespace {

const char kKey[] = "software\\Apple Computer, Inc.\\QuickTime";
const char kValue[] = "InstallDir";
const char kVariable[] = "E2E_QUICKTIME_DIR";

void Check(LSTATUS status, const char* what) {
  if (status != ERROR_SUCCESS) throw std::runtime_error(std::string(what) + " failed: error " + std::to_string(status));
}

class OpenKey {
public:
  OpenKey() {
    Check(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                          &key_, nullptr),
          "creating the QuickTime key");
  }
  ~OpenKey() { RegCloseKey(key_); }
  OpenKey(const OpenKey&) = delete;
  OpenKey& operator=(const OpenKey&) = delete;

  void Set(DWORD type, const void* data, DWORD size) {
    Check(RegSetValueExA(key_, kValue, 0, type, static_cast<const BYTE*>(data), size), "setting InstallDir");
  }
  void SetText(DWORD type, const std::string& text) { Set(type, text.c_str(), static_cast<DWORD>(text.size() + 1)); }

private:
  HKEY key_ = nullptr;
};

void RemoveKey() {
  const LSTATUS status = RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey);
  if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) Check(status, "removing the QuickTime key");
  if (QuickTimeKeyExists()) throw std::runtime_error("the QuickTime key is still there after its removal");
}

std::string Folder(const TempDir& scratch, bool withPlayer) {
  const std::string folder = scratch.MakeFolder("QuickTime");
  if (withPlayer) scratch.Write("QuickTime\\QuickTimePlayer.exe", "MZ");
  return folder;
}

}  // namespace

const char* QuickTimeSetupName(QuickTimeSetup setup) {
  switch (setup) {
    case QuickTimeSetup::NoKey: return "no key";
    case QuickTimeSetup::KeyWithoutValue: return "key without InstallDir";
    case QuickTimeSetup::EmptyValue: return "empty InstallDir";
    case QuickTimeSetup::FolderWithoutPlayer: return "folder without QuickTimePlayer.exe";
    case QuickTimeSetup::FolderWithPlayer: return "folder with QuickTimePlayer.exe";
    case QuickTimeSetup::ExpandableWithPlayer: return "REG_EXPAND_SZ folder with QuickTimePlayer.exe";
    case QuickTimeSetup::UnexpandedVariable: return "REG_EXPAND_SZ naming a variable";
    case QuickTimeSetup::NumberValue: return "REG_DWORD InstallDir";
  }
  return "?";
}

ScopedQuickTimeSetup::ScopedQuickTimeSetup(QuickTimeSetup setup, const TempDir& scratch) {
  RemoveKey();
  if (setup == QuickTimeSetup::NoKey) return;
  OpenKey key;
  switch (setup) {
    case QuickTimeSetup::NoKey:
    case QuickTimeSetup::KeyWithoutValue:
      break;
    case QuickTimeSetup::EmptyValue:
      key.SetText(REG_SZ, "");
      break;
    case QuickTimeSetup::FolderWithoutPlayer:
      key.SetText(REG_SZ, Folder(scratch, false));
      break;
    case QuickTimeSetup::FolderWithPlayer:
      key.SetText(REG_SZ, Folder(scratch, true));
      break;
    case QuickTimeSetup::ExpandableWithPlayer:
      key.SetText(REG_EXPAND_SZ, Folder(scratch, true));
      break;
    case QuickTimeSetup::UnexpandedVariable:
      // The launcher inherits the test's environment, so expanding the value would find the player.
      SetEnvironmentVariableA(kVariable, Folder(scratch, true).c_str());
      key.SetText(REG_EXPAND_SZ, std::string("%") + kVariable + "%");
      break;
    case QuickTimeSetup::NumberValue: {
      const DWORD number = 1;
      key.Set(REG_DWORD, &number, sizeof number);
      break;
    }
  }
}

bool QuickTimeKeyExists() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

ScopedQuickTimeSetup::~ScopedQuickTimeSetup() {
  SetEnvironmentVariableA(kVariable, nullptr);
  try {
    RemoveKey();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "%s\n", error.what());
  }
}

// The state of the registry key and the folder that the launcher's QuickTime check looks
// at, arranged before a run: HKLM\software\Apple Computer, Inc.\QuickTime, value InstallDir.
#pragma once

#include <string>

#include "support/TempDir.h"

enum class QuickTimeSetup {
  NoKey,                // the key is missing (the check creates it)
  KeyWithoutValue,      // the key, without InstallDir
  EmptyValue,           // InstallDir ""
  FolderWithoutPlayer,  // InstallDir names an existing folder without QuickTimePlayer.exe
  FolderWithPlayer,     // InstallDir names a folder holding QuickTimePlayer.exe
  ExpandableWithPlayer, // the same as REG_EXPAND_SZ
  UnexpandedVariable,   // REG_EXPAND_SZ "%E2E_QUICKTIME_DIR%"; the variable names a folder with the player
  NumberValue,          // InstallDir is a REG_DWORD
};

const char* QuickTimeSetupName(QuickTimeSetup setup);

// Builds a setup (after removing the key), with any folder it needs in `scratch`, and
// removes the key and the variable again when it goes.
class ScopedQuickTimeSetup {
public:
  ScopedQuickTimeSetup(QuickTimeSetup setup, const TempDir& scratch);
  ~ScopedQuickTimeSetup();
  ScopedQuickTimeSetup(const ScopedQuickTimeSetup&) = delete;
  ScopedQuickTimeSetup& operator=(const ScopedQuickTimeSetup&) = delete;
};

// Whether the key exists now.
bool QuickTimeKeyExists();

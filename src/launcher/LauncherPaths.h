// The launcher's rules for names: where the companion program is, which folder the
// launcher lives in, and which kind of intro a file name asks for. No OS calls.
#pragma once

#include <string>

// The own path with "a" inserted in front of its last four characters (the extension is
// taken to be a dot and three letters): C:\Intro\launch.exe gives C:\Intro\launcha.exe.
std::string CompanionPathOf(const std::string& ownPath);

// The own path cut after its last backslash or colon, ending in a backslash.
std::string AppDirOf(const std::string& ownPath);

// The text from the last "." to the end, unless a backslash or colon follows that dot
// (then ""), with A to Z lower-cased.
std::string IntroExtensionOf(const std::string& introFile);

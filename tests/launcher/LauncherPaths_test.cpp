#include "launcher/LauncherPaths.h"

#include <gtest/gtest.h>

namespace {

struct PathCase {
  const char* ownPath;
  const char* companion;
  const char* appDir;
};

const PathCase kPaths[] = {
    {"C:\\Intro\\launch.exe", "C:\\Intro\\launcha.exe", "C:\\Intro\\"},
    {"C:\\Program Files\\My App\\start.exe", "C:\\Program Files\\My App\\starta.exe", "C:\\Program Files\\My App\\"},
    {"C:\\launch.exe", "C:\\launcha.exe", "C:\\"},
    {"C:launch.exe", "C:launcha.exe", "C:\\"},  // cut after the colon, backslash appended
    {"\\\\server\\share\\run.exe", "\\\\server\\share\\runa.exe", "\\\\server\\share\\"},
    // The rule counts four characters from the end; it does not look for the dot.
    {"C:\\x\\launch.html", "C:\\x\\launch.ahtml", "C:\\x\\"},
    {"C:\\x\\run", "C:\\xa\\run", "C:\\x\\"},
    {"run", "arun", "\\"},
};

TEST(LauncherPaths, CompanionAndFolder) {
  for (const PathCase& c : kPaths) {
    SCOPED_TRACE(c.ownPath);
    EXPECT_EQ(CompanionPathOf(c.ownPath), c.companion);
    EXPECT_EQ(AppDirOf(c.ownPath), c.appDir);
  }
  EXPECT_EQ(CompanionPathOf("ab"), "aab");  // shorter than four: in front
}

TEST(LauncherPaths, IntroExtension) {
  const struct {
    const char* file;
    const char* extension;
  } cases[] = {
      {"logo.jpg", ".jpg"},         {"LOGO.JPG", ".jpg"},         {"logo.Bmp", ".bmp"},
      {"intro.avi", ".avi"},        {"logo.jpeg", ".jpeg"},       {"logo", ""},
      {"my.dir\\logo", ""},         {"c:logo", ""},               {"a.b.c.avi", ".avi"},
      {"logo.", "."},               {"sub\\logo.gif", ".gif"},    {"logo.jpg ", ".jpg "},
      {"", ""},                     {".bmp", ".bmp"},             {"LOGO.\xC9PG", ".\xC9pg"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_EQ(IntroExtensionOf(c.file), c.extension);
  }
}

}  // namespace

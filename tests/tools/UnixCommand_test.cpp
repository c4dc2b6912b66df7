#include <gtest/gtest.h>

#include <windows.h>

#include "support/TempDir.h"
#include "support/UnixCommand.h"
#include "vcl/FileRead.h"

namespace {

TEST(UnixCommand, ReturnsStatusAndOutput) {
  struct Case {
    const char* command;
    int status;
    const char* output;
    const char* errors;
  };
  const Case cases[] = {
      {"exit 3", 3, "", ""},
      {"echo hello", 0, "hello\n", ""},
      {"echo oops >&2; false", 1, "", "oops\n"},
      {"printf '%s|%s' \"it's\" 'a \"b\"'", 0, "it's|a \"b\"", ""},
      {"read line; echo \"[$line]\"", 0, "[]\n", ""},  // standard input is empty
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.command);
    const UnixResult result = RunUnixCommand(c.command, 30000);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitStatus, c.status);
    EXPECT_EQ(result.output, c.output);
    EXPECT_EQ(result.errors, c.errors);
  }
}

TEST(UnixCommand, ACommandThatOutlivesTheBoundIsReportedAndEnded) {
  TempDir folder("unix late ");
  const std::string marker = UnixPath(folder / "late");
  const ULONGLONG started = GetTickCount64();
  const UnixResult result = RunUnixCommand("echo begun; sleep 2; touch '" + marker + "'", 500);
  const ULONGLONG elapsed = GetTickCount64() - started;
  EXPECT_TRUE(result.timedOut);
  EXPECT_EQ(result.exitStatus, -1);
  EXPECT_EQ(result.output, "begun\n");
  EXPECT_GE(elapsed, 500u);
  EXPECT_LT(elapsed, 20000u);
  Sleep(3000);  // past the point where the command, had it lived, would have left its mark
  EXPECT_EQ(GetFileAttributesA((folder / "late").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST(UnixCommand, PathsMapBetweenWindowsAndLinux) {
  TempDir folder("unix paths ");
  folder.Write("from windows.txt", "written by Windows");
  const UnixResult read = RunUnixCommand("cat '" + UnixPath(folder / "from windows.txt") + "'");
  EXPECT_EQ(read.output, "written by Windows");

  const UnixResult written = RunUnixCommand("printf 'from Linux' > '" + UnixPath(folder.Path()) + "/from linux.txt'");
  EXPECT_EQ(written.exitStatus, 0);
  EXPECT_EQ(ReadWholeFile(folder / "from linux.txt"), "from Linux");

  EXPECT_EQ(WindowsPathOfUnix("/usr/bin/xdotool"), "Z:\\usr\\bin\\xdotool");
  EXPECT_NE(GetFileAttributesA(WindowsPathOfUnix("/bin/sh").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_THROW(WindowsPathOfUnix("relative/path"), std::runtime_error);
}

}  // namespace

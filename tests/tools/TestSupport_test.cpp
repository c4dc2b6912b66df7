#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

#include "support/Processes.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"
#include "vcl/FileRead.h"

namespace {

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(TempDir, HoldsFilesAndIsRemovedWithAllOfThem) {
  std::string path;
  {
    TempDir folder("support test ");
    path = folder.Path();
    EXPECT_NE(path.find("support test "), std::string::npos);
    EXPECT_NE(path.back(), '\\');
    folder.MakeFolder("sub");
    EXPECT_EQ(ReadWholeFile(folder.Write("sub\\a.txt", "alpha")), "alpha");
    const std::string copy = folder.Copy(folder / "sub\\a.txt", "b.txt");
    EXPECT_EQ(ReadWholeFile(copy), "alpha");
    SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_READONLY);
    TempDir second("support test ");
    EXPECT_NE(second.Path(), path);
    EXPECT_THROW(folder.Write("no such folder\\x", "x"), std::runtime_error);
  }
  EXPECT_FALSE(Exists(path));
}

TEST(TempDir, IsKeptWhenAsked) {
  std::string path;
  _putenv_s("KEEP_TEST_DIRS", "1");
  {
    TempDir folder("support kept ");
    path = folder.Path();
    folder.Write("kept.txt", "still here");
  }
  _putenv_s("KEEP_TEST_DIRS", "");
  EXPECT_TRUE(Exists(path + "\\kept.txt"));
  EXPECT_TRUE(RemoveTree(path));
  EXPECT_FALSE(Exists(path));
}

TEST(RunProgram, GivesExitCodeOutputAndFolder) {
  TempDir folder("support run ");
  std::string big;
  for (int i = 0; big.size() < 200000; ++i) big += "line " + std::to_string(i) + "\r\n";  // more than a pipe holds
  folder.Write("big.txt", big);
  ProcessOptions captured;
  captured.captureStdout = true;
  captured.currentDir = folder.Path();

  const RunResult typed = RunProgram("cmd /c type big.txt", 60000, captured);
  EXPECT_FALSE(typed.timedOut);
  EXPECT_EQ(typed.exitCode, 0u);
  EXPECT_TRUE(typed.output == big) << "got " << typed.output.size() << " bytes of " << big.size();

  const RunResult cd = RunProgram("cmd /c cd", 60000, captured);
  EXPECT_EQ(cd.output, folder.Path() + "\r\n");

  EXPECT_EQ(RunProgram("cmd /c exit 7", 60000).exitCode, 7u);
  EXPECT_THROW(RunProgram("\"" + (folder / "missing.exe") + "\"", 60000), std::runtime_error);
}

TEST(RunProgram, EndsAProgramThatRunsPastTheBound) {
  const std::string waiting = ToolCommand("dialog_driver.exe", "--caption never --timeout-ms 60000");
  const ULONGLONG started = GetTickCount64();
  const RunResult run = RunProgram(waiting, 500);
  const ULONGLONG elapsed = GetTickCount64() - started;
  EXPECT_TRUE(run.timedOut);
  EXPECT_GE(elapsed, 500u);
  EXPECT_LT(elapsed, 20000u);

  StartedProcess later = StartedProcess::Start(waiting);
  EXPECT_FALSE(later.Wait(200));
  EXPECT_THROW(later.ExitCode(), std::logic_error);
  later.Kill();
  EXPECT_TRUE(later.Wait(0));
  EXPECT_EQ(later.ExitCode(), 1u);
}

}  // namespace

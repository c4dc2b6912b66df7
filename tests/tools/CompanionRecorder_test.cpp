#include <gtest/gtest.h>

#include <windows.h>


#include "support/CompanionRecords.h"
#include "support/Processes.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"
#include "vcl/FileRead.h"

namespace {

struct StandardHandles {
  HANDLE input = nullptr, output = nullptr, error = nullptr;
};

// One CreateProcessA call with STARTF_USESTDHANDLES, as the launcher starts its companion.
StartedProcess StartWithStdHandles(const char* applicationName, std::string commandLine, const char* currentDir,
                                   const StandardHandles& handles = {}, bool inherit = false) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = handles.input;
  startup.hStdOutput = handles.output;
  startup.hStdError = handles.error;
  PROCESS_INFORMATION started{};
  if (!CreateProcessA(applicationName, commandLine.data(), nullptr, nullptr, inherit, NORMAL_PRIORITY_CLASS, nullptr,
                      currentDir, &startup, &started))
    throw std::runtime_error("CreateProcessA failed for " + commandLine);
  return StartedProcess(started);
}

std::string CurrentDirectory() {
  char path[MAX_PATH];
  return std::string(path, GetCurrentDirectoryA(MAX_PATH, path));
}

uint64_t HandleValue(HANDLE handle) { return reinterpret_cast<uintptr_t>(handle); }

TEST(CompanionRecorder, IsAProgramOfTheWindowsSubsystem) {
  const std::string image = ReadWholeFile(ToolPath("companion_recorder.exe"));
  ASSERT_GT(image.size(), 0x40u);
  const uint32_t peHeader = *reinterpret_cast<const uint32_t*>(image.data() + 0x3C);
  const size_t subsystemAt = peHeader + 4 + sizeof(IMAGE_FILE_HEADER) + offsetof(IMAGE_OPTIONAL_HEADER, Subsystem);
  ASSERT_LT(subsystemAt + 2, image.size());
  EXPECT_EQ(*reinterpret_cast<const uint16_t*>(image.data() + subsystemAt), IMAGE_SUBSYSTEM_WINDOWS_GUI);
}

TEST(CompanionRecorder, RecordsEachStartAsItWasMade) {
  TempDir folder("companion test ");  // blanks in the path, as in "Program Files"
  TempDir elsewhere("companion cwd ");
  const std::string program = folder.Copy(ToolPath("companion_recorder.exe"), "launcha.exe");
  const std::string log = CompanionLogPath(program);

  struct Start {
    const char* how;
    const char* applicationName;
    const char* currentDir;
    std::string expectedCommandLine;
    std::string expectedCwd;
  };
  const Start starts[] = {
      // Wine puts quotes around the module it found in an unquoted path with blanks;
      // Windows would pass the line unchanged.
      {"no application name, the bare path, the starter's folder", nullptr, nullptr, "\"" + program + "\"",
       CurrentDirectory()},
      {"the path as application name too, another folder", program.c_str(), elsewhere.Path().c_str(), program,
       elsewhere.Path()},
  };
  // Wine shows null standard handles to the child as INVALID_HANDLE_VALUE.
  const uint64_t nullHandleSeen = HandleValue(INVALID_HANDLE_VALUE);

  for (size_t i = 0; i < std::size(starts); ++i) {
    SCOPED_TRACE(starts[i].how);
    const uint64_t before = SystemTimeNow();
    StartedProcess recorder = StartWithStdHandles(starts[i].applicationName, program, starts[i].currentDir);
    ASSERT_TRUE(recorder.Wait(30000));
    const uint64_t after = SystemTimeNow();
    EXPECT_EQ(recorder.ExitCode(), 0u);

    const auto records = ReadCompanionRecords(log);
    ASSERT_EQ(records.size(), i + 1);
    const CompanionRecord& record = records.back();
    EXPECT_EQ(record.commandLine, starts[i].expectedCommandLine);
    EXPECT_EQ(record.module, program);
    EXPECT_EQ(record.flags, static_cast<uint32_t>(STARTF_USESTDHANDLES));
    EXPECT_EQ(record.stdInput, nullHandleSeen);
    EXPECT_EQ(record.stdOutput, nullHandleSeen);
    EXPECT_EQ(record.stdError, nullHandleSeen);
    EXPECT_EQ(record.currentDir, starts[i].expectedCwd);
    EXPECT_GE(record.time, before);
    EXPECT_LE(record.time, after);
  }
  const auto records = ReadCompanionRecords(log);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].currentDir, starts[0].expectedCwd);  // the first record is still whole
  EXPECT_LT(records[0].time, records[1].time);
}

TEST(CompanionRecorder, RecordsTheStandardHandlesItWasGiven) {
  TempDir folder("companion handles ");
  const std::string program = folder.Copy(ToolPath("companion_recorder.exe"), "launcha.exe");
  SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
  auto open = [&](const char* name) {
    return ScopedHandle(CreateFileA((folder / name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, &inheritable,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  };
  ScopedHandle input = open("in"), output = open("out"), error = open("err");
  ASSERT_TRUE(input.Valid() && output.Valid() && error.Valid());

  StartedProcess recorder = StartWithStdHandles(nullptr, program, nullptr, {input, output, error}, true);
  ASSERT_TRUE(recorder.Wait(30000));
  const auto records = ReadCompanionRecords(CompanionLogPath(program));
  ASSERT_EQ(records.size(), 1u);
  // Inherited handles keep their values in the child.
  EXPECT_EQ(records[0].stdInput, HandleValue(input));
  EXPECT_EQ(records[0].stdOutput, HandleValue(output));
  EXPECT_EQ(records[0].stdError, HandleValue(error));
}

TEST(CompanionRecorder, AppendsWhileAnotherInstanceHoldsTheLogOpen) {
  TempDir folder("companion together ");
  const std::string program = folder.Copy(ToolPath("companion_recorder.exe"), "launcha.exe");
  // The test plays an instance that is writing at the same time, with the same access.
  ScopedHandle other(CreateFileA(CompanionLogPath(program).c_str(), FILE_APPEND_DATA,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(other.Valid());
  auto writeRecord = [&](const std::string& commandLine) {
    const std::string line = "cmdline=" + commandLine + "\tmodule=" + program +
                             "\tflags=0x0\tstdin=0x0\tstdout=0x0\tstderr=0x0\tcwd=C:\\\ttime=1\r\n";
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(other, line.data(), static_cast<DWORD>(line.size()), &written, nullptr));
  };

  writeRecord("before");
  const RunResult run = RunProgram("\"" + program + "\" between", 30000);
  EXPECT_EQ(run.exitCode, 0u);
  writeRecord("after");
  other.Reset();

  const auto records = ReadCompanionRecords(CompanionLogPath(program));
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].commandLine, "before");
  EXPECT_EQ(records[1].commandLine, "\"" + program + "\" between");
  EXPECT_EQ(records[2].commandLine, "after");
}

TEST(CompanionRecorder, FailsWhenItCannotWriteItsLog) {
  TempDir folder("companion blocked ");
  const std::string program = folder.Copy(ToolPath("companion_recorder.exe"), "launcha.exe");
  folder.MakeFolder("launcha.exe.log");  // a folder where the log should go
  const RunResult run = RunProgram("\"" + program + "\"", 30000);
  ASSERT_FALSE(run.timedOut);
  EXPECT_EQ(run.exitCode, 1u);
}

TEST(CompanionRecords, ParsingTakesTabsInTheCommandLineAndRejectsBrokenLines) {
  const CompanionRecord record = ParseCompanionRecord(
      "cmdline=C:\\a b\\x.exe one\ttwo\tmodule=C:\\a b\\x.exe\tflags=0x100\tstdin=0xffffffff\tstdout=0x0\t"
      "stderr=0x1c\tcwd=C:\\\ttime=133000000000000000");
  EXPECT_EQ(record.commandLine, "C:\\a b\\x.exe one\ttwo");
  EXPECT_EQ(record.module, "C:\\a b\\x.exe");
  EXPECT_EQ(record.flags, 0x100u);
  EXPECT_EQ(record.stdInput, 0xffffffffu);
  EXPECT_EQ(record.stdOutput, 0u);
  EXPECT_EQ(record.stdError, 0x1cu);
  EXPECT_EQ(record.currentDir, "C:\\");
  EXPECT_EQ(record.time, 133000000000000000u);

  const char* const broken[] = {
      "",
      "cmdline=x\tmodule=x\tflags=0x0\tstdin=0x0\tstdout=0x0\tstderr=0x0\tcwd=C:\\",              // no time
      "cmdline=x\tmodule=x\tflags=256\tstdin=0x0\tstdout=0x0\tstderr=0x0\tcwd=C:\\\ttime=1",      // flags not hex
      "cmdline=x\tmodule=x\tflags=0x0\tstdin=0x0\tstdout=0x0\tstderr=0x0\tcwd=C:\\\ttime=-1",     // negative time
      "cmdline=x\tmodule=x\tflags=0x0\tstdin=0x0\tstdout=0x0\tstderr=0x0\tcwd=C:\\\ttime=1 ",     // trailing blank
      "cmdline=x\tmodule=x\tflags=0x0\tstdout=0x0\tstdin=0x0\tstderr=0x0\tcwd=C:\\\ttime=1",      // fields swapped
      "cmdline=x\tmodule=x\tflags=0x1ffffffff\tstdin=0x0\tstdout=0x0\tstderr=0x0\tcwd=C:\\\ttime=1",  // too big
  };
  for (const char* line : broken) EXPECT_THROW(ParseCompanionRecord(line), std::runtime_error) << line;
}

}  // namespace

#include "TestPaths.h"

#include <windows.h>

#include <stdexcept>

std::string TestProgramFolder() {
  char path[MAX_PATH * 4];
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length == sizeof path) throw std::runtime_error("cannot find the running program's path");
  const std::string program(path, length);
  return program.substr(0, program.rfind('\\'));
}

std::string ToolPath(const std::string& fileName) {
  const std::string path = TestProgramFolder() + "\\" + fileName;
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
    throw std::runtime_error(fileName + " is not built beside the test program: " + path);
  return path;
}

std::string ToolCommand(const std::string& fileName, const std::string& arguments) {
  std::string command = "\"";
  command += ToolPath(fileName);
  command += '"';
  if (!arguments.empty()) command += " " + arguments;
  return command;
}

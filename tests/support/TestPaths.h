// Where the built tools are: beside the test programs, in the build's bin folder.
#pragma once

#include <string>

// The folder of the running program, without a trailing backslash.
std::string TestProgramFolder();

// TestProgramFolder() + "\" + fileName; throws std::runtime_error when it is not there.
std::string ToolPath(const std::string& fileName);

// A command line that starts the tool: its quoted path, then a blank and the arguments.
std::string ToolCommand(const std::string& fileName, const std::string& arguments = "");

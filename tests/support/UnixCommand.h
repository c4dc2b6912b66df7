// Running a Linux command from inside Wine, as a user at the machine would run xdotool
// or import. Wine starts a Unix program from CreateProcess but neither waits for it nor
// reports its exit status, so the command runs under /bin/sh with its status, stdout and
// stderr written to files, and the files are polled.
#pragma once

#include <windows.h>

#include <string>

struct UnixResult {
  bool timedOut = false;  // still running after the bound; it was then killed
  int exitStatus = -1;    // the shell's $? after the command (-1 when timed out)
  std::string output;     // stdout (as far as it got)
  std::string errors;     // stderr
};

// Runs `command` with /bin/sh in a session of its own, standard input empty.
UnixResult RunUnixCommand(const std::string& command, DWORD timeoutMs = 30000);

// The Linux path of a Windows path (through Wine's drive mapping); throws
// std::runtime_error outside Wine.
std::string UnixPath(const std::string& windowsPath);

// The Windows path of an absolute Linux path: /a/b is Z:\a\b.
std::string WindowsPathOfUnix(const std::string& unixPath);

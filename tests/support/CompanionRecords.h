// Reading what the companion recorder wrote: one record per start, in the order of starts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CompanionRecord {
  std::string commandLine;  // GetCommandLineA, exactly
  std::string module;       // GetModuleFileNameA
  uint32_t flags = 0;       // STARTUPINFO.dwFlags
  uint64_t stdInput = 0, stdOutput = 0, stdError = 0;  // the handle values as received
  std::string currentDir;
  uint64_t time = 0;        // GetSystemTimeAsFileTime at its start, 100 ns units
};

// "<program path>.log": where a copy of the recorder at that path writes.
std::string CompanionLogPath(const std::string& programPath);

// Every record of the log; none when the log does not exist. Throws std::runtime_error
// naming the line for a line that is no record.
std::vector<CompanionRecord> ReadCompanionRecords(const std::string& logPath);

// One line, without its line end.
CompanionRecord ParseCompanionRecord(const std::string& line);

// The clock the recorder reads, for bounds around a start.
uint64_t SystemTimeNow();

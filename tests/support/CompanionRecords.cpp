#include "CompanionRecords.h"

#include <windows.h>

#include <stdexcept>

#include "common/ScopedHandle.h"

namespace {

std::runtime_error BadValue(const char* key, const std::string& text) {
  return std::runtime_error(std::string("bad ") + key + " value \"" + text + "\"");
}

uint64_t Number(const std::string& text, int base, const char* key) {
  const char* digits = base == 16 ? "0123456789abcdefABCDEF" : "0123456789";
  if (text.empty() || text.find_first_not_of(digits) != std::string::npos) throw BadValue(key, text);
  try {
    return std::stoull(text, nullptr, base);
  } catch (const std::out_of_range&) {
    throw BadValue(key, text);
  }
}

uint64_t Hex(const std::string& text, const char* key) {
  if (text.rfind("0x", 0) != 0) throw BadValue(key, text);
  return Number(text.substr(2), 16, key);
}

}  // namespace

std::string CompanionLogPath(const std::string& programPath) { return programPath + ".log"; }

CompanionRecord ParseCompanionRecord(const std::string& line) {
  // The fields after the command line hold no tabs (paths cannot), so they are split off
  // from the right and whatever is left, tabs included, is the command line.
  static const char* const kKeys[] = {"cmdline", "module", "flags", "stdin", "stdout", "stderr", "cwd", "time"};
  constexpr int kCount = sizeof kKeys / sizeof kKeys[0];
  std::string values[kCount];
  std::string rest = line;
  for (int i = kCount - 1; i >= 0; --i) {
    const size_t tab = i > 0 ? rest.rfind('\t') : std::string::npos;
    if (i > 0 && tab == std::string::npos) throw std::runtime_error("too few fields");
    std::string field = i > 0 ? rest.substr(tab + 1) : rest;
    const std::string prefix = std::string(kKeys[i]) + "=";
    if (field.rfind(prefix, 0) != 0) throw std::runtime_error("expected " + prefix + " in \"" + field + "\"");
    values[i] = field.substr(prefix.size());
    if (i > 0) rest.resize(tab);
  }
  CompanionRecord record;
  record.commandLine = values[0];
  record.module = values[1];
  const uint64_t flags = Hex(values[2], "flags");
  if (flags > UINT32_MAX) throw BadValue("flags", values[2]);
  record.flags = static_cast<uint32_t>(flags);
  record.stdInput = Hex(values[3], "stdin");
  record.stdOutput = Hex(values[4], "stdout");
  record.stdError = Hex(values[5], "stderr");
  record.currentDir = values[6];
  record.time = Number(values[7], 10, "time");
  return record;
}

namespace {

// The log as it is now, read while a companion may be appending to it; up to the last
// whole line, so that a record being written is not taken for a broken one.
std::string ReadWholeLines(const std::string& path) {
  ScopedHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) throw std::runtime_error("cannot read " + path);
  std::string text;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) text.append(chunk, read);
  const size_t lastLineEnd = text.find_last_of('\n');
  text.erase(lastLineEnd == std::string::npos ? 0 : lastLineEnd + 1);
  return text;
}

}  // namespace

std::vector<CompanionRecord> ReadCompanionRecords(const std::string& logPath) {
  std::vector<CompanionRecord> records;
  if (GetFileAttributesA(logPath.c_str()) == INVALID_FILE_ATTRIBUTES) return records;
  const std::string text = ReadWholeLines(logPath);
  size_t start = 0;
  for (int number = 1; start < text.size(); ++number) {
    const size_t end = text.find('\n', start);  // every line read ends in one
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    try {
      records.push_back(ParseCompanionRecord(line));
    } catch (const std::runtime_error& error) {
      throw std::runtime_error(logPath + ": line " + std::to_string(number) + ": " + error.what());
    }
    start = end + 1;
  }
  return records;
}

uint64_t SystemTimeNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return (static_cast<uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

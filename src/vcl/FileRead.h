// Reading a whole file as the class library's file streams open it for reading:
// read access, others may read but not write.
#pragma once

#include <string>

// The file's bytes. Raises EFOpenError ("Cannot open file \"<name>\". <reason>") when
// the file cannot be opened, for instance while another program holds it open for writing.
std::string ReadWholeFile(const std::string& fileName);

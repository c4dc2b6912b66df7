// formconv <input.txt> <output.bin>: converts a form's text description into the binary
// form stream. Errors go to stderr, with the input's name and the line; exit status 1.
#include "vcl/FormStream.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

namespace {

bool ReadFile(const char* name, std::string& bytes) {
  std::ifstream in(name, std::ios::binary);
  if (!in) return false;
  std::ostringstream content;
  content << in.rdbuf();
  bytes = content.str();
  return !in.bad();
}

bool WriteFile(const char* name, const std::string& bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: formconv <input.txt> <output.bin>\n";
    return 1;
  }
  const char* input = argv[1];
  const char* output = argv[2];
  std::string text;
  if (!ReadFile(input, text)) {
    std::cerr << input << ": cannot be read\n";
    return 1;
  }
  std::string stream;
  try {
    stream = WriteFormBinary(ParseFormText(text));
  } catch (const Exception& e) {
    std::cerr << input << ": " << e.Message() << '\n';
    return 1;
  }
  if (!WriteFile(output, stream)) {
    std::remove(output);
    std::cerr << output << ": cannot be written\n";
    return 1;
  }
  return 0;
}

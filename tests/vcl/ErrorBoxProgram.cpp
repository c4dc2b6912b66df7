// A program whose conversion error nothing catches but its last guard, which reports it
// through the application object's error box and ends with exit status 1.
#include "vcl/Forms.h"
#include "vcl/SysUtils.h"

int main() {
  try {
    return StrToInt("12x");
  } catch (const std::exception& error) {
    Application->ShowException(error);
    return 1;
  }
}

// Exceptions and string conversion of the class library.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

// Base of every error the class library raises: a message and the class's name.
class Exception : public std::runtime_error {
public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
  virtual const char* ClassName() const { return "Exception"; }
};

#define VCL_EXCEPTION(Name, Base)                                            \
  class Name : public Base {                                                 \
  public:                                                                    \
    using Base::Base;                                                        \
    const char* ClassName() const override { return #Name; }                 \
  }

VCL_EXCEPTION(EConvertError, Exception);       // a text that is no valid number
VCL_EXCEPTION(EFOpenError, Exception);         // a file that cannot be opened
VCL_EXCEPTION(EInvalidGraphic, Exception);     // a picture file of no known format
VCL_EXCEPTION(ERegistryException, Exception);  // a registry value of the wrong type, or unreadable
VCL_EXCEPTION(EReadError, Exception);          // a malformed form description
VCL_EXCEPTION(EInvalidOperation, Exception);   // a control used in a state that does not allow it
VCL_EXCEPTION(EListError, Exception);          // a list index out of bounds

// Decimal with an optional sign, or hexadecimal after "$", "x", "X", "0x" or "0X"
// (one to eight digits, 32 bits taken as signed), after any leading blanks.
// Nothing may follow the digits.
bool TryStrToInt(const std::string& text, int32_t& value);

// As TryStrToInt; raises EConvertError "'<text>' is not a valid integer value".
int32_t StrToInt(const std::string& text);

// A test program that faults ends at once with the fault on stderr, instead of waiting
// under Wine for its crash dialog to be closed until the test's time runs out.
#include <windows.h>

#include <cstdio>

namespace {

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) {
  const EXCEPTION_RECORD& record = *info->ExceptionRecord;
  std::fprintf(stderr, "crashed: exception 0x%08lX at %p\n", record.ExceptionCode, record.ExceptionAddress);
  std::fflush(stderr);
  TerminateProcess(GetCurrentProcess(), record.ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

const LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(ReportCrash);

}  // namespace

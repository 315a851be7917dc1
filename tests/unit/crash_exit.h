#ifndef LITE_TESTS_UNIT_CRASH_EXIT_H_
#define LITE_TESTS_UNIT_CRASH_EXIT_H_

#include <windows.h>

#include <cstdio>

namespace lite {

// Wine's crash debugger lets a crashed program end with exit code 0, so a
// crashing test executable would count as passed. Report the crash and end
// with the exception code instead.
inline LONG WINAPI ExitOnUnhandledException(EXCEPTION_POINTERS* info) {
  const DWORD code = info->ExceptionRecord->ExceptionCode;
  std::fprintf(stderr, "\nUnhandled exception 0x%08lx at %p\n", static_cast<unsigned long>(code),
               info->ExceptionRecord->ExceptionAddress);
  std::fflush(stderr);
  std::fflush(stdout);
  ::TerminateProcess(::GetCurrentProcess(), code);
  return EXCEPTION_EXECUTE_HANDLER;
}

inline void ExitOnCrash() {
  ::SetUnhandledExceptionFilter(&ExitOnUnhandledException);
}

}  // namespace lite

#endif  // LITE_TESTS_UNIT_CRASH_EXIT_H_

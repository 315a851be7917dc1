#ifndef LITE_CRASH_FILE_IO_WIN_H_
#define LITE_CRASH_FILE_IO_WIN_H_

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace lite {

// File reads, writes and seeks for the dump and its upload. Failures are
// logged with the call's name ("ReadFile", "WriteFile",
// "SetFilePointerEx") and the system error.

// The count read (less than |size| only at the end), or -1.
int64_t ReadFileUpTo(HANDLE file, void* data, size_t size);
// All of |size| bytes, or false.
bool ReadFileExactly(HANDLE file, void* data, size_t size);
bool WriteFileExactly(HANDLE file, const void* data, size_t size);
bool SeekFile(HANDLE file, int64_t offset);

}  // namespace lite

#endif  // LITE_CRASH_FILE_IO_WIN_H_

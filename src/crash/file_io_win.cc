#include "crash/file_io_win.h"

#include <algorithm>

#include "logging/log_record.h"

namespace lite {
namespace {

// ReadFile and WriteFile count in DWORDs.
constexpr size_t kMaxTransfer = 0x7fffffff;

}  // namespace

int64_t ReadFileUpTo(HANDLE file, void* data, size_t size) {
  uint8_t* bytes = static_cast<uint8_t*>(data);
  size_t total = 0;
  while (total < size) {
    DWORD read = 0;
    const DWORD chunk = static_cast<DWORD>(std::min(size - total, kMaxTransfer));
    if (!::ReadFile(file, bytes + total, chunk, &read, nullptr)) {
      PLOG(ERROR, "ReadFile") << "ReadFile";
      return -1;
    }
    if (read == 0) break;
    total += read;
  }
  return static_cast<int64_t>(total);
}

bool ReadFileExactly(HANDLE file, void* data, size_t size) {
  return ReadFileUpTo(file, data, size) == static_cast<int64_t>(size);
}

bool WriteFileExactly(HANDLE file, const void* data, size_t size) {
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  size_t total = 0;
  while (total < size) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(std::min(size - total, kMaxTransfer));
    if (!::WriteFile(file, bytes + total, chunk, &written, nullptr) || written == 0) {
      PLOG(ERROR, "WriteFile") << "WriteFile";
      return false;
    }
    total += written;
  }
  return true;
}

bool SeekFile(HANDLE file, int64_t offset) {
  LARGE_INTEGER distance;
  distance.QuadPart = offset;
  if (!::SetFilePointerEx(file, distance, nullptr, FILE_BEGIN)) {
    PLOG(ERROR, "SetFilePointerEx") << "SetFilePointerEx";
    return false;
  }
  return true;
}

}  // namespace lite

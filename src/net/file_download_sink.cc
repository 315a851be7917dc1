#include "net/file_download_sink.h"

namespace lite {

bool FileDownloadSink::Write(const uint8_t* bytes, uint32_t count) {
  DWORD written = 0;
  // A partial write leaves the file longer than the size says; the next
  // Reset or resume works from the size, so only whole writes count.
  if (!::WriteFile(file_, bytes, count, &written, nullptr) || written != count) return false;
  size_ += count;
  return true;
}

bool FileDownloadSink::Reset() {
  ::SetFilePointer(file_, 0, nullptr, FILE_BEGIN);
  const bool truncated = ::SetEndOfFile(file_) != FALSE;
  size_ = 0;
  return truncated;
}

}  // namespace lite

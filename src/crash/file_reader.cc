#include "crash/file_reader.h"

#include "crash/file_io_win.h"
#include "logging/log_record.h"

namespace lite {

bool FileReader::Open(const std::wstring& path) {
  file_.reset(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file_.is_valid()) {
    PLOG(ERROR, "FileReader::Open") << "CreateFileW " << path;
    return false;
  }
  return true;
}

int64_t FileReader::Read(void* data, size_t size) {
  if (!file_.is_valid()) return -1;
  return ReadFileUpTo(file_.get(), data, size);
}

}  // namespace lite

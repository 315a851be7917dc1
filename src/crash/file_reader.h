#ifndef LITE_CRASH_FILE_READER_H_
#define LITE_CRASH_FILE_READER_H_

#include <string>

#include "base/scoped_handle.h"
#include "crash/file_reader_interface.h"

namespace lite {

// Reads a file from its start; others may read and write it meanwhile.
class FileReader : public FileReaderInterface {
 public:
  FileReader() = default;
  // False (logged) when the file cannot be opened.
  bool Open(const std::wstring& path);
  int64_t Read(void* data, size_t size) override;
  void Close() { file_.reset(); }

 private:
  ScopedHandle file_;
};

}  // namespace lite

#endif  // LITE_CRASH_FILE_READER_H_

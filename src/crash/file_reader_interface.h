#ifndef LITE_CRASH_FILE_READER_INTERFACE_H_
#define LITE_CRASH_FILE_READER_INTERFACE_H_

#include <cstddef>
#include <cstdint>

namespace lite {

// Sequential reads from an open file (or anything that reads like one).
class FileReaderInterface {
 public:
  virtual ~FileReaderInterface() = default;
  // The count read, 0 at the end, -1 on error.
  virtual int64_t Read(void* data, size_t size) = 0;
};

}  // namespace lite

#endif  // LITE_CRASH_FILE_READER_INTERFACE_H_

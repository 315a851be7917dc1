#ifndef LITE_TESTS_COMMON_STRING_FILE_READER_H_
#define LITE_TESTS_COMMON_STRING_FILE_READER_H_

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "crash/file_reader_interface.h"

namespace lite {

// A dump's bytes from memory, for the body streams under test.
class StringFileReader : public FileReaderInterface {
 public:
  explicit StringFileReader(std::string data) : data_(std::move(data)) {}
  int64_t Read(void* data, size_t size) override {
    const size_t count = std::min(size, data_.size() - position_);
    std::memcpy(data, data_.data() + position_, count);
    position_ += count;
    return static_cast<int64_t>(count);
  }

 private:
  std::string data_;
  size_t position_ = 0;
};

}  // namespace lite

#endif  // LITE_TESTS_COMMON_STRING_FILE_READER_H_

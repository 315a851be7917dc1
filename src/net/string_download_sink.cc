#include "net/string_download_sink.h"

#include <new>
#include <utility>

namespace lite {

bool StringDownloadSink::Write(const uint8_t* bytes, uint32_t count) {
  if (count > size_limit_ - size_) {
    over_limit_ = true;
    return false;
  }
  try {
    data_.append(reinterpret_cast<const char*>(bytes), count);
  } catch (const std::bad_alloc&) {
    return false;
  }
  size_ += count;
  return true;
}

bool StringDownloadSink::Reset() {
  data_.clear();
  size_ = 0;
  over_limit_ = false;
  return true;
}

std::string StringDownloadSink::TakeData() {
  std::string data = std::move(data_);
  Reset();
  return data;
}

}  // namespace lite

#include "net/string_download_sink.h"

#include <utility>

namespace lite {

bool StringDownloadSink::Write(const uint8_t* bytes, uint32_t count) {
  data_.append(reinterpret_cast<const char*>(bytes), count);
  size_ += count;
  return true;
}

bool StringDownloadSink::Reset() {
  data_.clear();
  size_ = 0;
  return true;
}

std::string StringDownloadSink::TakeData() {
  std::string data = std::move(data_);
  data_.clear();
  size_ = 0;
  return data;
}

}  // namespace lite

#include "crash/string_http_body_stream.h"

#include <algorithm>
#include <cstring>

namespace lite {

int64_t StringHttpBodyStream::GetBytesBuffer(uint8_t* buffer, size_t max_size) {
  const size_t count = std::min(max_size, data_.size() - position_);
  if (count) std::memcpy(buffer, data_.data() + position_, count);
  position_ += count;
  return static_cast<int64_t>(count);
}

}  // namespace lite

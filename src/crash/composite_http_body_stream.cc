#include "crash/composite_http_body_stream.h"

namespace lite {

int64_t CompositeHttpBodyStream::GetBytesBuffer(uint8_t* buffer, size_t max_size) {
  // Fills as much of the buffer as the parts allow, so that a short part
  // never makes a short chunk on the wire.
  size_t filled = 0;
  while (filled < max_size && current_ < parts_.size()) {
    const int64_t count = parts_[current_]->GetBytesBuffer(buffer + filled, max_size - filled);
    if (count < 0) return -1;
    if (count == 0) {
      ++current_;
      continue;
    }
    filled += static_cast<size_t>(count);
  }
  return static_cast<int64_t>(filled);
}

}  // namespace lite

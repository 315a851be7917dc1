#include "crash/file_reader_http_body_stream.h"

namespace lite {

int64_t FileReaderHttpBodyStream::GetBytesBuffer(uint8_t* buffer, size_t max_size) {
  if (at_end_ || max_size == 0) return 0;
  const int64_t count = reader_->Read(buffer, max_size);
  if (count == 0) at_end_ = true;
  return count < 0 ? -1 : count;
}

}  // namespace lite

#include "crash/http_body_sender.h"

#include <cstdio>
#include <memory>

namespace lite {

// static
std::string HttpBodySender::FrameChunk(const uint8_t* data, size_t size) {
  char length[20];
  std::snprintf(length, sizeof(length), "%zx\r\n", size);
  std::string chunk = length;
  chunk.append(reinterpret_cast<const char*>(data), size);
  return chunk + "\r\n";
}

// static
bool HttpBodySender::Send(HttpBodyStream* body, bool chunked, const WriteFunction& write) {
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[kReadSize]);
  for (;;) {
    const int64_t count = body->GetBytesBuffer(buffer.get(), kReadSize);
    if (count < 0) return false;
    const size_t size = static_cast<size_t>(count);
    if (chunked) {
      if (!write(FrameChunk(buffer.get(), size))) return false;
    } else if (size > 0 && !write(std::string(reinterpret_cast<const char*>(buffer.get()), size))) {
      return false;
    }
    if (count == 0) return true;
  }
}

}  // namespace lite

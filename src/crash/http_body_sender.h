#ifndef LITE_CRASH_HTTP_BODY_SENDER_H_
#define LITE_CRASH_HTTP_BODY_SENDER_H_

#include <cstddef>
#include <functional>
#include <string>

#include "crash/http_body_stream.h"

namespace lite {

// Reads a body stream to its end and hands it to |write| in pieces of at
// most kReadSize bytes, each framed as one HTTP chunk when |chunked|, with
// the zero-size last chunk at the end. False when a read or a write fails.
class HttpBodySender {
 public:
  static constexpr size_t kReadSize = 32768;
  using WriteFunction = std::function<bool(const std::string& bytes)>;

  static bool Send(HttpBodyStream* body, bool chunked, const WriteFunction& write);
  // Lower-case hex size without leading zeros, CRLF, the bytes, CRLF.
  static std::string FrameChunk(const uint8_t* data, size_t size);
};

}  // namespace lite

#endif  // LITE_CRASH_HTTP_BODY_SENDER_H_

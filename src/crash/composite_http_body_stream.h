#ifndef LITE_CRASH_COMPOSITE_HTTP_BODY_STREAM_H_
#define LITE_CRASH_COMPOSITE_HTTP_BODY_STREAM_H_

#include <memory>
#include <vector>

#include "crash/http_body_stream.h"

namespace lite {

// Its parts one after the other.
class CompositeHttpBodyStream : public HttpBodyStream {
 public:
  explicit CompositeHttpBodyStream(std::vector<std::unique_ptr<HttpBodyStream>> parts)
      : parts_(std::move(parts)) {}
  int64_t GetBytesBuffer(uint8_t* buffer, size_t max_size) override;

 private:
  std::vector<std::unique_ptr<HttpBodyStream>> parts_;
  size_t current_ = 0;
};

}  // namespace lite

#endif  // LITE_CRASH_COMPOSITE_HTTP_BODY_STREAM_H_

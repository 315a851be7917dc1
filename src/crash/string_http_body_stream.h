#ifndef LITE_CRASH_STRING_HTTP_BODY_STREAM_H_
#define LITE_CRASH_STRING_HTTP_BODY_STREAM_H_

#include <string>

#include "crash/http_body_stream.h"

namespace lite {

// A body part held in memory: the multipart headers and form fields.
class StringHttpBodyStream : public HttpBodyStream {
 public:
  explicit StringHttpBodyStream(std::string data) : data_(std::move(data)) {}
  int64_t GetBytesBuffer(uint8_t* buffer, size_t max_size) override;

 private:
  const std::string data_;
  size_t position_ = 0;
};

}  // namespace lite

#endif  // LITE_CRASH_STRING_HTTP_BODY_STREAM_H_

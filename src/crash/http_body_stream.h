#ifndef LITE_CRASH_HTTP_BODY_STREAM_H_
#define LITE_CRASH_HTTP_BODY_STREAM_H_

#include <cstddef>
#include <cstdint>

namespace lite {

// A request body produced piece by piece, so that a dump of any size is
// sent without being held in memory.
class HttpBodyStream {
 public:
  virtual ~HttpBodyStream() = default;
  // Places up to |max_size| bytes in |buffer|: the count, 0 at the end, -1
  // on error.
  virtual int64_t GetBytesBuffer(uint8_t* buffer, size_t max_size) = 0;
};

}  // namespace lite

#endif  // LITE_CRASH_HTTP_BODY_STREAM_H_

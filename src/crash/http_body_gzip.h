#ifndef LITE_CRASH_HTTP_BODY_GZIP_H_
#define LITE_CRASH_HTTP_BODY_GZIP_H_

#include <memory>

#include "crash/http_body_stream.h"

namespace lite {

// Compresses another body stream into gzip format as it is read.
class GzipBodyStream : public HttpBodyStream {
 public:
  explicit GzipBodyStream(std::unique_ptr<HttpBodyStream> source);
  GzipBodyStream(const GzipBodyStream&) = delete;
  GzipBodyStream& operator=(const GzipBodyStream&) = delete;
  ~GzipBodyStream() override;

  int64_t GetBytesBuffer(uint8_t* buffer, size_t max_size) override;

 private:
  enum class State { kNotStarted, kWorking, kInputEnded, kFinished, kError };
  static constexpr size_t kInputSize = 4096;

  // Ends the deflate state; false (logged) when zlib reports an error.
  bool EndDeflate();

  std::unique_ptr<HttpBodyStream> source_;
  struct ZStream;
  std::unique_ptr<ZStream> z_;
  std::unique_ptr<uint8_t[]> input_;
  State state_ = State::kNotStarted;
};

}  // namespace lite

#endif  // LITE_CRASH_HTTP_BODY_GZIP_H_

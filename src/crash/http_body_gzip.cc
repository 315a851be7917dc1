#include "crash/http_body_gzip.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

#include "logging/log_record.h"

namespace lite {
namespace {

constexpr char kFunction[] = "GzipBodyStream";
// 15 window bits plus 16: the gzip wrapper instead of zlib's.
constexpr int kGzipWindowBits = 15 + 16;
constexpr int kMemoryLevel = 8;

const char* ZlibMessage(const z_stream& z) {
  return z.msg ? z.msg : "";
}

}  // namespace

struct GzipBodyStream::ZStream {
  z_stream z = {};
};

GzipBodyStream::GzipBodyStream(std::unique_ptr<HttpBodyStream> source)
    : source_(std::move(source)), z_(new ZStream), input_(new uint8_t[kInputSize]) {}

GzipBodyStream::~GzipBodyStream() {
  if (state_ == State::kWorking || state_ == State::kInputEnded) deflateEnd(&z_->z);
}

bool GzipBodyStream::EndDeflate() {
  const int result = deflateEnd(&z_->z);
  if (result != Z_OK) {
    LOG(ERROR, kFunction) << "deflateEnd: " << ZlibMessage(z_->z) << " (" << result << ")";
    return false;
  }
  return true;
}

int64_t GzipBodyStream::GetBytesBuffer(uint8_t* buffer, size_t max_size) {
  z_stream& z = z_->z;
  if (state_ == State::kNotStarted) {
    const int result = deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindowBits,
                                    kMemoryLevel, Z_DEFAULT_STRATEGY);
    if (result != Z_OK) {
      LOG(ERROR, kFunction) << "deflateInit2: " << ZlibMessage(z) << " (" << result << ")";
      state_ = State::kError;
      return -1;
    }
    state_ = State::kWorking;
  }
  if (state_ == State::kFinished) return 0;
  if (state_ == State::kError) return -1;

  // zlib counts in uInt; a larger buffer is filled in part.
  const size_t size = std::min<size_t>(max_size, std::numeric_limits<uInt>::max());
  z.next_out = buffer;
  z.avail_out = static_cast<uInt>(size);
  while (z.avail_out > 0 && state_ != State::kFinished) {
    if (state_ == State::kWorking && z.avail_in == 0) {
      const int64_t count = source_->GetBytesBuffer(input_.get(), kInputSize);
      if (count < 0) {
        state_ = State::kError;
        deflateEnd(&z);
        return -1;
      }
      if (count == 0) state_ = State::kInputEnded;
      z.next_in = input_.get();
      z.avail_in = static_cast<uInt>(count);
    }
    const int result = deflate(&z, state_ == State::kInputEnded ? Z_FINISH : Z_NO_FLUSH);
    if (result == Z_STREAM_END) {
      if (!EndDeflate()) {
        state_ = State::kError;
        return -1;
      }
      state_ = State::kFinished;
    } else if (result != Z_OK && result != Z_BUF_ERROR) {
      LOG(ERROR, kFunction) << "deflate: " << ZlibMessage(z) << " (" << result << ")";
      state_ = State::kError;
      deflateEnd(&z);
      return -1;
    }
  }
  return static_cast<int64_t>(size - z.avail_out);
}

}  // namespace lite

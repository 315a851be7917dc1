#ifndef LITE_NET_DOWNLOAD_SINK_H_
#define LITE_NET_DOWNLOAD_SINK_H_

#include <cstdint>

namespace lite {

// Where downloaded bytes go. A download resumes at size().
class DownloadSink {
 public:
  // True only if all |count| bytes were stored; the size then grows by
  // |count|.
  virtual bool Write(const uint8_t* bytes, uint32_t count) = 0;
  // Discards everything stored; the size becomes 0.
  virtual bool Reset() = 0;
  // Whether the last failed Write passed a limit on the body's size.
  virtual bool IsOverLimit() const { return false; }
  virtual ~DownloadSink() = default;

  uint32_t size() const { return size_; }
  // For owners that hand over a sink already holding bytes.
  void set_size(uint32_t size) { size_ = size; }

 protected:
  uint32_t size_ = 0;
};

}  // namespace lite

#endif  // LITE_NET_DOWNLOAD_SINK_H_

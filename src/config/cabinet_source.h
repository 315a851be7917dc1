#ifndef LITE_CONFIG_CABINET_SOURCE_H_
#define LITE_CONFIG_CABINET_SOURCE_H_

#include <cstddef>
#include <cstdint>

namespace lite {

// A cabinet held in memory, read through the decompressor's file
// callbacks. Bounds are checked here: the cabinet bytes are input.
class CabinetSource {
 public:
  CabinetSource(const uint8_t* data, uint32_t size) : data_(data), size_(size) {}

  const uint8_t* data() const { return data_; }
  uint32_t size() const { return size_; }

 private:
  const uint8_t* data_;
  uint32_t size_;
};

// One open handle on a CabinetSource.
class CabinetReader {
 public:
  explicit CabinetReader(const CabinetSource* source) : source_(source) {}

  // Copies up to |count| bytes from the position; returns the number copied.
  uint32_t Read(void* buffer, uint32_t count);
  // origin 0: from the start, 1: from the position, 2: from the end; any
  // other origin counts as 0 from the start. Returns the new position, or
  // -1 (position unchanged) when it would leave the cabinet.
  long Seek(long offset, int origin);
  uint32_t position() const { return position_; }

 private:
  const CabinetSource* source_;
  uint32_t position_ = 0;
};

}  // namespace lite

#endif  // LITE_CONFIG_CABINET_SOURCE_H_

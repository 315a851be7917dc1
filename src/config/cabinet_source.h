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

}  // namespace lite

#endif  // LITE_CONFIG_CABINET_SOURCE_H_

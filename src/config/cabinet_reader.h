#ifndef LITE_CONFIG_CABINET_READER_H_
#define LITE_CONFIG_CABINET_READER_H_

#include <cstdint>

#include "config/cabinet_source.h"

namespace lite {

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

#endif  // LITE_CONFIG_CABINET_READER_H_

#include "config/cabinet_reader.h"

#include <cstring>

namespace lite {

uint32_t CabinetReader::Read(void* buffer, uint32_t count) {
  const uint32_t available = source_->size() - position_;
  const uint32_t copied = count < available ? count : available;
  if (copied) std::memcpy(buffer, source_->data() + position_, copied);
  position_ += copied;
  return copied;
}

long CabinetReader::Seek(long offset, int origin) {
  int64_t base = 0;
  if (origin == 1) base = position_;
  if (origin == 2) base = source_->size();
  if (origin < 0 || origin > 2) offset = 0;
  const int64_t target = base + offset;
  if (target < 0 || target > static_cast<int64_t>(source_->size())) return -1;
  position_ = static_cast<uint32_t>(target);
  return static_cast<long>(target);
}

}  // namespace lite

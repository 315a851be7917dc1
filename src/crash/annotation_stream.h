#ifndef LITE_CRASH_ANNOTATION_STREAM_H_
#define LITE_CRASH_ANNOTATION_STREAM_H_

#include <array>
#include <cstdint>
#include <map>
#include <string>

namespace lite {

using CrashAnnotations = std::map<std::string, std::string>;
// A GUID's 16 bytes in memory order.
using GuidBytes = std::array<uint8_t, 16>;

// The minidump user stream that carries the report's annotations, and the
// rewrite of its locations into absolute positions in the dump file.
class AnnotationStream {
 public:
  static constexpr uint32_t kStreamType = 0x43500001;
  static constexpr uint32_t kVersion = 1;
  // The head before the annotation count; the annotations location inside
  // the stream as it is handed to the system.
  static constexpr uint32_t kHeadSize = 52;
  static constexpr uint32_t kAnnotationsLocationOffset = 40;
  static constexpr uint32_t kEntrySize = 8;

  // The stream bytes: locations relative to the stream (annotations) and
  // to the string area (entries).
  static std::string Build(const GuidBytes& report_id, const GuidBytes& client_id,
                           const CrashAnnotations& annotations);
  // Adds |base| to each key and value location in |entries| (8 bytes an
  // entry, little-endian).
  static void RelocateEntries(uint8_t* entries, uint32_t count, uint32_t base);
};

void PutUint32(uint8_t* bytes, uint32_t value);
uint32_t GetUint32(const uint8_t* bytes);

}  // namespace lite

#endif  // LITE_CRASH_ANNOTATION_STREAM_H_

#include "crash/annotation_stream.h"

namespace lite {
namespace {

void AppendUint32(std::string* out, uint32_t value) {
  uint8_t bytes[4];
  PutUint32(bytes, value);
  out->append(reinterpret_cast<const char*>(bytes), sizeof(bytes));
}

void AppendString(std::string* out, const std::string& text) {
  AppendUint32(out, static_cast<uint32_t>(text.size()));
  out->append(text);
  out->push_back('\0');
}

// Length field, bytes and terminator.
uint32_t StringRecordSize(const std::string& text) {
  return static_cast<uint32_t>(4 + text.size() + 1);
}

}  // namespace

void PutUint32(uint8_t* bytes, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetUint32(const uint8_t* bytes) {
  return static_cast<uint32_t>(bytes[0]) | static_cast<uint32_t>(bytes[1]) << 8 |
         static_cast<uint32_t>(bytes[2]) << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

// static
std::string AnnotationStream::Build(const GuidBytes& report_id, const GuidBytes& client_id,
                                    const CrashAnnotations& annotations) {
  const uint32_t count = static_cast<uint32_t>(annotations.size());
  std::string entries;
  std::string strings;
  for (const auto& [key, value] : annotations) {
    const uint32_t key_location = static_cast<uint32_t>(strings.size());
    AppendString(&strings, key);
    AppendUint32(&entries, key_location);
    AppendUint32(&entries, key_location + StringRecordSize(key));
    AppendString(&strings, value);
  }

  std::string stream;
  AppendUint32(&stream, kVersion);
  stream.append(reinterpret_cast<const char*>(report_id.data()), report_id.size());
  stream.append(reinterpret_cast<const char*>(client_id.data()), client_id.size());
  AppendUint32(&stream, static_cast<uint32_t>(4 + entries.size() + strings.size()));
  AppendUint32(&stream, kHeadSize);
  AppendUint32(&stream, 0);  // module list size
  AppendUint32(&stream, 0);  // module list location
  AppendUint32(&stream, count);
  return stream + entries + strings;
}

// static
void AnnotationStream::RelocateEntries(uint8_t* entries, uint32_t count, uint32_t base) {
  for (uint32_t i = 0; i < 2 * count; ++i) {
    uint8_t* location = entries + 4 * i;
    PutUint32(location, GetUint32(location) + base);
  }
}

}  // namespace lite

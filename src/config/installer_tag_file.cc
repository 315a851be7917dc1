#include "config/installer_tag_file.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <new>
#include <string_view>

#include "base/scoped_generic.h"
#include "base/scoped_handle.h"
#include "config/installer_tag.h"
#include "logging/log_record.h"

namespace lite {
namespace {

struct MappedViewTraits {
  static const void* InvalidValue() { return nullptr; }
  static bool IsValid(const void* view) { return view != nullptr; }
  static void Free(const void* view) { ::UnmapViewOfFile(view); }
};
using ScopedMappedView = ScopedGeneric<const void*, MappedViewTraits>;

// ReadFile takes a DWORD count; stay well below it.
constexpr DWORD kReadChunk = 1 << 20;

}  // namespace

bool ReadAllBytesFromFile(const std::wstring& path, std::string* bytes) {
  bytes->clear();
  ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    PLOG(ERROR, "ReadAllBytesFromFile") << "Can't open file " << path;
    return false;
  }
  LARGE_INTEGER length;
  if (!::GetFileSizeEx(file.get(), &length) || length.QuadPart < 0) {
    PLOG(ERROR, "ReadAllBytesFromFile") << "Failed to get length of " << path;
    return false;
  }
  // A file that cannot fit in memory is one whose bytes cannot all be read;
  // it must not end the process with an exception.
  const uint64_t size = static_cast<uint64_t>(length.QuadPart);
  std::string data;
  bool allocated = size <= std::numeric_limits<size_t>::max() / 2;
  if (allocated) {
    try {
      data.assign(static_cast<size_t>(size), '\0');
    } catch (const std::bad_alloc&) {
      allocated = false;
    }
  }
  size_t done = 0;
  while (allocated && done < data.size()) {
    const DWORD wanted = static_cast<DWORD>(std::min<size_t>(data.size() - done, kReadChunk));
    DWORD read = 0;
    if (!::ReadFile(file.get(), &data[done], wanted, &read, nullptr) || read == 0) break;
    done += read;
  }
  if (!allocated || done < data.size()) {
    PLOG(ERROR, "ReadAllBytesFromFile") << "Failed to read all bytes of " << path;
    return false;
  }
  bytes->swap(data);
  return true;
}

std::string ExtractTagFromFakeCertificate(const std::wstring& path) {
  std::string image;
  if (!ReadAllBytesFromFile(path, &image)) {
    PLOG(ERROR, "ExtractTagFromFakeCertificate") << "Failed to read file " << path;
    return std::string();
  }
  std::string tag;
  switch (ExtractTagFromFakeCertificate(image, &tag)) {
    case TagImageError::kNone:
      return tag;
    case TagImageError::kNoCertificateTable:
      PLOG(ERROR, "ExtractTagFromFakeCertificate") << "Failed to find certificate table in "
                                                   << path;
      break;
    case TagImageError::kInvalidCertificateTable:
      PLOG(ERROR, "ExtractTagFromFakeCertificate")
          << "Invalid ASN1 format of certificate table in " << path;
      break;
  }
  return std::string();
}

bool ExtractTagFromAppendedBlock(const std::wstring& path, std::string* tag) {
  tag->clear();
  ScopedHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER length;
  if (!::GetFileSizeEx(file.get(), &length) || length.QuadPart <= 0 ||
      static_cast<uint64_t>(length.QuadPart) > std::numeric_limits<size_t>::max()) {
    return false;
  }
  ScopedHandle mapping(::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping) return false;
  ScopedMappedView view(::MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
  if (!view) return false;
  const std::string_view image(static_cast<const char*>(view.get()),
                               static_cast<size_t>(length.QuadPart));
  return ExtractTagFromAppendedBlock(image, tag);
}

std::string ReadInstallerTag(const std::wstring& path) {
  std::string tag = ExtractTagFromFakeCertificate(path);
  if (tag.empty()) ExtractTagFromAppendedBlock(path, &tag);
  return tag;
}

}  // namespace lite

#include "crash/module_version.h"

#include <memory>

namespace lite {

bool GetModuleVersion(const std::wstring& file_name, VS_FIXEDFILEINFO* info) {
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(file_name.c_str(), &handle);
  if (size == 0) return false;
  std::unique_ptr<uint8_t[]> data(new uint8_t[size]);
  if (!::GetFileVersionInfoW(file_name.c_str(), 0, size, data.get())) return false;
  void* fixed = nullptr;
  UINT fixed_size = 0;
  if (!::VerQueryValueW(data.get(), L"\\", &fixed, &fixed_size) ||
      fixed_size < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  *info = *static_cast<const VS_FIXEDFILEINFO*>(fixed);
  info->dwFileFlags &= info->dwFileFlagsMask;
  return true;
}

}  // namespace lite

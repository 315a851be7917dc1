#include "system/file_version.h"

#include <windows.h>

#include <vector>

#include "logging/log_record.h"

namespace lite {
namespace {

bool ReadFixedFileInfo(const std::wstring& path, VS_FIXEDFILEINFO* info) {
  DWORD ignored = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<BYTE> data(size, 0);
  if (!::GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return false;
  void* fixed = nullptr;
  UINT length = 0;
  if (!::VerQueryValueW(data.data(), L"\\", &fixed, &length) || !fixed ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  *info = *static_cast<const VS_FIXEDFILEINFO*>(fixed);
  return true;
}

uint64_t Join(DWORD high, DWORD low) {
  return (static_cast<uint64_t>(high) << 32) | low;
}

}  // namespace

bool GetFileVersion(const std::wstring& path, uint64_t* version) {
  VS_FIXEDFILEINFO info;
  if (!ReadFixedFileInfo(path, &info)) return false;
  LOG(INFO, "GetFileVersion") << "File: " << path << " Version: " << info.dwProductVersionMS << "."
                              << info.dwProductVersionLS;
  *version = Join(info.dwProductVersionMS, info.dwProductVersionLS);
  return true;
}

std::string GetFileVersionString(const std::wstring& path) {
  uint64_t version = 0;
  if (!GetFileVersion(path, &version)) return "0.0.0.0";
  std::string text;
  for (int shift = 48; shift >= 0; shift -= 16) {
    if (!text.empty()) text += '.';
    text += std::to_string((version >> shift) & 0xFFFF);
  }
  return text;
}

bool GetFileDate(const std::wstring& path, uint64_t* date) {
  VS_FIXEDFILEINFO info;
  if (!ReadFixedFileInfo(path, &info)) return false;
  *date = Join(info.dwFileDateMS, info.dwFileDateLS);
  return true;
}

bool GetFileTimes(const std::wstring& path, FileTimes* times) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  times->creation = Join(data.ftCreationTime.dwHighDateTime, data.ftCreationTime.dwLowDateTime);
  times->last_access =
      Join(data.ftLastAccessTime.dwHighDateTime, data.ftLastAccessTime.dwLowDateTime);
  times->last_write = Join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
  return true;
}

}  // namespace lite

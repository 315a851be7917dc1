#include "base/resource_util.h"

namespace lite {

std::string_view FindResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type) {
  HRSRC resource = ::FindResourceW(module, name, type);
  if (!resource) return std::string_view();
  HGLOBAL loaded = ::LoadResource(module, resource);
  const void* data = loaded ? ::LockResource(loaded) : nullptr;
  const DWORD size = ::SizeofResource(module, resource);
  if (!data || !size) return std::string_view();
  return std::string_view(static_cast<const char*>(data), size);
}

std::string LoadResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type) {
  return std::string(FindResourceBytes(module, name, type));
}

std::string LoadBinResource(int id) {
  return LoadResourceBytes(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), L"BIN");
}

std::string LoadBinResource(const std::wstring& name) {
  return LoadResourceBytes(::GetModuleHandleW(nullptr), name.c_str(), L"BIN");
}

}  // namespace lite

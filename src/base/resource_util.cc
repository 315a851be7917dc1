#include "base/resource_util.h"

#include <windows.h>

namespace lite {
namespace {

std::string Load(const wchar_t* name) {
  const HMODULE module = ::GetModuleHandleW(nullptr);
  HRSRC resource = ::FindResourceW(module, name, L"BIN");
  if (!resource) return std::string();
  HGLOBAL loaded = ::LoadResource(module, resource);
  const void* data = loaded ? ::LockResource(loaded) : nullptr;
  const DWORD size = ::SizeofResource(module, resource);
  if (!data || !size) return std::string();
  return std::string(static_cast<const char*>(data), size);
}

}  // namespace

std::string LoadBinResource(int id) {
  return Load(MAKEINTRESOURCEW(id));
}

std::string LoadBinResource(const std::wstring& name) {
  return Load(name.c_str());
}

}  // namespace lite

#include "ui/resource_strings.h"

#include <windows.h>

namespace lite {
namespace {

// String tables are stored in blocks of 16 counted strings.
bool FindInBlock(HMODULE module, WORD language, int string_id, std::wstring* text) {
  const WORD block = static_cast<WORD>(string_id / 16 + 1);
  HRSRC resource = ::FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(block), language);
  if (!resource) return false;
  HGLOBAL loaded = ::LoadResource(module, resource);
  const auto* data = static_cast<const wchar_t*>(loaded ? ::LockResource(loaded) : nullptr);
  if (!data) return false;
  const wchar_t* end = data + ::SizeofResource(module, resource) / sizeof(wchar_t);
  for (int index = 0; index < string_id % 16; ++index) {
    if (data >= end) return false;
    data += 1 + *data;
  }
  if (data >= end || *data == 0 || data + 1 + *data > end) return false;
  text->assign(data + 1, *data);
  return true;
}

}  // namespace

std::wstring LoadUiString(int string_id, uint32_t language_id) {
  const HMODULE module = ::GetModuleHandleW(nullptr);
  std::wstring text;
  FindInBlock(module, static_cast<WORD>(language_id), string_id, &text);
  return text;
}

}  // namespace lite

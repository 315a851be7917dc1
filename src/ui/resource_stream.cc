#include "ui/resource_stream.h"

#include <cstring>
#include <string_view>

#include "base/resource_util.h"

namespace lite {

ScopedComPtr<IStream> OpenResourceStream(int id) {
  const std::string_view bytes =
      FindResourceBytes(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), RT_RCDATA);
  if (bytes.empty()) return ScopedComPtr<IStream>();
  ScopedHGlobal block(::GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
  void* data = block ? ::GlobalLock(block.get()) : nullptr;
  if (!data) return ScopedComPtr<IStream>();
  std::memcpy(data, bytes.data(), bytes.size());
  ::GlobalUnlock(block.get());
  ScopedComPtr<IStream> stream;
  if (FAILED(::CreateStreamOnHGlobal(block.get(), TRUE, stream.receive()))) {
    return ScopedComPtr<IStream>();
  }
  block.release();  // the stream frees it now
  return stream;
}

}  // namespace lite

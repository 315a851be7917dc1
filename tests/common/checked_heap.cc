#include "checked_heap.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace lite {
namespace {

constexpr uint32_t kLive = 0x4C495645;
constexpr uint32_t kFreed = 0x46524545;
constexpr unsigned char kGuard[8] = {0xA5, 0x5A, 0xC3, 0x3C, 0x96, 0x69, 0xF0, 0x0F};

// 16 bytes keep the block as aligned as malloc's.
struct Header {
  uint32_t cookie;
  uint32_t reserved;
  uint64_t size;
};
static_assert(sizeof(Header) == 16, "the header keeps malloc's alignment");

std::atomic<size_t> g_faults{0};

void* Allocate(size_t size) {
  if (size > SIZE_MAX - sizeof(Header) - sizeof(kGuard)) return nullptr;
  auto* header = static_cast<Header*>(std::malloc(sizeof(Header) + size + sizeof(kGuard)));
  if (!header) return nullptr;
  header->cookie = kLive;
  header->size = size;
  std::memcpy(reinterpret_cast<char*>(header + 1) + size, kGuard, sizeof(kGuard));
  return header + 1;
}

void Release(void* block) {
  if (!block) return;
  Header* header = static_cast<Header*>(block) - 1;
  if (header->cookie != kLive ||
      std::memcmp(static_cast<char*>(block) + static_cast<size_t>(header->size), kGuard,
                  sizeof(kGuard)) != 0) {
    ++g_faults;
    return;
  }
  header->cookie = kFreed;
  std::free(header);
}

void* AllocateOrThrow(size_t size) {
  void* block = Allocate(size ? size : 1);
  if (!block) throw std::bad_alloc();
  return block;
}

}  // namespace

size_t CheckedHeapFaults() {
  return g_faults.load();
}

bool ProcessHeapsAreValid() {
  HANDLE heaps[64];
  const DWORD count = ::GetProcessHeaps(64, heaps);
  if (count == 0 || count > 64) return false;
  for (DWORD i = 0; i < count; ++i) {
    if (!::HeapValidate(heaps[i], 0, nullptr)) return false;
  }
  return true;
}

}  // namespace lite

void* operator new(size_t size) { return lite::AllocateOrThrow(size); }
void* operator new[](size_t size) { return lite::AllocateOrThrow(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept {
  return lite::Allocate(size ? size : 1);
}
void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return lite::Allocate(size ? size : 1);
}
void operator delete(void* block) noexcept { lite::Release(block); }
void operator delete[](void* block) noexcept { lite::Release(block); }
void operator delete(void* block, size_t) noexcept { lite::Release(block); }
void operator delete[](void* block, size_t) noexcept { lite::Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { lite::Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { lite::Release(block); }

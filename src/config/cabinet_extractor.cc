#include "config/cabinet_extractor.h"

#include <windows.h>
#include <fdi.h>

#include <cstdlib>
#include <new>

#include "config/cabinet_reader.h"
#include "system/guarded_call.h"

namespace lite {
namespace {

// The announced size of a file is only a hint for the output buffer; a
// damaged cabinet must not make us reserve gigabytes up front.
constexpr uint32_t kMaxReservation = 16 * 1024 * 1024;

struct CabinetLibrary {
  HMODULE module = nullptr;
  decltype(&::FDICreate) create = nullptr;
  decltype(&::FDIDestroy) destroy = nullptr;
  decltype(&::FDICopy) copy = nullptr;
  bool usable() const { return create && destroy && copy; }
};

// Loaded once from the system folder only, never from beside the
// installer, and kept for the life of the process.
const CabinetLibrary& Library() {
  static const CabinetLibrary library = [] {
    CabinetLibrary result;
    for (const wchar_t* candidate : {L"%WINDIR%\\system32\\cabinet.dll",
                                     L"%SYSTEMROOT%\\system32\\cabinet.dll",
                                     L"C:\\Windows\\system32\\cabinet.dll"}) {
      wchar_t path[MAX_PATH];
      const DWORD length = ::ExpandEnvironmentStringsW(candidate, path, MAX_PATH);
      if (length < 1 || length > MAX_PATH) continue;
      result.module = ::LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
      if (result.module) break;
    }
    if (!result.module) return result;
    result.create = reinterpret_cast<decltype(&::FDICreate)>(
        reinterpret_cast<void*>(::GetProcAddress(result.module, "FDICreate")));
    result.destroy = reinterpret_cast<decltype(&::FDIDestroy)>(
        reinterpret_cast<void*>(::GetProcAddress(result.module, "FDIDestroy")));
    result.copy = reinterpret_cast<decltype(&::FDICopy)>(
        reinterpret_cast<void*>(::GetProcAddress(result.module, "FDICopy")));
    return result;
  }();
  return library;
}

// Every handle given to the decompressor starts with its kind: the close
// callback also receives the output file when the decompressor gives up in
// the middle of it, and that one is not ours to free.
enum class HandleKind : uint32_t { kCabinet = 0x42414321, kOutput = 0x54554F21 };

struct CabinetHandle {
  HandleKind kind = HandleKind::kCabinet;
  CabinetReader reader;
};

// The file being extracted. It lives in the extraction state, one at a
// time, and enters the result only once it is complete.
struct OutputHandle {
  HandleKind kind = HandleKind::kOutput;
  std::string data;
  uint32_t announced_size = 0;
  bool write_failed = false;
};

struct ExtractionState {
  CabinetSource* source;
  const std::string* wanted;
  OutputHandle output;
  CabinetFiles* files;
};

HandleKind KindOf(INT_PTR handle) {
  return *reinterpret_cast<const HandleKind*>(handle);
}

CabinetReader& ReaderOf(INT_PTR handle) {
  return reinterpret_cast<CabinetHandle*>(handle)->reader;
}

void* DIAMONDAPI Allocate(ULONG size) {
  return ::HeapAlloc(::GetProcessHeap(), 0, size);
}

void DIAMONDAPI Free(void* memory) {
  ::HeapFree(::GetProcessHeap(), 0, memory);
}

// The "file name" the decompressor opens is the source's address in
// decimal; nothing else is ever opened.
INT_PTR DIAMONDAPI Open(char* name, int, int) {
  char* end = nullptr;
  const unsigned long long address = std::strtoull(name, &end, 10);
  if (!end || *end != '\0' || address == 0) return -1;
  auto* source = reinterpret_cast<CabinetSource*>(static_cast<uintptr_t>(address));
  auto* handle = new (std::nothrow) CabinetHandle{HandleKind::kCabinet, CabinetReader(source)};
  return handle ? reinterpret_cast<INT_PTR>(handle) : -1;
}

UINT DIAMONDAPI Read(INT_PTR handle, void* buffer, UINT count) {
  if (KindOf(handle) != HandleKind::kCabinet) return static_cast<UINT>(-1);
  return ReaderOf(handle).Read(buffer, count);
}

UINT DIAMONDAPI Write(INT_PTR handle, void* data, UINT count) {
  if (KindOf(handle) != HandleKind::kOutput) return static_cast<UINT>(-1);
  auto* output = reinterpret_cast<OutputHandle*>(handle);
  try {
    output->data.append(static_cast<const char*>(data), count);
  } catch (const std::bad_alloc&) {
    output->write_failed = true;
    return static_cast<UINT>(-1);
  }
  return count;
}

int DIAMONDAPI Close(INT_PTR handle) {
  if (KindOf(handle) == HandleKind::kCabinet) {
    delete reinterpret_cast<CabinetHandle*>(handle);
  } else {
    // An output file closed without fdintCLOSE_FILE_INFO was abandoned.
    reinterpret_cast<OutputHandle*>(handle)->write_failed = true;
  }
  return 0;
}

LONG DIAMONDAPI Seek(INT_PTR handle, LONG offset, int origin) {
  if (KindOf(handle) != HandleKind::kCabinet) return -1;
  return ReaderOf(handle).Seek(offset, origin);
}

INT_PTR DIAMONDAPI Notify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION notification) {
  auto* state = static_cast<ExtractionState*>(notification->pv);
  switch (type) {
    case fdintCABINET_INFO:
    case fdintENUMERATE:
      return 0;
    case fdintCOPY_FILE: {
      const char* name = notification->psz1 ? notification->psz1 : "";
      if (!state->wanted->empty() && *state->wanted != name) return 0;  // skip it
      OutputHandle& output = state->output;
      output.data.clear();
      output.announced_size = static_cast<uint32_t>(notification->cb);
      output.write_failed = false;
      try {
        output.data.reserve(output.announced_size < kMaxReservation ? output.announced_size
                                                                    : kMaxReservation);
      } catch (const std::bad_alloc&) {
        return -1;
      }
      return reinterpret_cast<INT_PTR>(&output);
    }
    case fdintCLOSE_FILE_INFO: {
      // Some decompressors report the file closed after failing inside it:
      // only a file with every announced byte written counts.
      OutputHandle& output = state->output;
      const bool complete =
          !output.write_failed && output.data.size() == output.announced_size;
      std::string data;
      data.swap(output.data);
      if (!complete) return FALSE;
      const char* name = notification->psz1 ? notification->psz1 : "";
      try {
        (*state->files)[name].swap(data);
      } catch (const std::bad_alloc&) {
        return -1;
      }
      return TRUE;
    }
    default:  // partial files and further cabinets are not supported
      return -1;
  }
}

}  // namespace

bool ExtractFilesFromCabinet(const uint8_t* cabinet, uint32_t size, CabinetFiles* files,
                             const std::string& wanted) {
  files->clear();
  const CabinetLibrary& library = Library();
  if (!library.usable() || !cabinet) return false;

  ERF error = {};
  HFDI context = library.create(&Allocate, &Free, &Open, &Read, &Write, &Close, &Seek,
                                cpuUNKNOWN, &error);
  if (!context) return false;

  CabinetSource source(cabinet, size);
  ExtractionState state{&source, &wanted, OutputHandle(), files};
  std::string name = std::to_string(reinterpret_cast<uintptr_t>(&source));
  char empty_path[1] = "";
  // cabinet.dll's decoders are not all safe against damaged data (one read
  // through a wild pointer on a mutated package): a fault there fails this
  // package instead of ending the process.
  GuardedCallFault fault;
  const BOOL copied = GuardedCall(
      [&] { return library.copy(context, &name[0], empty_path, 0, &Notify, nullptr, &state); },
      BOOL(FALSE), &fault);
  if (fault.code != 0) {
    // The context may be mid-operation: leaking it is safer than freeing it.
    files->clear();
    return false;
  }
  library.destroy(context);
  return copied != FALSE;
}

}  // namespace lite

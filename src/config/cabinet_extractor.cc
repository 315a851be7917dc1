#include "config/cabinet_extractor.h"

#include <windows.h>
#include <fdi.h>

#include <cstdlib>
#include <new>

#include "config/cabinet_reader.h"

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

struct ExtractionState {
  CabinetSource* source;
  const std::string* wanted;
  std::string output;
  CabinetFiles* files;
};

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
  auto* reader = new (std::nothrow) CabinetReader(source);
  return reader ? reinterpret_cast<INT_PTR>(reader) : -1;
}

UINT DIAMONDAPI Read(INT_PTR handle, void* buffer, UINT count) {
  return reinterpret_cast<CabinetReader*>(handle)->Read(buffer, count);
}

UINT DIAMONDAPI Write(INT_PTR handle, void* data, UINT count) {
  auto* state = reinterpret_cast<ExtractionState*>(handle);
  try {
    state->output.append(static_cast<const char*>(data), count);
  } catch (const std::bad_alloc&) {
    return static_cast<UINT>(-1);
  }
  return count;
}

int DIAMONDAPI Close(INT_PTR handle) {
  delete reinterpret_cast<CabinetReader*>(handle);
  return 0;
}

LONG DIAMONDAPI Seek(INT_PTR handle, LONG offset, int origin) {
  return reinterpret_cast<CabinetReader*>(handle)->Seek(offset, origin);
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
      state->output.clear();
      const uint32_t announced = static_cast<uint32_t>(notification->cb);
      try {
        state->output.reserve(announced < kMaxReservation ? announced : kMaxReservation);
      } catch (const std::bad_alloc&) {
        return -1;
      }
      return reinterpret_cast<INT_PTR>(state);
    }
    case fdintCLOSE_FILE_INFO: {
      const char* name = notification->psz1 ? notification->psz1 : "";
      try {
        (*state->files)[name].swap(state->output);
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
  ExtractionState state{&source, &wanted, std::string(), files};
  std::string name = std::to_string(reinterpret_cast<uintptr_t>(&source));
  char empty_path[1] = "";
  const BOOL copied =
      library.copy(context, &name[0], empty_path, 0, &Notify, nullptr, &state);
  library.destroy(context);
  return copied != FALSE;
}

}  // namespace lite

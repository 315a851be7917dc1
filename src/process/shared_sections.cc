#include "process/shared_sections.h"

#include <windows.h>

namespace lite {
namespace {

struct MasterSection {
  uint32_t MasterInstallerProcessId;
  uint8_t reserved[kMasterSectionSize - sizeof(uint32_t)];
};

struct DelayedParamsSection {
  uint8_t bytes[kDelayedParamsSize];
};

}  // namespace

// The sections only become shared when the variables are initialised and
// carry the "shared" attribute; .def SECTIONS and data_seg pragmas do not
// work with this toolchain. The build checks the section flags.
__attribute__((section("SHARED"), shared, used)) volatile MasterSection g_master_section = {0, {0}};
__attribute__((section("Shared"), shared, used)) volatile DelayedParamsSection g_delayed_params = {{0}};

uint32_t GetMasterInstallerProcessId() {
  return ::InterlockedCompareExchange(
      reinterpret_cast<volatile LONG*>(&g_master_section.MasterInstallerProcessId), 0, 0);
}

void SetMasterInstallerProcessId(uint32_t process_id) {
  ::InterlockedExchange(reinterpret_cast<volatile LONG*>(&g_master_section.MasterInstallerProcessId),
                        static_cast<LONG>(process_id));
}

volatile uint8_t* DelayedParamsStorage() {
  return g_delayed_params.bytes;
}

}  // namespace lite

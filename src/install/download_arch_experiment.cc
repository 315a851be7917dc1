#include "install/download_arch_experiment.h"

#include <windows.h>
#include <wincrypt.h>

#include <string>

#include "base/scoped_generic.h"
#include "config/distrib_params.h"
#include "logging/log_record.h"
#include "process/installer_command_line.h"
#include "process/switches.h"
#include "system/platform_queries.h"
#include "system/registry_helpers.h"

namespace lite {
namespace {

struct CryptProviderTraits {
  static HCRYPTPROV InvalidValue() { return 0; }
  static bool IsValid(HCRYPTPROV provider) { return provider != 0; }
  static void Free(HCRYPTPROV provider) { ::CryptReleaseContext(provider, 0); }
};
using ScopedCryptProvider = ScopedGeneric<HCRYPTPROV, CryptProviderTraits>;

// Digits only, without sign or spaces, and no overflow.
template <typename Text>
bool ParseDecimal(const Text& text, uint64_t* value) {
  if (text.empty()) return false;
  uint64_t result = 0;
  for (const auto c : text) {
    if (c < '0' || c > '9') return false;
    const uint64_t digit = static_cast<uint64_t>(c - '0');
    if (result > (UINT64_MAX - digit) / 10) return false;
    result = result * 10 + digit;
  }
  *value = result;
  return true;
}

// The stored state, or false when the value is absent or not a state.
bool ReadStoredState(uint32_t* state) {
  std::wstring text;
  if (!ReadValueFromRegistry(BrowserRegistryKey(), DownloadArchExperiment::kRegistryValue,
                             &text)) {
    return false;
  }
  uint64_t value = 0;
  if (!ParseDecimal(text, &value) || value > DownloadArchExperiment::kStateDisabled) return false;
  *state = static_cast<uint32_t>(value);
  return true;
}

}  // namespace

DownloadArchExperiment::DownloadArchExperiment() = default;

DownloadArchExperiment::~DownloadArchExperiment() = default;

void DownloadArchExperiment::AdjustDownloadUrl(const DistribParams& distrib_params) {
  architecture_ = kNone;
  if (Platform().GetNativeProcessorArchitecture() != PROCESSOR_ARCHITECTURE_AMD64) return;

  uint32_t state = 0;
  if (ReadStoredState(&state)) {
    switch (state) {
      case kStateUseX32:
        architecture_ = kX32;
        return;
      case kStateUseX64:
        architecture_ = kX64;
        return;
      default:
        LOG(INFO, "AdjustDownloadUrl") << "Experiment " << kName << " is disabled";
        return;
    }
  }

  if (!distrib_params.IsParamOne(kName)) return;
  std::string needed_text;
  uint64_t needed = 0;
  if (!distrib_params.GetParam(kRamParam, &needed_text) || !ParseDecimal(needed_text, &needed)) {
    return;
  }

  uint64_t total = 0;
  const bool have_total = Platform().GetTotalPhysicalMemory(&total);
  if (!have_total) total = 0;
  if (have_total && total >= needed) {
    uint32_t bit = 0;
    if (!DrawRandomBit(&bit)) return;
    architecture_ = static_cast<Architecture>(2 - bit);
    return;
  }
  LOG(INFO, "AdjustDownloadUrl") << "Not enough memory for " << kName << " needed:" << needed
                                 << ", available:" << total;
}

bool DownloadArchExperiment::ApplyCommandLineOverride(const InstallerCommandLine& command_line) {
  if (command_line.HasSwitch(switches::kDownloadX64)) {
    architecture_ = kX64;
    return true;
  }
  if (command_line.HasSwitch(switches::kDownloadX32)) {
    architecture_ = kX32;
    return true;
  }
  return false;
}

void DownloadArchExperiment::ConfigurateRegistry(bool first_source_succeeded) {
  if (architecture_ == kNone) return;
  State state = kStateDisabled;
  if (first_source_succeeded) state = architecture_ == kX64 ? kStateUseX64 : kStateUseX32;
  if (!StoreValueInRegistry(BrowserRegistryKey(), kRegistryValue, std::to_wstring(state))) {
    PLOG(ERROR, "ConfigurateRegistry") << "Failed to write state to regitsry: " << static_cast<uint32_t>(state);
  }
}

bool DownloadArchExperiment::DrawRandomBit(uint32_t* bit) {
  ScopedCryptProvider provider;
  BYTE byte = 0;
  if (!::CryptAcquireContextW(provider.receive(), nullptr, nullptr, PROV_RSA_FULL,
                              CRYPT_VERIFYCONTEXT | CRYPT_SILENT) ||
      !::CryptGenRandom(provider.get(), 1, &byte)) {
    PLOG(ERROR, "DrawRandomBit") << "Cannot draw a random number.";
    return false;
  }
  *bit = byte & 1u;
  return true;
}

}  // namespace lite
